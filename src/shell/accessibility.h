#pragma once

class QString;
class QWidget;

// Makes what assistive technology reads under root true at every moment:
// - a captioned button is announced by its current caption (a fixed name found
//   on it moves to the description, which tells same-caption buttons apart);
//   a captionless button is named by its tooltip;
// - a label that shows a value keeps its own text as name; the caption of its
//   buddy label becomes its description;
// - an input field is named by its buddy label;
// - caption lines written with "\r" show as lines.
// Group boxes, labels and buttons name themselves from their live texts. A push
// button, check box or radio button that is not on screen (a hidden control, a
// page not shown) cannot be pressed or toggled through assistive technology.
void AssignAccessibleNames(QWidget *root);

// Windows made of plain widgets are announced as windows, each group box by its
// own caption, and an open context menu is found among the application's windows;
// Shift+F10 opens the context menu as the Menu key does.
// Call once the application exists; later calls do nothing.
void InstallAccessibleInterfaces();

// For a value display made in code: its caption, read after the value.
void DescribeValue(QWidget *display, const QString &caption);
