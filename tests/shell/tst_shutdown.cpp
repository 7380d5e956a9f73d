#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// The monitor closes its main window on SIGTERM and SIGINT: settings written, exit 0.
class TestShutdown : public QObject
{
    Q_OBJECT

    // True once the process has its handler for sig installed.
    static bool Catches(qint64 pid, int sig)
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (sig - 1)) & 1;
        return false;
    }

private Q_SLOTS:
    void signalClosesNormally_data()
    {
        QTest::addColumn<int>("sig");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void signalClosesNormally()
    {
        QFETCH(int, sig);
        QTemporaryDir dir;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QTM_CONFIG_DIR"), dir.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QTM_MONITOR_PATH), {});
        QVERIFY(p.waitForStarted(10000));
        QDeadlineTimer ready(30000);
        while (!Catches(p.processId(), sig) && !ready.hasExpired() && p.state() == QProcess::Running)
            QTest::qWait(50);
        QVERIFY2(Catches(p.processId(), sig), "the monitor never installed its signal handler");
        ::kill(pid_t(p.processId()), sig);
        const bool finished = p.waitForFinished(20000);
        if (!finished) {
            p.kill();
            p.waitForFinished(5000);
        }
        QVERIFY(finished);
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QFile ini(dir.filePath(QStringLiteral("QTM.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY2(text.contains("left=") && text.contains("top="), text.constData());
        QVERIFY(!text.toLower().contains("pribors"));
    }
};

QTEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
