#include "link/serverpriority.h"

#ifdef Q_OS_WIN
#include <windows.h>
// tlhelp32.h needs windows.h first.
#include <tlhelp32.h>
#else
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/resource.h>
#endif

bool QualifiesAsServer(const QString &exeFileName)
{
    const QString name = exeFileName.toLower();
    return name == QStringLiteral("tevorasrv") || name.contains(QStringLiteral("tevora"));
}

#ifdef Q_OS_WIN

QList<qint64> FindServerProcesses(const QString &)
{
    QList<qint64> pids;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return pids;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        // szExeFile is the file name without its folder.
        const QString exe = QString::fromWCharArray(entry.szExeFile);
        if (entry.th32ProcessID != 0 && QualifiesAsServer(exe))
            pids << qint64(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return pids;
}

void RaiseServerPriority()
{
    for (const qint64 pid : FindServerProcesses()) {
        const HANDLE process = OpenProcess(PROCESS_SET_INFORMATION, FALSE, DWORD(pid));
        if (!process)
            continue; // gone, or not ours to change
        (void)SetPriorityClass(process, HIGH_PRIORITY_CLASS);
        CloseHandle(process);
    }
}

#else

namespace
{

// Nice value taken as "high priority".
constexpr int kHighNice = -10;

QString ExecutableName(const QString &procDir)
{
    // exe is unreadable for other users' processes; comm (cut to 15 characters)
    // still names them.
    const QString target = QFileInfo(procDir + QStringLiteral("/exe")).symLinkTarget();
    if (!target.isEmpty())
        return QFileInfo(target).fileName();
    QFile comm(procDir + QStringLiteral("/comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

} // namespace

QList<qint64> FindServerProcesses(const QString &procRoot)
{
    QList<qint64> pids;
    const QDir root(procRoot);
    if (!root.exists())
        return pids;
    for (const QString &entry : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (numeric && pid > 0 && QualifiesAsServer(ExecutableName(root.filePath(entry))))
            pids << pid;
    }
    return pids;
}

void RaiseServerPriority()
{
    for (const qint64 pid : FindServerProcesses()) {
        const auto id = static_cast<id_t>(pid);
        errno = 0;
        const int nice = getpriority(PRIO_PROCESS, id);
        if (errno != 0 || nice <= kHighNice)
            continue; // gone, or already at least as high
        (void)setpriority(PRIO_PROCESS, id, kHighNice);
    }
}

#endif
