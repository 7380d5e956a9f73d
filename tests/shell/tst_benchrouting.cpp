#include "mainfixture.h"

#include "bench/tfrminit.h"
#include "link/benchqids.h"
#include "link/windowplacement.h"

#include <QtTest>

using namespace BenchQid;

class TestBenchRouting : public QObject
{
    Q_OBJECT

    using Box = Mailbox BenchShared::*;
    struct Route { int qid; Box box; };
    static QList<Route> Routes()
    {
        return {{WriteModuleAddress, &BenchShared::ResAdr}, {WriteModuleSpeed, &BenchShared::ResSpeed},
                {WriteModuleRts, &BenchShared::ResRts}, {WriteEmulBit, &BenchShared::ResEmulBit},
                {ReadEmulBit, &BenchShared::ResEmulBit}, {WritePolarity, &BenchShared::ResPolarity},
                {ReadImrStatus, &BenchShared::ResImrStatus}, {ReadAutoCirc, &BenchShared::ResAutoCirc},
                {ReadAccTime, &BenchShared::ResAccTime}, {ReadCalib, &BenchShared::ResCalib},
                {WriteImrCmd, &BenchShared::ResImrCmd}, {WriteConvCount, &BenchShared::ResConvCount},
                {WritePulseCount, &BenchShared::ResPulseCount}, {WriteImitTime, &BenchShared::ResImitTime},
                {ReadFosc, &BenchShared::ResFosc}, {ReadTimes, &BenchShared::ResTimes},
                {WriteUsiMode, &BenchShared::ResUsiMode}, {ReadIptRaw, &BenchShared::ResIptRaw},
                {ReadIptCur, &BenchShared::ResIptCur}, {ReadIptCurCal, &BenchShared::ResIptCurCal},
                {WriteIptCmd, &BenchShared::ResIptCmd}, {WriteIptDac, &BenchShared::ResIptDac},
                {WriteIptScale, &BenchShared::ResIptScale}, {WriteIptOffset, &BenchShared::ResIptOffset}};
    }
    static QVariantList Longs(std::initializer_list<qint64> v)
    {
        QVariantList l;
        for (qint64 x : v)
            l << QVariant::fromValue(quint32(x));
        return l;
    }

private Q_SLOTS:
    void everyMailboxGetsItsOwnResult()
    {
        MainFixture f;
        TMainFrm &w = f.Create();
        BenchShared &s = w.Shared();
        const auto routes = Routes();
        for (const Route &r : routes) {
            for (const Route &other : routes)
                s.*(other.box) = -1;
            w.MBCMExchange(r.qid, 1, 3, QVariant(), 7);
            for (const Route &other : routes)
                QCOMPARE((s.*(other.box)).value(), other.box == r.box ? 7 : -1);
        }
    }

    void effectsRunAfterTheMailboxIsStored()
    {
        MainFixture f;
        TMainFrm &w = f.Create();
        BenchShared &s = w.Shared();
        int seen = -100;
        QVariant value;
        s.Effects[ReadAutoCirc] = [&](int, const QVariant &v, int) { seen = s.ResAutoCirc; value = v; };
        s.ResAutoCirc = -1;
        w.MBCMExchange(ReadAutoCirc, 1, 4, QVariant::fromValue(quint16(40)), 0);
        QCOMPARE(seen, 0);
        QCOMPARE(s.AutoCircCount, 40);
        QCOMPARE(value.toInt(), 40);
    }

    void decodedValuesOnSuccess()
    {
        MainFixture f;
        TMainFrm &w = f.Create();
        BenchShared &s = w.Shared();
        w.MBCMExchange(ReadImrStatus, 1, 4, QVariantList{quint8(3), quint8(2), quint8(9)}, 0);
        QCOMPARE(s.ImrState, 3);
        QCOMPARE(s.ImrErrors, 2);
        QCOMPARE(s.ImrLastCmd, 9);
        w.MBCMExchange(ReadAccTime, 1, 4, QVariant::fromValue(quint32(123456)), 0);
        QCOMPARE(s.AccTimeMs, 123456);
        w.MBCMExchange(ReadCalib, 1, 4, Longs({1, 2, 3, 4, 4000000000LL, 6, 7, 8, 9, 10}), 0);
        QCOMPARE(s.CalibData[0].S0, 1u);
        QCOMPARE(s.CalibData[0].S4, 4000000000u);
        QCOMPARE(s.CalibData[1].S0, 6u);
        QCOMPARE(s.CalibData[1].S4, 10u);
        w.MBCMExchange(ReadFosc, 1, 3, QVariant::fromValue(quint32(1000000000)), 0);
        QCOMPARE(s.Fosc, 1000000000);
        w.MBCMExchange(ReadTimes, 1, 3, QVariantList{1.5f, 250.25f}, 0);
        QCOMPARE(s.T0, 1.5);
        QCOMPARE(s.T1, 250.25);
        w.MBCMExchange(ReadIptRaw, 2, 4, Longs({11, 12, 13, 0xFFFFFFFF}), 0);
        QCOMPARE(s.IptRaw[0], 11);
        QCOMPARE(s.IptRaw[3], -1);
    }

    void failedReadsKeepValuesExceptTheImrState()
    {
        MainFixture f;
        TMainFrm &w = f.Create();
        BenchShared &s = w.Shared();
        w.MBCMExchange(ReadImrStatus, 1, 4, QVariantList{quint8(3), quint8(2), quint8(9)}, 0);
        w.MBCMExchange(ReadAutoCirc, 1, 4, QVariant::fromValue(quint16(40)), 0);
        w.MBCMExchange(ReadImrStatus, 1, 4, QVariantList{quint8(0), quint8(0), quint8(0)}, 1);
        QCOMPARE(s.ImrState, 255);
        QCOMPARE(s.ImrErrors, 2);
        QCOMPARE(s.ImrLastCmd, 9);
        QCOMPARE(s.ResImrStatus.value(), 1);
        w.MBCMExchange(ReadAutoCirc, 1, 4, QVariant::fromValue(quint16(7)), 5);
        QCOMPARE(s.AutoCircCount, 40);
        QCOMPARE(s.ResAutoCirc.value(), 5);
    }

