#include "flowmeterfixture.h"

#include "flowmeter/currentcalibration.h"
#include "flowmeter/tgscalibtokform.h"
#include "flowmeter/tgsform1.h"
#include "session/benchqids.h"
#include "link/conventions.h"
#include "link/radiogroup.h"
#include "support/messagerecorder.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <limits>

// The two flowmeter windows and the current output calibration on scripted clients.
class TestFlowWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void twoChannelWindow();
    void gsChannels();
    void tolerance_data();
    void tolerance();
    void calibration();
    void calibrationWaitsFollowTheFlowmeterLink();
};

namespace
{
template <class T> T *Child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no %s", name);
    return c;
}

QString Writes(const FakeMBComMaster &m)
{
    QStringList out;
    for (const FakeMBComMaster::Task &t : m.tasks)
        if (t.op == QLatin1String("WriteHoldRegs"))
            out << QStringLiteral("%1@%2=%3")
                       .arg(t.qid)
                       .arg(t.address)
                       .arg(QString::number(t.value.toDouble()));
    return out.join(QLatin1Char(' '));
}
} // namespace

void TestFlowWindows::twoChannelWindow()
{
    FlowmeterFixture f;
    f.Connect();
    f.Choose(2);
    TFlowMeterForm *w = f.form;
    w->show();

    // Before a channel is chosen the reset acts on channel 1 and no offset is read.
    QTest::mouseClick(Child<QPushButton>(w, "Button1"), Qt::LeftButton);
    QTest::mouseClick(Child<QPushButton>(w, "Button6"), Qt::LeftButton);
    QCOMPARE(Writes(f.mbcm1), QStringLiteral("5@27=2"));
    QVERIFY(f.mbcm1.TasksFor(13).isEmpty());
    QVERIFY(!Child<QPushButton>(w, "Button2")->isEnabled());

    // Channel 2: its registers are polled and coil 2 says so.
    f.mbcm1.ClearTasks();
    QTest::mouseClick(Child<QRadioButton>(w, "rgCanalItem1"), Qt::LeftButton);
    QCOMPARE(f.pribor.RegQ, 235);
    QCOMPARE(f.pribor.RegV, 244);
    QCOMPARE(f.mbcm1.LastTask(4).address, 235);
    QCOMPARE(f.mbcm1.LastTask(2).address, 244);
    QCOMPARE(f.mbcm1.LastTask(-5).value.toBool(), true);

    // The window offset goes out as a word and comes back signed.
    f.mbcm1.ClearTasks();
    Child<QLineEdit>(w, "EdtWindow")->setText(QStringLiteral("-1"));
    QTest::mouseClick(Child<QPushButton>(w, "Button2"), Qt::LeftButton);
    QTest::mouseClick(Child<QPushButton>(w, "Button1"), Qt::LeftButton);
    QCOMPARE(Writes(f.mbcm1), QStringLiteral("14@161=65535 5@28=2"));
    QCOMPARE(f.mbcm1.LastTask(14).dataType, int(dtUInt16));
    QTest::mouseClick(Child<QPushButton>(w, "Button6"), Qt::LeftButton);
    const FakeMBComMaster::Task read = f.mbcm1.LastTask(13);
    QCOMPARE(read.address, 161);
    QCOMPARE(read.dataType, int(dtInt16));
    f.mbcm1.Deliver(13, QVariant::fromValue<quint16>(65535));
    f.mbcm1.Deliver(6, QVariant::fromValue(1.25f));
    f.mbcm1.Deliver(14, QVariant(), 4);
    QTRY_COMPARE_WITH_TIMEOUT(w->SBPanel()->text(), QStringLiteral("Смещение окна: ") + ResultText(4), 5000);
    QCOMPARE(Child<QLineEdit>(w, "EdtWindow")->text(), QStringLiteral("-1"));
    QCOMPARE(Child<QLineEdit>(w, "EdtShift")->text(), QStringLiteral("1,25"));

    // A text that is no number is refused before anything goes out.
    MessageRecorder messages;
    f.mbcm1.ClearTasks();
    Child<QLineEdit>(w, "EdtShift")->setText(QStringLiteral("1,2,3"));
    Child<QLineEdit>(w, "EdtWindow")->setText(QStringLiteral("70000"));
    QTest::mouseClick(Child<QPushButton>(w, "Button5"), Qt::LeftButton);
    QTest::mouseClick(Child<QPushButton>(w, "Button2"), Qt::LeftButton);
    QCOMPARE(messages.shown.size(), 2);
    QCOMPARE(Writes(f.mbcm1), QString());
}

