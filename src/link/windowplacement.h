#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class QString;
class QWidget;

// Where a window with a stored top-left corner goes: the stored place, or the
// centre of the screen when the stored place lies off it (beyond the right or
// bottom edge, or so far left or up that nothing of the window is on screen).
QPoint PlaceWindow(QPoint stored, QSize window, const QRect &screen);

// Whether a window at this corner can be grabbed by its title on one of the screens.
bool PlaceOnScreens(QPoint stored, QSize window, const QList<QRect> &screens);

// Where a window opens the first time: beside the main window (right, left, then
// below it) where it fits fully on the main window's screen and covers no other
// window; else the first of those that fits; else the side that, pushed onto the
// screen, hides least of the main window. Without a main window: the screen's middle.
QPoint PlaceBeside(QSize window, const QRect &anchor, const QList<QRect> &screens, const QList<QRect> &occupied);

// The stored top-left corner of a section of an INI file, when both keys are there.
std::optional<QPoint> ReadStoredPlace(const QString &iniName, const QString &section);

// Stores a window's top-left corner in that section, unless it has no place of its own
// yet (see HasOwnPlace); a file that cannot be written is told once.
void StorePlace(const QWidget *window, const QString &iniName, const QString &section);

// A top-level window goes to its stored place when that is on a screen; otherwise,
// on its first show, beside the program's main window.
void PlaceTopLevel(QWidget *window, std::optional<QPoint> stored);

// False while a window without a stored place waits for its first show: its corner
// is then no place of its own, and stored it would open the window over the main
// window's menu next time.
bool HasOwnPlace(const QWidget *window);
