#include "mainfixture.h"

#include "bench/tfrminit.h"
#include "session/benchqids.h"
#include "session/benchsession.h"
#include "link/windowplacement.h"

#include <QMainWindow>
#include <QtTest>

using namespace BenchQid;

class TestBenchRouting : public QObject
{
    Q_OBJECT

    using Box = Mailbox BenchMailboxes::*;
    struct Route { int qid; Box box; };
    static QList<Route> Routes()
    {
        return {{WriteModuleAddress, &BenchMailboxes::ResAdr}, {WriteModuleSpeed, &BenchMailboxes::ResSpeed},
                {WriteModuleRts, &BenchMailboxes::ResRts}, {WriteEmulBit, &BenchMailboxes::ResEmulBit},
                {ReadEmulBit, &BenchMailboxes::ResEmulBit}, {WritePolarity, &BenchMailboxes::ResPolarity},
                {ReadImrStatus, &BenchMailboxes::ResImrStatus}, {ReadAutoCirc, &BenchMailboxes::ResAutoCirc},
                {ReadAccTime, &BenchMailboxes::ResAccTime}, {ReadCalib, &BenchMailboxes::ResCalib},
                {WriteImrCmd, &BenchMailboxes::ResImrCmd}, {WriteConvCount, &BenchMailboxes::ResConvCount},
                {WritePulseCount, &BenchMailboxes::ResPulseCount}, {WriteImitTime, &BenchMailboxes::ResImitTime},
                {ReadFosc, &BenchMailboxes::ResFosc}, {ReadTimes, &BenchMailboxes::ResTimes},
                {WriteUsiMode, &BenchMailboxes::ResUsiMode}, {ReadIptRaw, &BenchMailboxes::ResIptRaw},
                {ReadIptCur, &BenchMailboxes::ResIptCur}, {ReadIptCurCal, &BenchMailboxes::ResIptCurCal},
                {WriteIptCmd, &BenchMailboxes::ResIptCmd}, {WriteIptDac, &BenchMailboxes::ResIptDac},
                {WriteIptScale, &BenchMailboxes::ResIptScale}, {WriteIptOffset, &BenchMailboxes::ResIptOffset}};
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
        BenchMailboxes &b = w.Session().Box();
        const auto routes = Routes();
        for (const Route &r : routes) {
            for (const Route &other : routes)
                b.*(other.box) = -1;
            Q_EMIT f.mbcm->OnExchange(r.qid, 1, 3, QVariant(), 7);
            for (const Route &other : routes)
                QCOMPARE((b.*(other.box)).value(), other.box == r.box ? 7 : -1);
        }
    }

    void effectsRunAfterTheMailboxIsStored()
    {
        MainFixture f;
        TMainFrm &w = f.Create();
        BenchMailboxes &b = w.Session().Box();
        BenchValues &v = w.Session().Values();
        int seen = -100;
        QVariant value;
        QObject owner;
        QVERIFY(w.Session().Subscribe(ReadAutoCirc, &owner, [&](int, const QVariant &x, int) {
            seen = b.ResAutoCirc;
            value = x;
        }));
        b.ResAutoCirc = -1;
        Q_EMIT f.mbcm->OnExchange(ReadAutoCirc, 1, 4, QVariant::fromValue(quint16(40)), 0);
        QCOMPARE(seen, 0);
        QCOMPARE(v.AutoCircCount, 40);
        QCOMPARE(value.toInt(), 40);
    }

    void decodedValuesOnSuccess()
    {
        MainFixture f;
        TMainFrm &w = f.Create();
        BenchValues &v = w.Session().Values();
        Q_EMIT f.mbcm->OnExchange(ReadImrStatus, 1, 4, QVariantList{quint8(3), quint8(2), quint8(9)}, 0);
        QCOMPARE(v.ImrState, 3);
        QCOMPARE(v.ImrErrors, 2);
        QCOMPARE(v.ImrLastCmd, 9);
        Q_EMIT f.mbcm->OnExchange(ReadAccTime, 1, 4, QVariant::fromValue(quint32(123456)), 0);
        QCOMPARE(v.AccTimeMs, 123456);
        Q_EMIT f.mbcm->OnExchange(ReadCalib, 1, 4, Longs({1, 2, 3, 4, 4000000000LL, 6, 7, 8, 9, 10}), 0);
        QCOMPARE(v.CalibData[0].S0, 1u);
        QCOMPARE(v.CalibData[0].S4, 4000000000u);
        QCOMPARE(v.CalibData[1].S0, 6u);
        QCOMPARE(v.CalibData[1].S4, 10u);
        Q_EMIT f.mbcm->OnExchange(ReadFosc, 1, 3, QVariant::fromValue(quint32(1000000000)), 0);
        QCOMPARE(v.Fosc, 1000000000);
        Q_EMIT f.mbcm->OnExchange(ReadTimes, 1, 3, QVariantList{1.5f, 250.25f}, 0);
        QCOMPARE(v.T0, 1.5);
        QCOMPARE(v.T1, 250.25);
        Q_EMIT f.mbcm->OnExchange(ReadIptRaw, 2, 4, Longs({11, 12, 13, 0xFFFFFFFF}), 0);
        QCOMPARE(v.IptRaw[0], 11);
        QCOMPARE(v.IptRaw[3], -1);
    }

