#pragma once

#include <QWidget>

class TMainFrm;

// The windows of the start-up order after the main window, hidden, owned by it.
void CreateProgramWindows(TMainFrm &main);
