#include "flowmeterfixture.h"

#include "link/radiogroup.h"
#include "support/messagerecorder.h"

#include <QLocale>
#include <QTest>

// Model rows, polling tasks and the link test.
class TestFlowmeterSetup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void rows_data();
    void rows();
    void rowWithoutRestartKeepsPreviousTasks();
    void restartSeesTheNewModelsRegisterKind();
    void windowsCreatedOnceAndBound();
    void noRowChangesNoRegister();
    void modelWindowsHiddenForOtherRows();
    void pollingPerType_data();
    void pollingPerType();
    void pollingNeedsConnectedLink();
    void coilFollowsTheChannel();
    void linkTest();
    void linkTestRejectsNonInteger();
    void autoCircRead();
    void setupButtonOpensModelWindow();
};

void TestFlowmeterSetup::rows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("regAc");
    QTest::addColumn<int>("regQ");
    QTest::addColumn<int>("regV");
    QTest::addColumn<int>("pribType");
    QTest::addColumn<int>("interByte");
    QTest::addColumn<QString>("ac");
    QTest::addColumn<int>("autoCirc");
    QTest::addColumn<bool>("restarts");
    QTest::addColumn<bool>("setupVisible");
    QTest::newRow("ЛКТВ-210Н") << 0 << -1 << 0 << 2 << 0 << 1 << "256" << 256 << true << false;
    QTest::newRow("Тевор портативный") << 1 << 112 << 127 << 170 << 1 << 1 << "???" << 0 << true << false;
    QTest::newRow("ГС 130/150") << 2 << 0 << -1 << -1 << 2 << 10 << "???" << 256 << false << true;
    QTest::newRow("Тевор переносной") << 3 << 0 << 127 << 170 << 3 << 1 << "???" << 256 << true << false;
    QTest::newRow("ЛТКВ с АРУ") << 4 << -1 << 0 << 2 << 0 << 1 << "256" << 256 << true << false;
    QTest::newRow("ГС310") << 5 << -1 << 0 << 2 << 0 << 1 << "256" << 256 << true << false;
    QTest::newRow("GC") << 6 << 0x4060 << 0xC1B8 << 0xC1C0 << 6 << 1 << "???" << 256 << false << true;
}

void TestFlowmeterSetup::rows()
{
    QFETCH(int, row);
    FlowmeterFixture f;
    f.mbcm.SetInterByte(20);
    f.mbcm1.SetInterByte(33);
    f.Connect();
    f.Choose(row);

    QTEST(f.pribor.RegAc, "regAc");
    QFETCH(int, regQ);
    QFETCH(int, regV);
    QCOMPARE(f.pribor.RegQ, regQ);
    QCOMPARE(f.pribor.RegV, regV);
    QTEST(f.session.PribType(), "pribType");
    QTEST(f.mbcm.InterByte(), "interByte");
    QCOMPARE(f.mbcm1.InterByte(), 33);
    QTEST(f.ui.edtac->text(), "ac");
    QTEST(f.session.Values().AutoCircCount, "autoCirc");
    QTEST(f.ui.BtnSetup->isVisibleTo(&f.host), "setupVisible");
    QVERIFY(f.ui.BtnConnect1->isEnabled());
    QCOMPARE(f.ui.BtnCount1->isEnabled(), f.pribor.RegAc != -1);

    QFETCH(bool, restarts);
    QCOMPARE(f.mbcm1.freeAllCount, restarts ? 1 : 0);
    if (restarts) {
        // The restart already polls the new registers.
        QCOMPARE(f.mbcm1.LastTask(2).address, regV);
        QCOMPARE(f.mbcm1.LastTask(4).address, regQ);
    } else {
        QVERIFY(f.mbcm1.tasks.isEmpty());
    }
}

void TestFlowmeterSetup::rowWithoutRestartKeepsPreviousTasks()
{
    FlowmeterFixture f;
    f.Connect();
    f.Choose(0);
    f.mbcm1.ClearTasks();
    f.Choose(2);
    QCOMPARE(f.pribor.RegQ, -1);
    QCOMPARE(f.pribor.RegV, -1);
    QVERIFY(f.mbcm1.tasks.isEmpty());
    QCOMPARE(f.mbcm.InterByte(), 10);
    f.Choose(3);
    QCOMPARE(f.mbcm.InterByte(), 1);
}

void TestFlowmeterSetup::restartSeesTheNewModelsRegisterKind()
{
    // Reached without the selector (start-up, target task) while PribType is still the GC's.
    FlowmeterFixture f;
    f.Connect();
    f.Choose(6);
    f.link->SetPribType(0);
    QCOMPARE(f.mbcm1.LastTask(2).op, QStringLiteral("ReadHoldRegs"));
    QCOMPARE(f.mbcm1.LastTask(4).op, QStringLiteral("ReadHoldRegs"));
    QCOMPARE(f.mbcm1.TasksFor(19).size(), 0);
}

