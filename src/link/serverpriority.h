#pragma once

#include <QList>
#include <QString>

#include <functional>

// Whether a process with this executable file name (no folder) is the task
// server: the name equals "tevorasrv" or contains "tevora", in any letter case.
bool QualifiesAsServer(const QString &exeFileName);

// Ids of the running processes whose executable qualifies. On Linux the processes
// are those under procRoot (a /proc layout, so tests can lay out their own); on
// Windows procRoot is not used and the system's process snapshot is taken.
QList<qint64> FindServerProcesses(const QString &procRoot = QStringLiteral("/proc"));

// Raises the task server's processes to high priority where the system allows it;
// every failure is ignored.
void RaiseServerPriority();
