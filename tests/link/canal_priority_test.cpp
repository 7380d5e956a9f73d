#include "link/serverpriority.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

class CanalPriorityTest : public QObject
{
    Q_OBJECT

private:
    static void MakeProc(const QDir &root, const QString &pid, const QString &exe, const QString &comm)
    {
        QVERIFY(root.mkpath(pid));
        if (!exe.isEmpty())
            QVERIFY(QFile::link(exe, root.filePath(pid + "/exe")));
        if (!comm.isEmpty()) {
            QFile f(root.filePath(pid + "/comm"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(comm.toUtf8() + '\n');
        }
    }

private Q_SLOTS:
    void qualifyingNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("qualifies");
        // The whole name with its extension fails the equality test but passes the
        // "contains" one.
        QTest::newRow("with-extension") << "TEVORASRV.exe" << true;
        QTest::newRow("exact") << "TEVORASRV" << true;
        QTest::newRow("mixed-case") << "TevoraSrv" << true;
        QTest::newRow("inside") << "my-tevora-helper" << true;
        QTest::newRow("prefix-only") << "tevor" << false;
        QTest::newRow("srv-only") << "srv.exe" << false;
        QTest::newRow("empty") << "" << false;
    }
    void qualifyingNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, qualifies);
        QCOMPARE(QualifiesAsServer(name), qualifies);
    }

    void findsServerByExecutableOrCommandName()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QDir root(dir.path());
        MakeProc(root, "101", "/opt/bench/TEVORASRV.EXE", "other");
        MakeProc(root, "202", "", "TevoraSrv");           // exe unreadable
        MakeProc(root, "303", "/usr/bin/bash", "tevora"); // exe wins over comm
        MakeProc(root, "self", "/opt/TevoraSrv", "");
        MakeProc(root, "404", "", "");
        QList<qint64> found = FindServerProcesses(dir.path());
        std::sort(found.begin(), found.end());
        QCOMPARE(found, (QList<qint64>{101, 202}));
        QVERIFY(FindServerProcesses(dir.filePath("missing")).isEmpty());
    }

    void raisesARunningServer()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString sleepBin = QStandardPaths::findExecutable(QStringLiteral("sleep"));
        if (sleepBin.isEmpty())
            QSKIP("no sleep binary");
        const QString server = dir.filePath(QStringLiteral("TevoraSrv.bin"));
        QVERIFY(QFile::copy(sleepBin, server));
        QVERIFY(QFile::setPermissions(server, QFile::ReadOwner | QFile::ExeOwner | QFile::WriteOwner));

        QProcess proc;
        proc.start(server, {QStringLiteral("30")});
        QVERIFY(proc.waitForStarted(5000));
        const qint64 pid = proc.processId();
        QTRY_VERIFY_WITH_TIMEOUT(FindServerProcesses().contains(pid), 5000);

        RaiseServerPriority();
        errno = 0;
        const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(pid));
        QCOMPARE(errno, 0);
        if (geteuid() == 0)
            QCOMPARE(nice, -10);
        else
            QVERIFY(nice >= -10); // refused without the right: ignored, no crash

        proc.kill();
        QVERIFY(proc.waitForFinished(5000));
    }
};

QTEST_MAIN(CanalPriorityTest)
#include "canal_priority_test.moc"
