#include "benchrig.h"

#include "calc/tcalcfrm.h"
#include "flowmeter/currentcalibration.h"
#include "flowmeter/flowmeterlink.h"
#include "flowmeter/tflowmeterform.h"
#include "flowmeter/tflowmeterformgs.h"
#include "flowmeter/tgscalibtokform.h"
#include "flowmeter/tgsform1.h"
#include "link/radiogroup.h"
#include "session/benchqids.h"
#include "session/benchrouter.h"
#include "sim/lib/flowmeter.h"
#include "sim/lib/simbench.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QTimer>

#include <cmath>

// The flowmeter windows against the simulated flowmeter, as the operator uses them.
class E2eFlowWinTest : public QObject
{
    Q_OBJECT

    static constexpr int kDeadline = BenchRig::kDeadline;
    std::unique_ptr<BenchRig> rig;

    template <class T> static T *In(QWidget *w, const char *name)
    {
        T *c = w->findChild<T *>(QString::fromLatin1(name));
        if (!c)
            qFatal("no %s", name);
        return c;
    }
    static void Click(QWidget *w, const char *button)
    {
        QTest::mouseClick(In<QPushButton>(w, button), Qt::LeftButton);
    }

    // The model row chosen, both links open, the modules found, the flowmeter answered the link test.
    bool Prepare(int model, SimOptions options = {})
    {
        rig = std::make_unique<BenchRig>();
        options.model = model;
        if (!rig->StartSim(options))
            return false;
        rig->WriteSimLinks();
        rig->Create();
        if (!rig->OpenAndSearch(model) || !rig->ModulesFound())
            return false;
        rig->Click("BitBtn7");
        return QTest::qWaitFor(
            [&] { return rig->W<QLineEdit>("Edit4")->text() == Flowmeter::ModelName(model); }, kDeadline);
    }
    Flowmeter &Meter() const { return rig->sim->Bench().Meter(); }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void cleanup() { rig.reset(); }