    void successWithTooFewValuesIsAFailure()
    {
        MainFixture f;
        TMainFrm &w = f.Create();
        BenchShared &s = w.Shared();
        w.MBCMExchange(ReadCalib, 1, 4, Longs({1, 2, 3}), 0);
        QCOMPARE(s.ResCalib.value(), BenchRouter::kShortReply);
        QCOMPARE(s.CalibData[0].S0, 0u);
        w.MBCMExchange(ReadImrStatus, 1, 4, QVariant::fromValue(quint8(3)), 0);
        QCOMPARE(s.ResImrStatus.value(), BenchRouter::kShortReply);
        QCOMPARE(s.ImrState, 255);
        w.MBCMExchange(ReadEmulBit, 1, 1, QVariant(), 0);
        QCOMPARE(w.SBText(), QStringLiteral("error"));
    }

    void emulationBitReadShowsItsState()
    {
        MainFixture f;
        TMainFrm &w = f.Create();
        w.MBCMExchange(ReadEmulBit, 1, 1, QVariantList{true, false}, 0);
        QVERIFY(w.Shared().EmulBit);
        QCOMPARE(w.SBText(), QStringLiteral("true"));
        w.MBCMExchange(ReadEmulBit, 1, 1, QVariant(false), 0);
        QVERIFY(!w.Shared().EmulBit);
        QCOMPARE(w.SBText(), QStringLiteral("false"));
        w.MBCMExchange(ReadEmulBit, 1, 1, QVariant(true), 2);
        QVERIFY(!w.Shared().EmulBit);
        QCOMPARE(w.SBText(), QStringLiteral("error"));
        QCOMPARE(w.Shared().ResEmulBit.value(), 2);
    }

    void broadcastWriteReportsToTheDefaultSettingsWindow()
    {
        MainFixture f;
        TMainFrm &w = f.Create(true);
        w.Windows.FrmInit->writing = -1;
        w.MBCMExchange(WriteDefaults, 0, 16, QVariant(), 1);
        QCOMPARE(w.Windows.FrmInit->writing, 2);
        w.Windows.FrmInit->writing = -1;
        w.MBCMExchange(WriteDefaults, 0, 16, QVariant(), 0);
        QCOMPARE(w.Windows.FrmInit->writing, 1);
    }

    void unknownAndUnroutedTasksChangeNothing_data()
    {
        QTest::addColumn<int>("qid");
        QTest::newRow("УСИ command") << WriteUsiCmd;
        QTest::newRow("unknown") << 424242;
        QTest::newRow("flowmeter-like id") << 4;
    }
    void unknownAndUnroutedTasksChangeNothing()
    {
        QFETCH(int, qid);
        MainFixture f;
        TMainFrm &w = f.Create();
        BenchShared &s = w.Shared();
        for (const Route &r : Routes())
            s.*(r.box) = -1;
        bool effect = false;
        s.Effects[qid] = [&](int, const QVariant &, int) { effect = true; };
        w.SetSBText(QStringLiteral("unchanged"));
        w.MBCMExchange(qid, 1, 3, QVariantList{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0);
        for (const Route &r : Routes())
            QCOMPARE((s.*(r.box)).value(), -1);
        QVERIFY(!effect);
        QCOMPARE(s.ImrState, 0);
        QCOMPARE(w.SBText(), QStringLiteral("unchanged"));
    }

    void resultsArriveFromTheBenchClient()
    {
        MainFixture f;
        TMainFrm &w = f.Create();
        f.mbcm->ReadInputRegs(ReadAutoCirc, 0, 0x4000, 18, 1);
        f.mbcm->Deliver(ReadAutoCirc, QVariant::fromValue(quint16(12)));
        QTRY_COMPARE_WITH_TIMEOUT(w.Shared().AutoCircCount, 12, 2000);
        // The flowmeter client's results are not bench results.
        f.mbcm1->ReadHoldRegs(ReadAutoCirc, 0, 0, 18, 1);
        f.mbcm1->Deliver(ReadAutoCirc, QVariant::fromValue(quint16(99)));
        QTest::qWait(20);
        QCOMPARE(w.Shared().AutoCircCount, 12);
    }

    void windowPlacement()
    {
        const QRect screen(0, 0, 1280, 1024);
        const QSize size(820, 600);
        const QPoint centre(230, 212);
        QCOMPARE(PlaceWindow(QPoint(100, 50), size, screen), QPoint(100, 50));
        QCOMPARE(PlaceWindow(QPoint(1280, 0), size, screen), QPoint(1280, 0)); // at the edge, not beyond
        QCOMPARE(PlaceWindow(QPoint(1281, 0), size, screen), centre);
        QCOMPARE(PlaceWindow(QPoint(0, 1025), size, screen), centre);
        QCOMPARE(PlaceWindow(QPoint(-819, 0), size, screen), QPoint(-819, 0)); // a sliver still shows
        QCOMPARE(PlaceWindow(QPoint(-820, 0), size, screen), centre);
        QCOMPARE(PlaceWindow(QPoint(0, -600), size, screen), centre);
    }
};

QTEST_MAIN(TestBenchRouting)
#include "tst_benchrouting.moc"
