#pragma once

#include <QWidget>

class TMainFrm;

// Windows whose own classes come with their features; until then the main window
// gets an empty window with the right name and title.
QWidget *CreateMProFrm(QWidget *parent);
QWidget *CreateCalcFrm(QWidget *parent);
QWidget *CreateCanalFrm(QWidget *parent);

// The windows of the start-up order after the main window, hidden, owned by it.
void CreateProgramWindows(TMainFrm &main);