    void twoChannelModel()
    {
        QVERIFY(Prepare(2));
        rig->Click("BtnSetup");
        TFlowMeterForm *w = rig->main->Windows.FlowMeterForm;
        QVERIFY(w && w->isVisible());
        QTest::mouseClick(In<QRadioButton>(w, "rgCanalItem1"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Meter().MeasuringChannel(), 1, kDeadline);
        QTRY_VERIFY_WITH_TIMEOUT(!w->EdtV()->text().isEmpty(), kDeadline);
        Click(w, "Button6");
        QTRY_COMPARE_WITH_TIMEOUT(In<QLineEdit>(w, "EdtWindow")->text(), QStringLiteral("0"), kDeadline);
        QCOMPARE(In<QLineEdit>(w, "EdtShift")->text(), QStringLiteral("0"));
        QTRY_COMPARE_WITH_TIMEOUT(In<QLabel>(w, "lblErr")->text(), QStringLiteral("OK"), kDeadline);
        // The imitator input off: the channel loses its ultrasonic signal.
        auto *imit = In<QCheckBox>(w, "chbImit");
        const QPoint box(6, imit->height() / 2);
        QTest::mouseClick(imit, Qt::LeftButton, {}, box);
        QTRY_COMPARE_WITH_TIMEOUT(w->SBPanel()->text(), QStringLiteral("подключ. имитатора ОК"), kDeadline);
        QTest::mouseClick(imit, Qt::LeftButton, {}, box);
        QTRY_VERIFY_WITH_TIMEOUT(!Meter().SendsText(), kDeadline);
        QTRY_COMPARE_WITH_TIMEOUT(In<QLabel>(w, "lblErr")->text(), QStringLiteral("НЕТ УЗС"), kDeadline);
    }

    void multiChannelModelAndCalibration()
    {
        SimOptions options;
        options.gcChannels = 3;
        // The flowmeter refuses the START of slot 2's calibration (its STOP it takes).
        QString why;
        QVERIFY2(options.faults.Add(QStringLiteral("refuse:1:61:1"), &why), qPrintable(why));
        QVERIFY(Prepare(6, options));
        TMainFrm &main = *rig->main;
        rig->Click("BtnSetup");
        TFlowMeterFormGS *w = main.Windows.FlowMeterFormGS;
        QVERIFY(w && w->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(w->RgCanal()->Count(), 3, kDeadline);
        QTest::mouseClick(w->RgCanal()->Button(1), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Meter().MeasuringChannel(), 1, kDeadline);
        QCOMPARE(main.Session().Pribor().RegQ, 49594);
        Click(w, "Button6");
        QTRY_COMPARE_WITH_TIMEOUT(w->EdtAc()->text(), QStringLiteral("240"), kDeadline);
        QTRY_COMPARE_WITH_TIMEOUT(In<QLineEdit>(w, "EdtUZS")->text(), QStringLiteral("1480"), kDeadline);
        QTRY_COMPARE_WITH_TIMEOUT(main.Session().Values().AutoCircCount, 240, kDeadline);

        // Verification started and stopped.
        auto *verify = In<QPushButton>(w, "Button7");
        QTRY_COMPARE_WITH_TIMEOUT(w->lblStat()->text(), QStringLiteral("Рабочий"), kDeadline);
        QTRY_VERIFY_WITH_TIMEOUT(verify->isEnabled(), kDeadline);
        QTest::mouseClick(verify, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(w->lblStat()->text(), QStringLiteral("Поверка"), kDeadline);
        QTRY_COMPARE_WITH_TIMEOUT(verify->text(), QStringLiteral("Стоп поверки"), kDeadline);
        QTRY_VERIFY_WITH_TIMEOUT(verify->isEnabled(), kDeadline);
        QTest::mouseClick(verify, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(w->lblStat()->text(), QStringLiteral("Рабочий"), kDeadline);
        QTRY_VERIFY_WITH_TIMEOUT(In<QPushButton>(w, "BtnSetup")->isEnabled(), kDeadline);

        // Slot types read and written.
        Click(w, "BtnSetup");
        TGsForm1 *gs1 = w->GsForm1();
        QVERIFY(gs1 && gs1->isVisible());
        Click(gs1, "Button2");
        auto *slot2 = In<QComboBox>(gs1, "cbxDopSlot2");
        QTRY_COMPARE_WITH_TIMEOUT(slot2->currentIndex(), 1, kDeadline);
        QCOMPARE(In<QComboBox>(gs1, "cbxDopSlot1")->currentIndex(), 2);
        QVERIFY(In<QPushButton>(gs1, "btnCalib1")->isVisible());
        QVERIFY(!In<QPushButton>(gs1, "btnCalib2")->isVisible());
        slot2->setCurrentIndex(2);
        Click(gs1, "Button3");
        QTRY_VERIFY_WITH_TIMEOUT(In<QPushButton>(gs1, "btnCalib2")->isVisible(), kDeadline);

        // A refused START is told; the STOP follows it, no point is asked for, nothing is locked.
        Click(gs1, "btnCalib2");
        Click(gs1->CalibForm(1), "btnStart");
        QCOMPARE(rig->messages.shown, QStringList{QStringLiteral("Не удалось записать команду START")});
        QCOMPARE(gs1->CalibForm(1)->regim, 0);
        QList<quint16> mode;
        QCOMPARE(int(Meter().Read(Space::Holding, 61, 1, &mode)), 0);
        QCOMPARE(mode, QList<quint16>{0});
        QVERIFY(w->RgCanal()->Button(0)->parentWidget()->isEnabled());
        rig->messages.Clear();

        // Slot 1 calibrated against the current meter: the measured table takes its error out.
        QVERIFY(std::fabs(Meter().OutputCurrent(1) - 4.06) < 1e-3);
        QTimer faster; // ten ticks a point, a tenth of the operator's second each
        connect(&faster, &QTimer::timeout, [gs1] {
            if (TGsCalibTokForm *c = gs1->CalibForm(0); c && c->Timer()->interval() != 100)
                c->Timer()->setInterval(100);
        });
        faster.start(5);
        // Slot 1 is wired to the current meter's channel 2, chosen in its window,
        // which the main window's current meter group then shows.
        Click(gs1, "btnCalib1");
        TGsCalibTokForm *calib = gs1->CalibForm(0);
        QVERIFY(calib && calib->isVisible() && calib->regim == 0);
        auto *channel = In<QComboBox>(calib, "CbxIptChannel");
        channel->setCurrentIndex(1);
        Q_EMIT channel->activated(1);
        QVERIFY(rig->W<QRadioButton>("rbi1")->isChecked());
        Click(calib, "btnStart");
        QCOMPARE(calib->regim, 0);
        QCOMPARE(rig->messages.shown, QStringList());
        QTRY_COMPARE_WITH_TIMEOUT(In<QLabel>(calib, "lblstat20")->text(), QStringLiteral("Записано"),
                                  kDeadline);
        QCOMPARE(In<QLineEdit>(calib, "EdtTok4")->text(), QStringLiteral("4,06"));
        QVERIFY(std::fabs(Meter().OutputCurrent(1) - 4.0) < 1e-3);

        // The calculator reads the table back; it shows it against an imitated flow rate.
        auto *calc = main.Calc();
        calc->SetQEtalon(30);
        Click(calc, "Button1");
        QTRY_COMPARE_WITH_TIMEOUT(In<QLineEdit>(calc, "edti4")->text(), QStringLiteral("4,06"), kDeadline);
        QCOMPARE(In<QLineEdit>(calc, "edti20")->text(), QStringLiteral("20,3"));
    }

    // Each write the flowmeter refuses is told where the operator looks, the calibration
    // ends with its STOP, and nothing stays locked.
    void refusedWrites_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("told");
        const QString refused = ResultText(6); // exception 4, as the flowmeter refuses
        QTest::newRow("point") << QStringLiteral("refuse:1:62:2") << QStringLiteral("calibrate")
                               << QStringLiteral("message:Не удалось записать измеряемый ток!");
        QTest::newRow("STOP") << QStringLiteral("refuse:1:60:0") << QStringLiteral("calibrate")
                              << QStringLiteral("message:Не удалось записать команду STOP");
        QTest::newRow("table") << QStringLiteral("refuse:1:%1").arg(CurrentCalibration::TableRegister(1, 0))
                               << QStringLiteral("calibrate") << QStringLiteral("row 4 mA:") + refused;
        QTest::newRow("channel") << QStringLiteral("refuse:1:75:1") << QStringLiteral("channel")
                                 << QStringLiteral("status:Выбор канала: ") + refused;
        QTest::newRow("reset") << QStringLiteral("refuse:1:84") << QStringLiteral("reset")
                               << QStringLiteral("status:Сброс объема: ") + refused;
    }
    void refusedWrites()
    {
        QFETCH(QString, fault);
        QFETCH(QString, action);
        QFETCH(QString, told);
        SimOptions options;
        options.gcChannels = 3;
        QString why;
        QVERIFY2(options.faults.Add(fault, &why), qPrintable(why));
        QVERIFY(Prepare(6, options));
        TMainFrm &main = *rig->main;
        rig->W<QRadioButton>("rbi1")->setChecked(true);
        rig->Click("BtnSetup");
        TFlowMeterFormGS *w = main.Windows.FlowMeterFormGS;
        QVERIFY(w && w->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(w->RgCanal()->Count(), 3, kDeadline);
        rig->messages.Clear();

        if (action == QLatin1String("channel")) {
            QTest::mouseClick(w->RgCanal()->Button(1), Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(w->Status(), told.mid(7), kDeadline);
            QCOMPARE(w->RgCanal()->ItemIndex(), -1);
            QCOMPARE(Meter().MeasuringChannel(), 0);
        } else if (action == QLatin1String("reset")) {
            QTest::mouseClick(w->RgCanal()->Button(1), Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(Meter().MeasuringChannel(), 1, kDeadline);
            Click(w, "Button9");
            QTRY_COMPARE_WITH_TIMEOUT(w->Status(), told.mid(7), kDeadline);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(In<QPushButton>(w, "BtnSetup")->isEnabled(), kDeadline);
            Click(w, "BtnSetup");
            TGsForm1 *gs1 = w->GsForm1();
            QVERIFY(gs1 && gs1->isVisible());
            Click(gs1, "Button2");
            QTRY_VERIFY_WITH_TIMEOUT(In<QPushButton>(gs1, "btnCalib1")->isVisible(), kDeadline);
            QTimer faster; // a tenth of the operator's ticks
            connect(&faster, &QTimer::timeout, [gs1] {
                if (TGsCalibTokForm *c = gs1->CalibForm(0); c && c->Timer()->interval() != 10)
                    c->Timer()->setInterval(10);
            });
            faster.start(2);
            Click(gs1, "btnCalib1"); // opens the window; the run starts from it
            TGsCalibTokForm *calib = gs1->CalibForm(0);
            QVERIFY(calib && calib->isVisible());
            Click(calib, "btnStart");
            QCOMPARE(calib->regim, 0);
            if (told.startsWith(QLatin1String("message:"))) {
                QCOMPARE(rig->messages.shown, QStringList{told.mid(8)});
            } else {
                QCOMPARE(rig->messages.shown, QStringList());
                QTRY_COMPARE_WITH_TIMEOUT(In<QLabel>(calib, "lblStat4")->text(), told.mid(9), kDeadline);
                QCOMPARE(In<QLabel>(calib, "lblstat20")->text(), QStringLiteral("Записано"));
            }
            // The STOP went out after every refusal but its own.
            QList<quint16> mode;
            QCOMPARE(int(Meter().Read(Space::Holding, 60, 1, &mode)), 0);
            QCOMPARE(mode, QList<quint16>{quint16(fault.contains(QLatin1String(":60:0")) ? 1 : 0)});
            QVERIFY(w->RgCanal()->Button(0)->parentWidget()->isEnabled());
            QVERIFY(rig->W<QComboBox>("cbxprib")->isEnabled());
            QVERIFY(In<QPushButton>(calib, "btnStart")->isEnabled());
        }
    }
};

QTEST_MAIN(E2eFlowWinTest)
#include "e2e_flowwin_test.moc"
