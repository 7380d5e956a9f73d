#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <unistd.h>

// The monitor closes its main window on SIGTERM and SIGINT: settings written, exit 0.
// Settings that cannot be written do not hold it: the reason goes to stderr, no box waits.
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

    enum Store { Writable, FolderInPlace, ReadOnlyFolder, Unreadable };

private Q_SLOTS:
    void signalClosesNormally_data()
    {
        QTest::addColumn<int>("sig");
        QTest::addColumn<int>("store");
        QTest::addColumn<QString>("told");
        QTest::newRow("SIGTERM") << int(SIGTERM) << int(Writable) << QString();
        QTest::newRow("SIGINT") << int(SIGINT) << int(Writable) << QString();
        QTest::newRow("SIGTERM, QTM.ini a folder")
            << int(SIGTERM) << int(FolderInPlace) << QStringLiteral("на месте файла папка");
        QTest::newRow("SIGTERM, read-only folder")
            << int(SIGTERM) << int(ReadOnlyFolder) << QStringLiteral("закрыта для записи");
        // Told at the start in a box the signal closes; the file is not written over.
        QTest::newRow("SIGTERM, unreadable QTM.ini")
            << int(SIGTERM) << int(Unreadable) << QStringLiteral("нет доступа к файлу");
    }
    void signalClosesNormally()
    {
        QFETCH(int, sig);
        QFETCH(int, store);
        QFETCH(QString, told);
        QTemporaryDir dir;
        QString program = QStringLiteral(QTM_MONITOR_PATH);
        QStringList args;
        if (store == FolderInPlace)
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("QTM.ini")));
        const QByteArray kept("[Form]\nleft=7\ntop=9\n");
        if (store == Unreadable) {
            QFile f(dir.filePath(QStringLiteral("QTM.ini")));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(kept) == kept.size());
            f.close();
            QVERIFY(f.setPermissions({}));
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                          QFile::ReadOther | QFile::WriteOther |
                                                          QFile::ExeOther));
        }
        if (store == ReadOnlyFolder)
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                          QFile::ExeGroup | QFile::ReadOther |
                                                          QFile::ExeOther));
        if (store == ReadOnlyFolder || store == Unreadable) {
            // The superuser writes into any folder: the monitor runs as nobody instead.
            if (::geteuid() == 0) {
                program = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
                if (program.isEmpty())
                    QSKIP("setpriv is needed to run the monitor without the superuser's rights");
                args = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                   QStringLiteral("--clear-groups"), QStringLiteral(QTM_MONITOR_PATH)};
            }
        }
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QTM_CONFIG_DIR"), dir.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        p.setProcessEnvironment(env);
        p.start(program, args);
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
        QVERIFY2(finished, "the monitor waited after the signal");
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        if (store != Writable) {
            const QString err = QString::fromLocal8Bit(p.readAllStandardError());
            QVERIFY2(err.contains(QStringLiteral("Не удалось записать файл")) && err.contains(told),
                     qPrintable(err));
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            if (store == Unreadable) {
                QFile f(dir.filePath(QStringLiteral("QTM.ini")));
                QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
                QVERIFY(f.open(QIODevice::ReadOnly));
                QCOMPARE(f.readAll(), kept);
            }
            return;
        }
        QFile ini(dir.filePath(QStringLiteral("QTM.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY2(text.contains("left=") && text.contains("top="), text.constData());
        QVERIFY(!text.toLower().contains("pribors"));
    }
};

QTEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
