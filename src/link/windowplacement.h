#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a window with a stored top-left corner goes: the stored place, or the
// centre of the screen when the stored place lies off it (beyond the right or
// bottom edge, or so far left or up that nothing of the window is on screen).
QPoint PlaceWindow(QPoint stored, QSize window, const QRect &screen);