void TestFlowWindows::gsChannels()
{
    FlowmeterFixture f;
    f.Connect();
    f.Choose(6);
    TFlowMeterFormGS *w = f.formGS;
    MessageRecorder messages;

    // The first count read fills the list and applies channel 1, so the window
    // has a channel to show and to write from the start.
    w->ShowAll();
    QCOMPARE(f.mbcm1.LastTask(26).address, 26);
    f.mbcm1.ClearTasks();
    f.mbcm1.Deliver(26, QVariant::fromValue<quint8>(6));
    QTRY_COMPARE_WITH_TIMEOUT(f.mbcm1.TasksFor(18).size(), 1, 5000);
    QCOMPARE(w->RgCanal()->Count(), 6);
    QCOMPARE(w->RgCanal()->ItemIndex(), 0);
    QCOMPARE(f.pribor.RegQ, 49592);
    QCOMPARE(Writes(f.mbcm1), QStringLiteral("18@75=0"));
    QCOMPARE(Child<QLabel>(w, "SBPanel0")->text(), QString());
    // Channels beyond the four stored cannot be chosen.
    QVERIFY(!w->RgCanal()->Button(4)->isEnabled());

    // "Считать" fills the stored settings; channel 3 shows its own.
    QTest::mouseClick(Child<QPushButton>(w, "Button6"), Qt::LeftButton);
    QVariantList ac, med;
    for (int i = 0; i < 4; ++i) {
        ac << QVariant::fromValue<quint16>(quint16(256 - 16 * i));
        med << QVariant::fromValue<quint8>(quint8(5 + i));
    }
    f.mbcm1.Deliver(25, ac);
    f.mbcm1.Deliver(20, med);
    f.mbcm1.Deliver(23, QVariant(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(Child<QLineEdit>(w, "EdtShift")->text(), QStringLiteral("ошибка"), 5000);
    f.mbcm1.ClearTasks();
    QTest::mouseClick(w->RgCanal()->Button(2), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(f.mbcm1.TasksFor(18).size(), 1, 5000);
    QCOMPARE(Child<QLabel>(w, "SBPanel0")->text(), QString()); // the request to choose is gone
    QCOMPARE(f.pribor.RegQ, 49596);
    QCOMPARE(f.pribor.RegV, 49604);
    QCOMPARE(f.pribor.RegAc, 16482);
    QCOMPARE(f.Handed().mid(0, 4),
             (QStringList{"FreeAllTasks 0 0 0 0 0", "ReadInputRegs 2 1000 49604 4 1",
                          "ReadInputRegs 4 1000 49596 4 1", "ReadInputRegs 19 1000 29 17 1"}));
    QCOMPARE(Writes(f.mbcm1), QStringLiteral("18@75=2"));
    QCOMPARE(f.session.Values().AutoCircCount, 224);
    QCOMPARE(Child<QLineEdit>(w, "EdtMed")->text(), QStringLiteral("7"));

    // "Сброс объёма" on channel 2 writes 1 to 84.
    QTest::mouseClick(w->RgCanal()->Button(1), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(f.mbcm1.TasksFor(18).size(), 2, 5000);
    f.mbcm1.ClearTasks();
    QTest::mouseClick(Child<QPushButton>(w, "Button9"), Qt::LeftButton);
    QCOMPARE(Writes(f.mbcm1), QStringLiteral("27@84=1"));

    // A refused channel write clears the choice and applies nothing.
    f.mbcm1.ClearTasks();
    f.mbcm1.Deliver(18, QVariant(), 4);
    QTRY_COMPARE_WITH_TIMEOUT(w->RgCanal()->ItemIndex(), -1, 5000);
    QTest::qWait(20);
    QCOMPARE(f.mbcm1.tasks.size(), 0);
    // The per-channel writes then need a channel again.
    QTest::mouseClick(Child<QPushButton>(w, "Button9"), Qt::LeftButton);
    QCOMPARE(messages.shown, QStringList{QStringLiteral("Выберите канал")});
    QCOMPARE(f.mbcm1.tasks.size(), 0);
}

void TestFlowWindows::tolerance_data()
{
    QTest::addColumn<QList<float>>("currents");
    QTest::addColumn<bool>("pass");
    QTest::newRow("within") << QList<float>{0.15f, 4.1f, 5.2f, 20.9f} << true;
    QTest::newRow("limits") << QList<float>{-0.2f, 3.8f, 5.25f, 21.0f} << true;
    QTest::newRow("0.25 at zero") << QList<float>{0.25f, 4.1f, 5.2f, 20.9f} << false;
    QTest::newRow("4.25 at four") << QList<float>{0.15f, 4.25f, 5.2f, 20.9f} << false;
    QTest::newRow("not a number") << QList<float>{0.0f, 4.0f, std::numeric_limits<float>::quiet_NaN(), 20.0f}
                                  << false;
}

void TestFlowWindows::tolerance()
{
    QFETCH(QList<float>, currents);
    QFETCH(bool, pass);
    QCOMPARE(CurrentCalibration::WithinTolerance({currents[0], currents[1], currents[2], currents[3]}), pass);
}

// A whole calibration per slot with both clients answering at once: the current
// meter reads the point the slot was last told to deliver.
void TestFlowWindows::calibration()
{
    FlowmeterFixture f;
    f.Connect();
    f.ConnectBench();
    f.session.IptDev().Adr = 3;
    f.mbcm.SetConnected(true);
    f.Choose(6);
    MessageRecorder messages;
    f.formGS->SetCurRegim(0);
    QTest::mouseClick(Child<QPushButton>(f.formGS, "BtnSetup"), Qt::LeftButton);
    TGsForm1 *gs1 = f.formGS->GsForm1();
    QVERIFY(gs1 && gs1->isVisible());
    QTest::mouseClick(Child<QPushButton>(gs1, "Button2"), Qt::LeftButton);
    f.mbcm1.Deliver(28, QVariantList{QVariant::fromValue<quint8>(2), QVariant::fromValue<quint8>(2)});
    QTRY_VERIFY_WITH_TIMEOUT(Child<QPushButton>(gs1, "btnCalib2")->isVisibleTo(gs1), 5000);

    QList<float> currents;
    std::function<void(int readNo)> onRead;
    int reads = 0, point = 0, answered1 = 0, answered0 = 0, failPoint = -1;
    // What the main window wires: the current meter's one-shot read to the calibration.
    QObject::connect(&f.mbcm, &IMBComMaster::OnExchange, [&](int, int, int, const QVariant &v, int result) {
        if (result == 0)
            f.link->TokIpt(v.toList().at(f.session.IptChannel()).toDouble());
    });
    // Both links answer every task at once; the current meter reads what the slot
    // was last told to deliver. Ten ticks of a point take milliseconds here.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (; answered1 < f.mbcm1.tasks.size(); ++answered1) {
            const FakeMBComMaster::Task t = f.mbcm1.tasks.at(answered1);
            if (t.op != QLatin1String("WriteHoldRegs"))
                continue;
            if (t.address == 62 || t.address == 63)
                point = t.value.toInt();
            f.mbcm1.Deliver(t.qid, QVariant());
        }
        for (; answered0 < f.mbcm.tasks.size(); ++answered0) {
            const FakeMBComMaster::Task t = f.mbcm.tasks.at(answered0);
            if (t.op != QLatin1String("ReadInputRegs"))
                continue;
            for (int s = 0; s < 2; ++s)
                if (TGsCalibTokForm *w = gs1->CalibForm(s); w && w->Timer()->interval() != 2)
                    w->Timer()->setInterval(2);
            QVariantList four(4, QVariant::fromValue(0.0f));
            four[1] = QVariant::fromValue(currents.at(point));
            f.mbcm.Deliver(t.qid, four, point == failPoint ? 1 : 0);
            const int n = ++reads;
            if (onRead)
                QTimer::singleShot(0, [&, n] { onRead(n); });
        }
    });
    answer.start(1);
    const auto calibButton = [&](int slot) {
        return Child<QPushButton>(gs1, slot == 0 ? "btnCalib1" : "btnCalib2");
    };
    // The slot's button shows its window; the run goes inside the click on
    // "Старт калибровки", as it does for the operator.
    const auto run = [&](int slot, QList<float> c) {
        currents = c;
        reads = 0;
        f.mbcm1.ClearTasks();
        answered1 = 0;
        QTest::mouseClick(calibButton(slot), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(gs1->CalibForm(slot), "btnStart"), Qt::LeftButton);
    };

    // The first click shows the window with its instruction and the current meter
    // channel it reads, and sends nothing; the channel is chosen there.
    f.mbcm1.ClearTasks();
    QTest::mouseClick(calibButton(1), Qt::LeftButton);
    TGsCalibTokForm *second = gs1->CalibForm(1);
    QVERIFY(second && second->isVisible());
    QCOMPARE(second->windowTitle(), QStringLiteral("Второй слот"));
    QVERIFY(Child<QLabel>(second, "Label5")->text().startsWith(QStringLiteral("Подключите токовый выход 2")));
    auto *channel = Child<QComboBox>(second, "CbxIptChannel");
    QCOMPARE(channel->currentText(), QStringLiteral("Канал 1"));
    QVERIFY(Child<QLineEdit>(second, "EdtTok0")->isEnabled() &&
            Child<QLineEdit>(second, "EdtTok0")->isReadOnly());
    QCOMPARE(f.mbcm1.tasks.size(), 0);
    QCOMPARE(second->regim, 0);
    channel->setCurrentIndex(1);
    Q_EMIT channel->activated(1);
    QCOMPARE(f.session.IptChannel(), 1);

    // The second slot: each point measured, the table written to its own entries,
    // a start of the other slot refused meanwhile.
    // What would restart the polling (and free the pending writes) is locked meanwhile.
    bool locked = false;
    onRead = [&](int n) {
        if (n != 3)
            return;
        locked = !Child<QWidget>(f.formGS, "RgCanal")->isEnabled() &&
                 !Child<QPushButton>(f.formGS, "Button6")->isEnabled() && !f.ui.cbxprib->isEnabled();
        locked = locked && !channel->isEnabled();
        QTest::mouseClick(calibButton(0), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(gs1->CalibForm(0), "btnStart"), Qt::LeftButton);
    };
    run(1, {0.15f, 4.1f, 5.2f, 20.9f});
    QVERIFY(locked);
    QVERIFY(Child<QWidget>(f.formGS, "RgCanal")->isEnabled() && Child<QPushButton>(f.formGS, "Button6")->isEnabled());
    QVERIFY(f.ui.cbxprib->isEnabled());
    QVERIFY(channel->isEnabled());
    QCOMPARE(second->regim, 0);
    QCOMPARE(messages.shown,
             QStringList{
                 QStringLiteral("Идет калибровка другого слота.\nОстановите ее, прежде чем начинать новую")});
    QVERIFY(f.mbcm1.TasksFor(TGsCalibTokForm::QidStart(0)).isEmpty());
    QCOMPARE(Writes(f.mbcm1),
             QStringLiteral("30@61=1 32@63=0 32@63=1 32@63=2 32@63=3 37@49198=0.15 38@49202=4.1 "
                            "39@49206=5.2 40@49210=20.9 -30@61=0"));
    QTRY_COMPARE_WITH_TIMEOUT(Child<QLabel>(second, "lblstat20")->text(), QStringLiteral("Записано"), 5000);
    QCOMPARE(Child<QLineEdit>(second, "EdtTok20")->text(), QStringLiteral("20,9"));
    QCOMPARE(Child<QPushButton>(gs1, "btnCalib2")->text(), QStringLiteral("Калибровка токового выхода"));

    // The first slot out of tolerance: told so, nothing written, STOP sent.
    onRead = nullptr;
    messages.Clear();
    run(0, {0.25f, 4.1f, 5.2f, 20.9f});
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown.first().startsWith(QStringLiteral("Значения токов отличаются от эталонных")));
    QCOMPARE(Writes(f.mbcm1), QStringLiteral("29@60=1 31@62=0 31@62=1 31@62=2 31@62=3 -29@60=0"));

    // "Остановить" in the middle: STOP at once, no further point, no table.
    messages.Clear();
    onRead = [&](int n) {
        if (n == 1)
            Child<QPushButton>(gs1->CalibForm(0), "BtnStop")->click();
    };
    run(0, {0.15f, 4.1f, 5.2f, 20.9f});
    QCOMPARE(Writes(f.mbcm1), QStringLiteral("29@60=1 31@62=0 -29@60=0"));
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(gs1->CalibForm(0)->regim, 0);

    // Every current read of the 5 mA point fails: the value of an earlier run is not
    // taken for it, the run ends there and no table is written.
    onRead = nullptr;
    failPoint = 2;
    run(0, {0.15f, 4.1f, 5.2f, 20.9f});
    QCOMPARE(messages.shown,
             QStringList{QStringLiteral("Не удалось считать ток ИПТ в точке 5 мА\nПроверьте подключение ИПТ")});
    QCOMPARE(Writes(f.mbcm1), QStringLiteral("29@60=1 31@62=0 31@62=1 31@62=2 -29@60=0"));
    QCOMPARE(gs1->CalibForm(0)->regim, 0);
}

