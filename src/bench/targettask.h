#pragma once

#include "session/benchtypes.h"

#include <QString>

#include <functional>

class QWidget;

// What the target task needs of the main window: its page visibility, its pages
// by objectName and its groups by objectName.
struct TargetPageHost {
    std::function<void(TNames, bool)> SetShow;
    std::function<QWidget *(const QString &)> Page;
    std::function<QWidget *(const QString &)> Find;
};

// Target tasks of the bench: 0 verifies flowmeters, 1 verifies the bench itself,
// 2 sets up the modules.
constexpr int kTargetTaskCount = 3;

// Shows the pages of the task and moves the pulse counter group GbUsi and the
// current group GBIpt to its pages. A page that offers a place for a group (a
// child "UsiHost" or "IptHost" with a layout) takes it there; elsewhere the group
// keeps its left edge and goes to the task's distance from the top. Missing
// groups and pages are left alone; other tasks change nothing.
void ApplyTargetTask(int task, const TargetPageHost &host);