void TestFlowmeterSetup::windowsCreatedOnceAndBound()
{
    FlowmeterFixture f;
    QVERIFY(!f.form && !f.formGS);
    f.Choose(1);
    QVERIFY(f.form && f.formGS);
    TFlowMeterForm *first = f.form;
    f.Choose(5);
    QCOMPARE(f.form.data(), first);
    QCOMPARE(f.form->Flowmeter().Client(), &f.mbcm1);
    QCOMPARE(f.formGS->Flowmeter().Client(), &f.mbcm1);
    // The windows share the working descriptor, not a copy.
    QCOMPARE(f.form->Pribor, &f.pribor);
    QCOMPARE(f.formGS->Pribor, &f.pribor);
    QVERIFY(!f.form->isVisible() && !f.formGS->isVisible());
}

void TestFlowmeterSetup::noRowChangesNoRegister()
{
    FlowmeterFixture f;
    f.Connect();
    f.pribor.RegQ = 77;
    f.link->SetPribType(-1);
    QVERIFY(f.form && f.formGS);
    QCOMPARE(f.pribor.RegQ, 77);
    QCOMPARE(f.session.PribType(), -1);
    QCOMPARE(f.ui.edtac->text(), QStringLiteral("???"));
    QVERIFY(f.mbcm1.tasks.isEmpty());
    QVERIFY(!f.ui.BtnSetup->isVisibleTo(&f.host));
    QVERIFY(f.ui.BtnConnect1->isEnabled());
}

void TestFlowmeterSetup::modelWindowsHiddenForOtherRows()
{
    FlowmeterFixture f;
    f.host.show();
    f.Choose(2);
    f.link->BtnSetupClick();
    QVERIFY(f.form->isVisible());
    f.Choose(6);
    QVERIFY(!f.form->isVisible());
    f.link->BtnSetupClick();
    QVERIFY(f.formGS->isVisible());
    f.Choose(0);
    QVERIFY(!f.formGS->isVisible());
}

void TestFlowmeterSetup::pollingPerType_data()
{
    QTest::addColumn<int>("pribType");
    QTest::addColumn<int>("regQ");
    QTest::addColumn<int>("regV");
    QTest::addColumn<QStringList>("tasks");
    const QString coil = QStringLiteral("WriteHoldBins -5 0 2 11 1");
    QTest::newRow("holding") << 0 << 0 << 2
                             << QStringList{"FreeAllTasks 0 0 0 0 0", "ReadHoldRegs 2 1000 2 4 1",
                                            "ReadHoldRegs 4 1000 0 4 1", coil};
    QTest::newRow("none selected, holding")
        << -1 << 127 << 170
        << QStringList{"FreeAllTasks 0 0 0 0 0", "ReadHoldRegs 2 1000 170 4 1", "ReadHoldRegs 4 1000 127 4 1",
                       coil};
    QTest::newRow("two channels") << 2 << 235 << 244
                                  << QStringList{"FreeAllTasks 0 0 0 0 0", "ReadHoldRegs 2 1000 244 4 1",
                                                 "ReadHoldRegs 4 1000 235 4 1",
                                                 "ReadHoldRegs 15 2000 254 18 2", coil};
    QTest::newRow("two channels, none chosen")
        << 2 << -1 << -1 << QStringList{"FreeAllTasks 0 0 0 0 0", "ReadHoldRegs 15 2000 254 18 2", coil};
    QTest::newRow("GC, input registers")
        << 6 << 0xC1BA << 0xC1C2
        << QStringList{"FreeAllTasks 0 0 0 0 0", "ReadInputRegs 2 1000 49602 4 1",
                       "ReadInputRegs 4 1000 49594 4 1", "ReadInputRegs 19 1000 29 17 1", coil};
}

void TestFlowmeterSetup::pollingPerType()
{
    FlowmeterFixture f;
    f.Connect();
    QFETCH(int, pribType);
    QFETCH(int, regQ);
    QFETCH(int, regV);
    f.session.SetPribType(pribType);
    f.pribor.RegQ = regQ;
    f.pribor.RegV = regV;
    f.session.PriborDev().Adr = 9;
    f.mbcm1.SetDeviceAddres(3);
    f.link->RestartPolling();
    QTEST(f.Handed(), "tasks");
    QCOMPARE(f.mbcm1.DeviceAddres(), 9);
    // Every request names the flowmeter's address itself.
    for (const FakeMBComMaster::Task &t : f.mbcm1.tasks)
        if (t.op != QStringLiteral("FreeAllTasks"))
            QCOMPARE(t.device, 9);
    QCOMPARE(f.mbcm1.LastTask(-5).value, QVariant(false));
}

