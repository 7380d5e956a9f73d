#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

// qtm-bench-sim as a process of the test's own, on free loopback ports unless
// told otherwise; ended (and reaped) when the object goes.
class SimProcess
{
public:
    static QString Binary() { return qEnvironmentVariable("QTM_BINARY_DIR") + "/sim/qtm-bench-sim"; }
    static QStringList FreePorts() { return {"--bench", "tcp://127.0.0.1:0", "--flowmeter", "tcp://127.0.0.1:0"}; }

    explicit SimProcess(const QStringList &args)
    {
        proc.setProgram(Binary());
        proc.setArguments(args);
        proc.start();
    }
    ~SimProcess()
    {
        if (proc.state() != QProcess::NotRunning) {
            proc.terminate();
            if (!proc.waitForFinished(3000)) {
                proc.kill();
                proc.waitForFinished(3000);
            }
        }
    }
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Waits for the line that names both endpoints.
    bool WaitReady()
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000 && proc.state() != QProcess::NotRunning) {
            proc.waitForReadyRead(100);
            out += proc.readAllStandardOutput();
            const auto m =
                QRegularExpression("ready bench=(\\S+) flowmeter=(\\S+)").match(QString::fromUtf8(out));
            if (m.hasMatch()) {
                bench = m.captured(1);
                flowmeter = m.captured(2);
                return true;
            }
        }
        return false;
    }
    // Everything printed so far (the trace, with --trace).
    QByteArray Output()
    {
        out += proc.readAllStandardOutput();
        return out;
    }
    static int Port(const QString &endpoint) { return QUrl(endpoint).port(); }

    QProcess proc;
    QByteArray out;
    QString bench, flowmeter;
};