    void failedReadsKeepValuesExceptTheImrState()
    {
        MainFixture f;
        TMainFrm &w = f.Create();
        BenchMailboxes &b = w.Session().Box();
        BenchValues &v = w.Session().Values();
        Q_EMIT f.mbcm->OnExchange(ReadImrStatus, 1, 4, QVariantList{quint8(3), quint8(2), quint8(9)}, 0);
        Q_EMIT f.mbcm->OnExchange(ReadAutoCirc, 1, 4, QVariant::fromValue(quint16(40)), 0);
        Q_EMIT f.mbcm->OnExchange(ReadImrStatus, 1, 4, QVariantList{quint8(0), quint8(0), quint8(0)}, 1);
        QCOMPARE(v.ImrState, 255);
        QCOMPARE(v.ImrErrors, 2);
        QCOMPARE(v.ImrLastCmd, 9);
        QCOMPARE(b.ResImrStatus.value(), 1);
        Q_EMIT f.mbcm->OnExchange(ReadAutoCirc, 1, 4, QVariant::fromValue(quint16(7)), 5);
        QCOMPARE(v.AutoCircCount, 40);
        QCOMPARE(b.ResAutoCirc.value(), 5);
    }

    void successWithTooFewValuesIsAFailure()
    {
        MainFixture f;
        TMainFrm &w = f.Create();
        BenchMailboxes &b = w.Session().Box();
        BenchValues &v = w.Session().Values();
        Q_EMIT f.mbcm->OnExchange(ReadCalib, 1, 4, Longs({1, 2, 3}), 0);
        QCOMPARE(b.ResCalib.value(), BenchRouter::kShortReply);
        QCOMPARE(v.CalibData[0].S0, 0u);
        Q_EMIT f.mbcm->OnExchange(ReadImrStatus, 1, 4, QVariant::fromValue(quint8(3)), 0);
        QCOMPARE(b.ResImrStatus.value(), BenchRouter::kShortReply);
        QCOMPARE(v.ImrState, 255);
        Q_EMIT f.mbcm->OnExchange(ReadEmulBit, 1, 1, QVariant(), 0);
        QCOMPARE(w.SBText(), QStringLiteral("Бит эмуляции: ошибка чтения"));
    }

    void emulationBitReadShowsItsState()
    {
        MainFixture f;
        TMainFrm &w = f.Create();
        Q_EMIT f.mbcm->OnExchange(ReadEmulBit, 1, 1, QVariantList{true, false}, 0);
        QVERIFY(w.Session().Values().EmulBit);
        QCOMPARE(w.SBText(), QStringLiteral("Бит эмуляции: установлен"));
        Q_EMIT f.mbcm->OnExchange(ReadEmulBit, 1, 1, QVariant(false), 0);
        QVERIFY(!w.Session().Values().EmulBit);
        QCOMPARE(w.SBText(), QStringLiteral("Бит эмуляции: сброшен"));
        Q_EMIT f.mbcm->OnExchange(ReadEmulBit, 1, 1, QVariant(true), 2);
        QVERIFY(!w.Session().Values().EmulBit);
        QCOMPARE(w.SBText(), QStringLiteral("Бит эмуляции: ошибка чтения"));
        QCOMPARE(w.Session().Box().ResEmulBit.value(), 2);
    }