// The START of a slot calibration is waited for as long as the flowmeter link may
// take: a slow link's late reply still counts, a quick link gives up quickly.
void TestFlowWindows::calibrationWaitsFollowTheFlowmeterLink()
{
    FlowmeterFixture f;
    f.Connect();
    f.ConnectBench();
    f.session.IptDev().Adr = 3;
    f.Choose(6);
    MessageRecorder messages;
    f.formGS->SetCurRegim(0);
    QTest::mouseClick(Child<QPushButton>(f.formGS, "BtnSetup"), Qt::LeftButton);
    TGsForm1 *gs1 = f.formGS->GsForm1();
    QVERIFY(gs1);
    QTest::mouseClick(Child<QPushButton>(gs1, "Button2"), Qt::LeftButton);
    f.mbcm1.Deliver(28, QVariantList{QVariant::fromValue<quint8>(2), QVariant::fromValue<quint8>(2)});
    QTRY_VERIFY_WITH_TIMEOUT(Child<QPushButton>(gs1, "btnCalib2")->isVisibleTo(gs1), 5000);
    const int start = TGsCalibTokForm::QidStart(1), point = TGsCalibTokForm::QidPoint(1);

    // 40 s to answer, no retry: a reply after half a minute is still the START's.
    f.mbcm1.SetAnswerDelay(40000);
    f.mbcm1.SetRetries(0);
    QTimer::singleShot(30500, [&] { f.mbcm1.Deliver(start, QVariant()); });
    // Once the first point is asked for, the operator stops the run.
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (f.mbcm1.TasksFor(point).isEmpty())
            return;
        stopper.stop();
        f.mbcm1.Deliver(point, QVariant());
        // The STOP's reply comes while "Остановить" waits for it.
        QTimer::singleShot(0, [&] { f.mbcm1.Deliver(TGsCalibTokForm::QidStop(1), QVariant()); });
        Child<QPushButton>(gs1->CalibForm(1), "BtnStop")->click();
    });
    stopper.start(10);
    QTest::mouseClick(Child<QPushButton>(gs1, "btnCalib2"), Qt::LeftButton);
    QPushButton *startButton = Child<QPushButton>(gs1->CalibForm(1), "btnStart");
    QElapsedTimer took;
    took.start();
    QTest::mouseClick(startButton, Qt::LeftButton);
    QVERIFY(took.elapsed() >= 30000);
    QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shown.join('|')));
    QCOMPARE(f.mbcm1.TasksFor(point).size(), 1);

    // 100 ms and no retry: an unanswered START ends the run within the link's bound.
    f.mbcm1.ClearTasks();
    f.mbcm1.SetAnswerDelay(100);
    took.restart();
    QTest::mouseClick(startButton, Qt::LeftButton);
    QVERIFY(took.elapsed() < 5000);
    QCOMPARE(messages.shown, QStringList{QStringLiteral("Не удалось записать команду START")});
    QVERIFY(f.mbcm1.TasksFor(point).isEmpty());
    // The lost reply may hide a START the flowmeter took: the STOP follows.
    QCOMPARE(f.mbcm1.TasksFor(TGsCalibTokForm::QidStop(1)).size(), 1);
}

QTEST_MAIN(TestFlowWindows)
#include "tst_flowwindows.moc"