void TestFlowmeterSetup::pollingNeedsConnectedLink()
{
    FlowmeterFixture f;
    f.Choose(0);
    QVERIFY(f.mbcm1.tasks.isEmpty());
    f.link->RestartPolling();
    QVERIFY(f.mbcm1.tasks.isEmpty());
}

void TestFlowmeterSetup::coilFollowsTheChannel()
{
    FlowmeterFixture f;
    f.Connect();
    f.Choose(2);
    f.form->rgCanal()->SetItemIndex(1);
    f.link->RestartPolling();
    QCOMPARE(f.mbcm1.LastTask(-5).value, QVariant(true));
    QCOMPARE(f.mbcm1.LastTask(-5).value.metaType().id(), QMetaType::Bool);
    f.form->rgCanal()->SetItemIndex(0);
    f.link->RestartPolling();
    QCOMPARE(f.mbcm1.LastTask(-5).value, QVariant(false));
}

void TestFlowmeterSetup::linkTest()
{
    FlowmeterFixture f;
    f.Connect();
    f.mbcm.SetDeviceAddres(4);
    f.ui.Edit4->setText(QStringLiteral("старое"));
    f.ui.edtadrp->setText(QStringLiteral("263")); // low 8 bits: 7
    f.link->BitBtn7Click();
    QCOMPARE(f.ui.Edit4->text(), QString());
    QCOMPARE(int(f.session.PriborDev().Adr), 7);
    QCOMPARE(f.mbcm1.DeviceAddres(), 7);
    QCOMPARE(f.mbcm.DeviceAddres(), 4);
    QCOMPARE(f.Handed(), QStringList{"GetDeviceName 1 0 0 0 0"});
    QVERIFY(!f.ui.BitBtn7->isEnabled() && !f.ui.BtnSetup->isEnabled());

    // Answered from another address than typed.
    f.mbcm1.DeliverFrom(1, 12, QStringLiteral("Расходомер ЛКТВ-210Н"));
    QTRY_VERIFY_WITH_TIMEOUT(f.ui.BitBtn7->isEnabled(), 5000);
    QVERIFY(f.ui.BtnSetup->isEnabled());
    QCOMPARE(f.ui.Edit4->text(), QStringLiteral("Расходомер ЛКТВ-210Н"));
    QCOMPARE(int(f.session.PriborDev().Adr), 12);

    // A failure keeps the typed address.
    f.ui.edtadrp->setText(QStringLiteral(" 5"));
    f.link->BitBtn7Click();
    f.mbcm1.DeliverFrom(1, 0, QVariant(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(f.ui.BitBtn7->isEnabled(), 5000);
    QCOMPARE(f.ui.Edit4->text(), QStringLiteral("Прибор не отвечает"));
    QCOMPARE(int(f.session.PriborDev().Adr), 5);
}

void TestFlowmeterSetup::linkTestRejectsNonInteger()
{
    FlowmeterFixture f;
    f.Connect();
    MessageRecorder rec;
    f.session.PriborDev().Adr = 3;
    for (const char *bad : {"", "abc", "1,5", "12x"}) {
        f.ui.Edit4->setText(QStringLiteral("старое"));
        f.ui.edtadrp->setText(QString::fromUtf8(bad));
        f.link->BitBtn7Click();
        QCOMPARE(f.ui.Edit4->text(), QString());
    }
    QCOMPARE(rec.shown.size(), 4);
    QCOMPARE(rec.shown.at(1), QStringLiteral("\"abc\" не является целым числом"));
    QVERIFY(f.mbcm1.tasks.isEmpty());
    QCOMPARE(int(f.session.PriborDev().Adr), 3);
    QVERIFY(f.ui.BitBtn7->isEnabled());
}

void TestFlowmeterSetup::autoCircRead()
{
    FlowmeterFixture f;
    f.Connect();
    f.Choose(1);
    f.mbcm1.ClearTasks();
    f.link->BtnCount1Click();
    QCOMPARE(f.Handed(), QStringList{"ReadHoldRegs 3 0 112 18 1"});
    f.Choose(0); // no autocirculation register: nothing to read
    f.mbcm1.ClearTasks();
    QVERIFY(!f.ui.BtnCount1->isEnabled());
    f.link->BtnCount1Click();
    QVERIFY(f.mbcm1.tasks.isEmpty());
}

void TestFlowmeterSetup::setupButtonOpensModelWindow()
{
    FlowmeterFixture f;
    f.Connect();
    f.Choose(6);
    f.link->BtnSetupClick();
    QVERIFY(f.formGS->isVisible());
    QVERIFY(!f.form->isVisible());
    // Showing the GC window asks for its channel count.
    QCOMPARE(f.Handed(), QStringList{"ReadInputRegs 26 0 26 17 1"});
}

QTEST_MAIN(TestFlowmeterSetup)
#include "tst_flowmetersetup.moc"
