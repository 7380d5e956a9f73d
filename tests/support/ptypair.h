#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// A socat pseudo-terminal pair: one side opens `a`, the other `b`; socat is
// ended (and reaped) when the object goes.
class PtyPair
{
public:
    PtyPair()
    {
        a = dir.filePath("a");
        b = dir.filePath("b");
        socat.start("socat", {"pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b});
    }
    ~PtyPair()
    {
        socat.terminate();
        if (!socat.waitForFinished(3000)) {
            socat.kill();
            socat.waitForFinished(3000);
        }
    }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool Ready()
    {
        return QTest::qWaitFor([this] { return QFile::exists(a) && QFile::exists(b); }, 5000);
    }

    QTemporaryDir dir;
    QString a, b;
    QProcess socat;
};
