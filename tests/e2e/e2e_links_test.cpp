#include "benchrig.h"

#include "link/canalfrm.h"
#include "sim/lib/flowmeter.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>

namespace
{
const QString kOpen = QStringLiteral("Подключиться");
const QString kClose = QStringLiteral("Отключиться");
} // namespace

// Opening the links, searching the modules: the monitor against the simulated bench.
class E2eLinksTest : public QObject
{
    Q_OBJECT

    static constexpr int kDeadline = BenchRig::kDeadline;

    static bool OpenBench(BenchRig &rig)
    {
        rig.Click("BtnConnect");
        return QTest::qWaitFor([&] { return rig.main->ServerConnected(); }, kDeadline);
    }
    static QString Cell(BenchRig &rig, int row, int col)
    {
        return rig.W<QTableWidget>("sg")->item(row, col)->text();
    }

private Q_SLOTS:
    void bothLinksWithButtonsAndShortcuts()
    {
        BenchRig rig;
        QVERIFY(rig.StartSim());
        rig.WriteSimLinks();
        TMainFrm &main = rig.Create();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QCOMPARE(rig.Caption("BtnConnect"), kOpen);
        QCOMPARE(rig.ServerPanel(), QString());

        rig.Click("BtnConnect");
        QTRY_COMPARE_WITH_TIMEOUT(rig.Caption("BtnConnect"), kClose, kDeadline);
        QVERIFY(main.ServerConnected());
        QCOMPARE(main.Session().BenchClient()->ComPort(), rig.sim->BenchEndpoint());
        QCOMPARE(rig.ServerPanel(), QStringLiteral("Вкл сервер"));
        QCOMPARE(main.SBText(), QStringLiteral("QTM on"));
        QVERIFY(rig.W<QPushButton>("BitBtn5")->isEnabled());
        rig.Click("BtnConnect");
        QVERIFY(!rig.W<QPushButton>("BitBtn5")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(rig.Caption("BtnConnect"), kOpen, kDeadline);
        QVERIFY(!main.ServerConnected());
        QCOMPARE(rig.ServerPanel(), QStringLiteral("Выкл сервер"));
        QCOMPARE(main.SBText(), rig.sim->BenchEndpoint() + QStringLiteral("QTM off"));

        rig.Click("BtnConnect1");
        QTRY_COMPARE_WITH_TIMEOUT(rig.Caption("BtnConnect1"), kClose, kDeadline);
        QVERIFY(main.PriborConnected());
        QCOMPARE(main.Session().FlowmeterClient()->ComPort(), rig.sim->FlowmeterEndpoint());
        QCOMPARE(main.SBText(), QStringLiteral("Pribor on"));
        rig.Click("BtnConnect1");
        QTRY_COMPARE_WITH_TIMEOUT(rig.Caption("BtnConnect1"), kOpen, kDeadline);
        QCOMPARE(main.SBText(), rig.sim->FlowmeterEndpoint() + QStringLiteral("Pribor off"));
        QCOMPARE(rig.ServerPanel(), QStringLiteral("Выкл сервер")); // the flowmeter leaves it

        QTest::keyClick(&main, Qt::Key_K, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(main.ServerConnected(), kDeadline);
        QCOMPARE(rig.Caption("BtnConnect"), kClose);
        QTest::keyClick(&main, Qt::Key_P, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(main.PriborConnected(), kDeadline);
        QCOMPARE(rig.Caption("BtnConnect1"), kClose);
        QTest::keyClick(&main, Qt::Key_K, Qt::ControlModifier);
        QVERIFY(!rig.W<QPushButton>("BtnCount")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!main.ServerConnected(), kDeadline);
        QVERIFY(main.PriborConnected());
        QTest::keyClick(&main, Qt::Key_P, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(!main.PriborConnected(), kDeadline);
        QCOMPARE(rig.Caption("BtnConnect"), kOpen);
        QCOMPARE(rig.Caption("BtnConnect1"), kOpen);
        QVERIFY2(rig.messages.shown.isEmpty(), qPrintable(rig.messages.shown.join(QLatin1Char('|'))));
    }

    // From a first start: both links set through the link dialog, kept in "QTM.ini".
    void firstStartSetsTheLinksInTheDialog()
    {
        BenchRig rig;
        QVERIFY(rig.StartSim());
        TMainFrm &main = rig.Create();
        auto *canal = qobject_cast<TCanalFrm *>(main.Windows.CanalFrm.data());
        QVERIFY(canal);
        const auto enter = [&](const char *opener, const QString &port) {
            rig.Click(opener);
            QTRY_VERIFY_WITH_TIMEOUT(canal->isVisible(), kDeadline);
            canal->findChild<QComboBox *>(QStringLiteral("cbxPort"))->setEditText(port);
            canal->findChild<QLineEdit *>(QStringLiteral("edtAnsDel"))->setText(QStringLiteral("150"));
            canal->findChild<QSpinBox *>(QStringLiteral("UDRet"))->setValue(0);
            QTest::mouseClick(canal->findChild<QPushButton *>(QStringLiteral("btnUse")), Qt::LeftButton);
        };
        enter("btnCanal", rig.sim->BenchEndpoint());
        enter("BBParam", rig.sim->FlowmeterEndpoint());
        QVERIFY2(rig.messages.shown.isEmpty(), qPrintable(rig.messages.shown.join(QLatin1Char('|'))));
        const IniFile ini(QStringLiteral("QTM.ini"));
        QCOMPARE(ini.ReadString(QStringLiteral("QTM"), QStringLiteral("Comm Port"), QString()),
                 rig.sim->BenchEndpoint());
        QCOMPARE(ini.ReadString(QStringLiteral("PRIBOR"), QStringLiteral("Comm Port"), QString()),
                 rig.sim->FlowmeterEndpoint());

        QVERIFY(OpenBench(rig));
        QVERIFY(rig.Search());
        QCOMPARE(int(main.Session().IptDev().Adr), rig.sim->IptAddress());
        rig.Click("BtnConnect1");
        QTRY_VERIFY_WITH_TIMEOUT(main.PriborConnected(), kDeadline);
        // The link test shows the flowmeter's identification.
        auto *name = rig.W<QLineEdit>("Edit4");
        rig.Click("BitBtn7");
        QTRY_COMPARE_WITH_TIMEOUT(name->text(), Flowmeter::ModelName(0), kDeadline);
        QVERIFY(rig.W<QPushButton>("BitBtn7")->isEnabled());
    }

    void portThatCannotBeOpened()
    {
        BenchRig rig;
        rig.WriteLink(QStringLiteral("QTM"), QStringLiteral("/dev/nonexistent-qtm"));
        rig.WriteLink(QStringLiteral("PRIBOR"), QStringLiteral("/dev/nonexistent-qtm"));
        TMainFrm &main = rig.Create();
        QSignalSpy bench(main.Session().BenchClient(), &IMBComMaster::OnChangeConnected);
        QSignalSpy meter(main.Session().FlowmeterClient(), &IMBComMaster::OnChangeConnected);
        rig.Click("BtnConnect");
        rig.Click("BtnConnect1");
        QTest::qWait(500);
        for (const QSignalSpy *spy : {&bench, &meter})
            for (const auto &args : *spy)
                QVERIFY(!args.at(0).toBool());
        QVERIFY(!main.ServerConnected());
        QVERIFY(!main.PriborConnected());
        QCOMPARE(rig.Caption("BtnConnect"), kOpen);
        QCOMPARE(rig.Caption("BtnConnect1"), kOpen);
        QVERIFY(!rig.W<QPushButton>("BitBtn5")->isEnabled());
        // Each link that did not open tells the operator which port and why.
        const QString told = rig.messages.shown.join(QLatin1Char('|'));
        QCOMPARE(rig.messages.shown.size(), 2);
        for (const QString &what : {QStringLiteral("ЦТМ"), QStringLiteral("расходомеру")})
            QVERIFY2(told.contains(
                         QStringLiteral("Не удалось подключиться к %1 (/dev/nonexistent-qtm): порт не найден")
                             .arg(what)),
                     qPrintable(told));
    }

    void searchFindsTheModulesAndKeepsThemOverARestart()
    {
        BenchRig rig;
        SimOptions o;
        o.imrAddress = 4;
        o.usiAddress = 7;
        o.iptAddress = 2;
        QVERIFY(rig.StartSim(o));
        rig.WriteSimLinks();
        TMainFrm &main = rig.Create();
        QVERIFY(OpenBench(rig));
        QVERIFY(rig.Search());
        QCOMPARE(Cell(rig, 1, 1), QStringLiteral("4"));
        QCOMPARE(Cell(rig, 2, 1), QStringLiteral("7"));
        QCOMPARE(Cell(rig, 3, 1), QStringLiteral("2"));
        QCOMPARE(Cell(rig, 1, 2), QStringLiteral("ТЕВОР ЦТМ ИМР 31.02.04.00"));
        QCOMPARE(Cell(rig, 2, 2), QStringLiteral("ТЕВОР ЦТМ УСИ 31.03.04.00"));
        QCOMPARE(Cell(rig, 3, 2), QStringLiteral("ТЕВОР ЦТМ ИПТ 31.04.03.01"));
        QCOMPARE(int(main.Session().ImrDev().Adr), 4);
        QVERIFY(main.Session().ImrDev().Name.contains(QStringLiteral("ЦТМ-ИМР")));
        QCOMPARE(rig.IniAddress("IMR"), 4);
        QCOMPARE(rig.IniAddress("USI"), 7);
        QCOMPARE(rig.IniAddress("IPT"), 2);
        QCOMPARE(main.Search()->SearchPending(), 0);
        QVERIFY(rig.messages.shown.isEmpty());

        // A second start takes the addresses and the link back from "QTM.ini".
        rig.main.reset();
        TMainFrm &again = rig.Create();
        QCOMPARE(int(again.Session().UsiDev().Adr), 7);
        QCOMPARE(Cell(rig, 2, 1), QStringLiteral("7"));
        QVERIFY(OpenBench(rig));
        QCOMPARE(again.Session().BenchClient()->ComPort(), rig.sim->BenchEndpoint());
    }

    // The link closed in the middle of a search ends it; after reopening, a new
    // search finds every module again.
    void linkClosedDuringASearch()
    {
        BenchRig rig;
        QVERIFY(rig.StartSim());
        rig.WriteSimLinks();
        TMainFrm &main = rig.Create();
        QVERIFY(OpenBench(rig));
        auto *btn = rig.W<QPushButton>("BitBtn5");
        QTest::mouseClick(btn, Qt::LeftButton);
        rig.Click("BtnConnect");
        QTRY_VERIFY_WITH_TIMEOUT(!main.ServerConnected(), kDeadline);
        QTRY_COMPARE_WITH_TIMEOUT(main.Search()->SearchPending(), 0, kDeadline);
        QVERIFY(!btn->isEnabled());
        QVERIFY(OpenBench(rig));
        QVERIFY(btn->isEnabled());
        QVERIFY(rig.Search());
        QCOMPARE(int(main.Session().ImrDev().Adr), rig.sim->ImrAddress());
        QCOMPARE(int(main.Session().UsiDev().Adr), rig.sim->UsiAddress());
        QCOMPARE(int(main.Session().IptDev().Adr), rig.sim->IptAddress());
        QCOMPARE(rig.IniAddress("USI"), rig.sim->UsiAddress());
        QVERIFY2(rig.messages.shown.isEmpty(), qPrintable(rig.messages.shown.join(QLatin1Char('|'))));
    }

    // The search shows the address it asks and how far it is, and a stop ends it at
    // once; a module whose address was not reached keeps it.
    void searchShowsItsCourseAndStops()
    {
        BenchRig rig;
        SimOptions o;
        o.usiAddress = 9;
        QVERIFY(rig.StartSim(o));
        rig.WriteSimLinks();
        // Slow addresses without a module: the whole search would take seconds.
        rig.WriteLink(QStringLiteral("QTM"), rig.sim->BenchEndpoint(), 1000);
        {
            IniFile ini(QStringLiteral("QTM.ini"));
            ini.WriteInteger(QStringLiteral("QTM Address"), QStringLiteral("USI"), 9);
            ini.UpdateFile();
        }
        TMainFrm &main = rig.Create();
        QCOMPARE(int(main.Session().UsiDev().Adr), 9);
        QVERIFY(OpenBench(rig));
        auto *btn = rig.W<QPushButton>("BitBtn5");
        auto *stop = rig.W<QPushButton>("BtnSearchStop");
        auto *label = rig.W<QLabel>("LblSearch");
        auto *bar = rig.W<QProgressBar>("PbSearch");
        QVERIFY(!stop->isVisible());
        QTest::mouseClick(btn, Qt::LeftButton);
        QVERIFY(stop->isVisible() && !btn->isEnabled());
        QCOMPARE(label->text(), QStringLiteral("Опрашивается адрес 1 из 10"));
        QCOMPARE(bar->value(), 0);
        // The three answering addresses pass at once; the fourth waits out its second.
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("Опрашивается адрес 4 из 10"), kDeadline);
        QCOMPARE(bar->value(), 3);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("Опрашивается адрес 5 из 10"), kDeadline);
        QCOMPARE(bar->value(), 4);

        QElapsedTimer took;
        took.start();
        QTest::mouseClick(stop, Qt::LeftButton);
        QVERIFY(btn->isEnabled() && !stop->isVisible());
        QCOMPARE(main.Search()->SearchPending(), 0);
        QCOMPARE(label->text(), QStringLiteral("Поиск остановлен на адресе 5"));
        QCOMPARE(bar->value(), 4);
        QCOMPARE(int(main.Session().ImrDev().Adr), 1);
        QCOMPARE(int(main.Session().IptDev().Adr), 3);
        QCOMPARE(int(main.Session().UsiDev().Adr), 9);
        QCOMPARE(Cell(rig, 2, 2), QStringLiteral("Не проверено"));
        QCOMPARE(Cell(rig, 1, 2), QStringLiteral("ТЕВОР ЦТМ ИМР 31.02.04.00"));
        QCOMPARE(rig.IniAddress("USI"), 9);
        // Nothing of the stopped search comes in later.
        QTest::qWait(1500);
        QCOMPARE(label->text(), QStringLiteral("Поиск остановлен на адресе 5"));
        QVERIFY(took.elapsed() < 3000);

        // Searched to the end, the module at 9 is found where it is.
        QVERIFY(rig.Search());
        QCOMPARE(label->text(), QStringLiteral("Поиск завершен: найдено 3 из 3"));
        QCOMPARE(bar->value(), 10);
        QCOMPARE(Cell(rig, 2, 2), QStringLiteral("ТЕВОР ЦТМ УСИ 31.03.04.00"));
        QVERIFY2(rig.messages.shown.isEmpty(), qPrintable(rig.messages.shown.join(QLatin1Char('|'))));
    }

    void silencedModuleIsNotFound()
    {
        BenchRig rig;
        SimOptions o;
        o.faults.silentAddresses.insert(o.usiAddress);
        QVERIFY(rig.StartSim(o));
        rig.WriteSimLinks();
        TMainFrm &main = rig.Create();
        QVERIFY(OpenBench(rig));
        QVERIFY(rig.Search());
        QCOMPARE(Cell(rig, 2, 2), QStringLiteral("Не обнаружено"));
        QCOMPARE(Cell(rig, 1, 2), QStringLiteral("ТЕВОР ЦТМ ИМР 31.02.04.00"));
        QCOMPARE(Cell(rig, 3, 2), QStringLiteral("ТЕВОР ЦТМ ИПТ 31.04.03.01"));
        QCOMPARE(int(main.Session().UsiDev().Adr), 0);
        QCOMPARE(rig.IniAddress("USI"), 0);
        QCOMPARE(rig.IniAddress("IMR"), o.imrAddress);

        // "Свойства" only for a module that was found.
        auto *sg = rig.W<QTableWidget>("sg");
        emit sg->cellClicked(2, 0);
        QVERIFY(!rig.W<QPushButton>("BtnPropQTM")->isEnabled());
        emit sg->cellClicked(1, 0);
        QVERIFY(rig.W<QPushButton>("BtnPropQTM")->isEnabled());
    }
};

QTEST_MAIN(E2eLinksTest)
#include "e2e_links_test.moc"
