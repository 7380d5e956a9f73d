#pragma once

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

#include <pwd.h>
#include <unistd.h>

// A throwaway PostgreSQL server from the distribution's binaries, in a temporary
// folder with its socket there too, on a free loopback port; never the machine's own
// service. initdb refuses root, so under root the server runs as the "postgres" user.
class PgCluster
{
public:
    static constexpr int kDeadlineMs = 60000;
    const QString user = QStringLiteral("qtm");
    // ':' and '\' need escaping in the password file.
    const QString password = QStringLiteral("pa:ss\\w0rd");
    int port = 0;

    ~PgCluster() { Stop(); }

    // The folder of initdb and pg_ctl, newest version first; empty when not installed.
    static QString BinDir()
    {
        QDir root(QStringLiteral("/usr/lib/postgresql"));
        QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(versions.begin(), versions.end(),
                  [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
        for (const QString &v : versions)
            if (QFile::exists(root.filePath(v + QStringLiteral("/bin/initdb"))))
                return root.filePath(v + QStringLiteral("/bin"));
        return {};
    }

    // An error text, empty when the server runs.
    QString Start()
    {
        m_bin = BinDir();
        if (m_bin.isEmpty())
            return QStringLiteral("PostgreSQL server binaries (package postgresql) are not installed");
        m_dir = std::make_unique<QTemporaryDir>();
        if (!m_dir->isValid())
            return QStringLiteral("no temporary folder");
        QFile pw(m_dir->filePath(QStringLiteral("pw")));
        if (!pw.open(QIODevice::WriteOnly) || pw.write(password.toUtf8() + '\n') < 0)
            return QStringLiteral("password file not written");
        pw.close();
        if (geteuid() == 0) {
            const passwd *pg = getpwnam("postgres");
            if (!pg)
                return QStringLiteral("running as root and there is no postgres user to run the server");
            for (const QString &p : {m_dir->path(), pw.fileName()})
                if (chown(QFile::encodeName(p).constData(), pg->pw_uid, pg->pw_gid) != 0)
                    return QStringLiteral("cannot hand %1 to postgres").arg(p);
            m_asPostgres = true;
        }
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0))
            return QStringLiteral("no free port");
        port = probe.serverPort();
        probe.close();
        const QString data = m_dir->filePath(QStringLiteral("data"));
        QString out;
        if (!Run(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), data, QStringLiteral("-U"), user,
                  QStringLiteral("--pwfile=") + pw.fileName(), QStringLiteral("--auth=scram-sha-256"),
                  QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--no-sync")},
                 &out))
            return QStringLiteral("initdb failed: ") + out;
        const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off")
                                    .arg(port)
                                    .arg(m_dir->path());
        if (!Run(QStringLiteral("pg_ctl"),
                 {QStringLiteral("-D"), data, QStringLiteral("-l"), m_dir->filePath(QStringLiteral("log")),
                  QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("30"), QStringLiteral("-o"),
                  options, QStringLiteral("start")},
                 &out))
            return QStringLiteral("pg_ctl start failed: ") + out;
        m_running = true;
        return {};
    }

    void Stop()
    {
        if (!m_running)
            return;
        m_running = false;
        QString out;
        Run(QStringLiteral("pg_ctl"),
            {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-m"),
             QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("30"),
             QStringLiteral("stop")},
            &out);
    }

private:
    bool Run(const QString &tool, QStringList args, QString *out)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setWorkingDirectory(m_dir->path());
        // pg_ctl keeps the server's output open otherwise, and the wait would never end.
        p.setStandardInputFile(QProcess::nullDevice());
        const QString exe = m_bin + QLatin1Char('/') + tool;
        if (m_asPostgres) {
            args.prepend(exe);
            args = QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--")} + args;
            p.start(QStringLiteral("runuser"), args);
        } else {
            p.start(exe, args);
        }
        const bool done = p.waitForFinished(kDeadlineMs);
        if (!done)
            p.kill(), p.waitForFinished(5000);
        *out = QString::fromLocal8Bit(p.readAll());
        return done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    QString m_bin;
    std::unique_ptr<QTemporaryDir> m_dir;
    bool m_asPostgres = false;
    bool m_running = false;
};
