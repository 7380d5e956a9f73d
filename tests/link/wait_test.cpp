#include "link/mailbox.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <ctime>

class WaitTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void returnsTheStoredResult_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("success") << 0;
        QTest::newRow("no answer") << 1;
        QTest::newRow("busy") << 8;
    }
    void returnsTheStoredResult()
    {
        QFETCH(int, code);
        Mailbox box(77);
        QTimer::singleShot(30, [&box, code]() {
            QCOMPARE(box.value(), -1); // the wait marks itself as waiting
            box = code;
        });
        QElapsedTimer t;
        t.start();
        QCOMPARE(WaitResult(box, 5000), code);
        QCOMPARE(box.value(), code);
        QVERIFY(t.elapsed() < 2000);
    }

    void waitingMarkDoesNotWake()
    {
        Mailbox box;
        QTimer::singleShot(10, [&box]() { box = -1; });
        QTimer::singleShot(120, [&box]() { box = 0; });
        QElapsedTimer t;
        t.start();
        QCOMPARE(WaitResult(box, 5000), 0);
        QVERIFY2(t.elapsed() >= 100, qPrintable(QString::number(t.elapsed())));
    }

    void deadlineStoresNoAnswer()
    {
        Mailbox box;
        QElapsedTimer t;
        t.start();
        QCOMPARE(WaitResult(box, 150), 1);
        QCOMPARE(box.value(), 1);
        QVERIFY(t.elapsed() >= 140);
        QVERIFY(t.elapsed() < 3000);
    }

    void otherHandlersRunWhileWaiting()
    {
        Mailbox box;
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&ticks]() { ++ticks; });
        ticker.start(10);
        QTimer::singleShot(200, [&box]() { box = 0; });
        QCOMPARE(WaitResult(box, 5000), 0);
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    }

    void nestedWaitsReturnInnermostFirst()
    {
        Mailbox outer, inner;
        QStringList order;
        QElapsedTimer t;
        t.start();
        qint64 innerDone = -1;
        QTimer::singleShot(20, [&]() {
            const int r = WaitResult(inner, 5000);
            innerDone = t.elapsed();
            order << QStringLiteral("inner %1").arg(r);
        });
        QTimer::singleShot(50, [&outer]() { outer = 0; }); // while the inner one waits
        QTimer::singleShot(150, [&inner]() { inner = 4; });
        const int r = WaitResult(outer, 5000);
        order << QStringLiteral("outer %1").arg(r);
        QCOMPARE(order, QStringList({QStringLiteral("inner 4"), QStringLiteral("outer 0")}));
        // The outer one was due already and must not sleep on after the inner returns.
        QVERIFY(t.elapsed() - innerDone < 500);
        QVERIFY(t.elapsed() < 2000);
    }

    void twoWaitsOnOneMailboxBothWake()
    {
        Mailbox box;
        int innerResult = -2;
        QTimer::singleShot(20, [&]() { innerResult = WaitResult(box, 5000); });
        QTimer::singleShot(80, [&box]() { box = 0; });
        QElapsedTimer t;
        t.start();
        QCOMPARE(WaitResult(box, 5000), 0);
        QCOMPARE(innerResult, 0);
        QVERIFY(t.elapsed() < 2000);
    }

    void innerDeadlineLetsOuterGoOn()
    {
        Mailbox outer, inner;
        int innerResult = -2;
        QTimer::singleShot(10, [&]() { innerResult = WaitResult(inner, 100); });
        QTimer::singleShot(50, [&outer]() { outer = 0; });
        QCOMPARE(WaitResult(outer, 5000), 0);
        QCOMPARE(innerResult, 1);
    }

    void waitingCostsNoCpu()
    {
        Mailbox box;
        int wakeups = 0;
        auto *dispatcher = QAbstractEventDispatcher::instance();
        auto c = connect(dispatcher, &QAbstractEventDispatcher::awake, this, [&wakeups]() { ++wakeups; });
        QTimer::singleShot(300, [&box]() { box = 0; });
        const std::clock_t before = std::clock();
        QCOMPARE(WaitResult(box, 5000), 0);
        const double cpuMs = 1000.0 * double(std::clock() - before) / CLOCKS_PER_SEC;
        disconnect(c);
        qInfo("300 ms wait: %d wake-ups, %.1f ms CPU", wakeups, cpuMs);
        // A 1 ms polling loop would wake about 300 times.
        QVERIFY2(wakeups < 40, qPrintable(QString::number(wakeups)));
        QVERIFY2(cpuMs < 60.0, qPrintable(QString::number(cpuMs)));
    }
};

int main(int argc, char **argv)
{
    // Before any application object exists a wait must fail at once, not crash.
    {
        Mailbox box;
        const int r = WaitResult(box, 10000);
        if (r != 1 || box.value() != 1) {
            std::fprintf(stderr, "FAIL: wait without an application returned %d\n", r);
            return 1;
        }
    }
    QCoreApplication app(argc, argv);
    WaitTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "wait_test.moc"
