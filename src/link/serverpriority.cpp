#include "link/serverpriority.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/resource.h>

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

bool QualifiesAsServer(const QString &exeFileName)
{
    const QString name = exeFileName.toLower();
    return name == QStringLiteral("tevorasrv") || name.contains(QStringLiteral("tevora"));
}

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
