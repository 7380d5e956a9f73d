#pragma once

#include <QList>
#include <QString>

#include <functional>

// Whether a process with this executable file name (no folder) is the task
// server: the name equals "tevorasrv" or contains "tevora", in any letter case.
bool QualifiesAsServer(const QString &exeFileName);

// Ids of the processes under procRoot (a /proc layout) whose executable qualifies.
QList<qint64> FindServerProcesses(const QString &procRoot = QStringLiteral("/proc"));

// Raises the task server's processes to high priority where the system allows it;
// every failure is ignored.
void RaiseServerPriority();
