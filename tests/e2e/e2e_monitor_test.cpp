#include "benchrig.h"

#include "exchange/exchangelog.h"
#include "session/benchqids.h"

#include <QAction>
#include <QTableView>
#include <QTableWidget>

// The exchange monitor opened during a module search against the simulated bench.
class E2eMonitorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void searchSeenRequestByRequest()
    {
        BenchRig rig;
        QVERIFY(rig.StartSim());
        rig.WriteSimLinks();
        TMainFrm &main = rig.Create();
        rig.Click("BtnConnect");
        QVERIFY(QTest::qWaitFor([&] { return main.ServerConnected(); }, BenchRig::kDeadline));

        auto *search = rig.W<QPushButton>("BitBtn5");
        QTest::mouseClick(search, Qt::LeftButton);
        QVERIFY(!search->isEnabled());
        main.findChild<QAction *>(QStringLiteral("NExchangeMonitor"))->trigger();
        QWidget *w = main.Windows.ExchangeMonitorFrm;
        QVERIFY(w && w->isVisible());
        QVERIFY(QTest::qWaitFor([&] { return search->isEnabled(); }, 3 * BenchRig::kDeadline));

        auto *log = main.findChild<ExchangeLog *>(QStringLiteral("ExchangeLog"));
        log->Flush();
        QList<ExchangeRecord> ids;
        for (int row = 0; row < log->rowCount(); ++row)
            if (log->At(row).qid == BenchQid::DeviceName)
                ids.append(log->At(row));
        QCOMPARE(ids.size(), 10);
        const int found[] = {rig.sim->ImrAddress(), rig.sim->UsiAddress(), rig.sim->IptAddress()};
        for (int i = 0; i < 10; ++i) {
            const ExchangeRecord &r = ids.at(i);
            const int adr = i + 1;
            QCOMPARE(r.link, QStringLiteral("ЦТМ"));
            QCOMPARE(r.device, adr);
            QCOMPARE(r.function, 0x11);
            // The frames from the line: the real transaction number, the same in the reply.
            QVERIFY(r.RequestCaptured());
            QCOMPARE(r.RequestHex().mid(6),
                     QStringLiteral("00 00 00 02 %1 11").arg(adr, 2, 16, QLatin1Char('0')).toUpper());
            if (i > 0)
                QVERIFY(r.requestWire.left(2).toHex() > ids.at(i - 1).requestWire.left(2).toHex());
            if (std::find(std::begin(found), std::end(found), adr) != std::end(found)) {
                QCOMPARE(r.result, 0);
                QVERIFY(r.ReplyCaptured());
                QCOMPARE(r.ReplyHex().left(5), r.RequestHex().left(5));
                QVERIFY(r.ReplyHex().contains(
                    QStringLiteral("%1 11 ").arg(adr, 2, 16, QLatin1Char('0')).toUpper()));
            } else {
                QCOMPARE(r.result, 1);
                QVERIFY(!r.Answered());
                QVERIFY2(r.durationUs >= 140000,
                         qPrintable(QString::number(r.durationUs))); // the 150 ms time-out
            }
        }
        auto *counters = w->findChild<QTableWidget *>(QStringLiteral("TblCounters"));
        QCOMPARE(counters->item(0, 0)->text().toInt(), log->CountersOf(QStringLiteral("ЦТМ")).requests);
        QCOMPARE(log->CountersOf(QStringLiteral("ЦТМ")).timeouts, 7);
        QVERIFY(log->CountersOf(QStringLiteral("ЦТМ")).answered >= 3);
        QCOMPARE(w->findChild<QTableView *>(QStringLiteral("TvExchange"))->model()->rowCount(),
                 log->rowCount());
    }
};

QTEST_MAIN(E2eMonitorTest)
#include "e2e_monitor_test.moc"