    void broadcastWriteReportsToTheDefaultSettingsWindow()
    {
        MainFixture f;
        TMainFrm &w = f.Create();
        // The window owns the broadcast's result once it is opened for the bench.
        w.Windows.FrmInit->Bind(&w.Session());
        w.Windows.FrmInit->writing = -1;
        Q_EMIT f.mbcm->OnExchange(WriteDefaults, 0, 16, QVariant(), 1);
        QCOMPARE(w.Windows.FrmInit->writing, 2);
        w.Windows.FrmInit->writing = -1;
        Q_EMIT f.mbcm->OnExchange(WriteDefaults, 0, 16, QVariant(), 0);
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
        BenchMailboxes &b = w.Session().Box();
        BenchValues &v = w.Session().Values();
        for (const Route &r : Routes())
            b.*(r.box) = -1;
        bool effect = false;
        QObject owner;
        w.Session().Subscribe(qid, &owner, [&](int, const QVariant &, int) { effect = true; });
        w.SetSBText(QStringLiteral("unchanged"));
        Q_EMIT f.mbcm->OnExchange(qid, 1, 3, QVariantList{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0);
        for (const Route &r : Routes())
            QCOMPARE((b.*(r.box)).value(), -1);
        QVERIFY(!effect);
        QCOMPARE(v.ImrState, 0);
        QCOMPARE(w.SBText(), QStringLiteral("unchanged"));
    }

    void resultsArriveFromTheBenchClient()
    {
        MainFixture f;
        TMainFrm &w = f.Create();
        f.mbcm->ReadInputRegs(ReadAutoCirc, 0, 0x4000, 18, 1);
        f.mbcm->Deliver(ReadAutoCirc, QVariant::fromValue(quint16(12)));
        QTRY_COMPARE_WITH_TIMEOUT(w.Session().Values().AutoCircCount, 12, 2000);
        // The flowmeter client's results are not bench results.
        f.mbcm1->ReadHoldRegs(ReadAutoCirc, 0, 0, 18, 1);
        f.mbcm1->Deliver(ReadAutoCirc, QVariant::fromValue(quint16(99)));
        QTest::qWait(20);
        QCOMPARE(w.Session().Values().AutoCircCount, 12);
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

        // A window's first place: beside the main window, never over it while there is room.
        const QList<QRect> screens{screen, QRect(1280, 0, 1024, 768)};
        const QRect main(100, 100, 820, 600);
        const QSize small(300, 200);
        QCOMPARE(PlaceBeside(small, main, screens, {}), QPoint(924, 100));
        QCOMPARE(PlaceBeside(small, main, screens, {QRect(924, 100, 300, 200)}), QPoint(100, 704)); // right is taken
        QCOMPARE(PlaceBeside(small, QRect(400, 100, 820, 600), screens, {}), QPoint(96, 100)); // no room right
        QCOMPARE(PlaceBeside(small, QRect(300, 100, 820, 600), screens, {}), QPoint(300, 704)); // nor left
        // No room anywhere: pushed onto the screen where it hides least of the main window.
        QCOMPARE(PlaceBeside(QSize(450, 520), QRect(0, 0, 866, 577), screens, {}), QPoint(830, 0));
        QCOMPARE(PlaceBeside(QSize(1200, 900), main, screens, {}), QPoint(80, 124));
        // No main window: the middle of the first screen.
        QCOMPARE(PlaceBeside(small, QRect(), screens, {}), QPoint(489, 411));

        // A stored place counts when its title can be grabbed on some screen.
        QVERIFY(PlaceOnScreens(QPoint(1500, 100), small, screens));
        QVERIFY(!PlaceOnScreens(QPoint(1500, 800), small, screens));   // below the second, smaller screen
        QVERIFY(!PlaceOnScreens(QPoint(-280, 100), small, screens));   // a sliver too narrow to drag
        QVERIFY(!PlaceOnScreens(QPoint(100, -30), small, screens));    // title above every screen
    }

    // A window opened for the first time (nothing stored, or a place off every screen)
    // appears beside the main window, fully on the screen; a stored place on screen is kept.
    void firstShowOpensBesideTheMainWindow()
    {
        QMainWindow main;
        main.setFixedSize(200, 150);
        main.move(20, 20);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        for (const std::optional<QPoint> &stored : {std::optional<QPoint>(), std::optional(QPoint(-5000, 10))}) {
            QWidget window(nullptr, Qt::Window);
            window.setFixedSize(160, 100);
            PlaceTopLevel(&window, stored);
            // Never shown, its corner is no place to keep.
            QVERIFY(!HasOwnPlace(&window));
            window.show();
            QVERIFY(HasOwnPlace(&window));
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QVERIFY2(!window.frameGeometry().intersects(main.frameGeometry()), "over the main window");
            QVERIFY(area.contains(window.frameGeometry()));
        }
        QWidget window(nullptr, Qt::Window);
        window.setFixedSize(160, 100);
        PlaceTopLevel(&window, QPoint(30, 40));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.pos(), QPoint(30, 40));
    }
};

QTEST_MAIN(TestBenchRouting)
#include "tst_benchrouting.moc"
