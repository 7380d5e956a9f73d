#include "benchrig.h"

#include "link/radiogroup.h"
#include "sim/lib/imrmodule.h"
#include "sim/lib/iptmodule.h"
#include "sim/lib/simbench.h"
#include "usi_ipt/iptcalibration.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

// The technician's service work against the simulated bench: the ИМР's quartz and
// reference times, its converter tuning, the reference current and a current meter
// channel calibration.
class E2eTuningTest : public QObject
{
    Q_OBJECT

    static constexpr int kDeadline = BenchRig::kDeadline;
    std::unique_ptr<BenchRig> rig;

    bool Prepare(SimOptions options = {})
    {
        rig = std::make_unique<BenchRig>();
        if (!rig->StartSim(options))
            return false;
        rig->WriteSimLinks();
        rig->Create();
        return rig->OpenAndSearch(-1, false) && rig->ModulesFound();
    }
    void Type(const char *edit, const QString &text) { rig->W<QLineEdit>(edit)->setText(text); }
    bool ClickAndWaitEnabled(const char *button)
    {
        rig->Click(button);
        return QTest::qWaitFor([&] { return rig->W<QPushButton>(button)->isEnabled(); }, kDeadline);
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void cleanup() { rig.reset(); }

    void fitOfTheCurrentMeter()
    {
        IptCalibration::Line line;
        QCOMPARE(IptCalibration::FitLine(100000, 900000, &line), IptCalibration::Fit::Ok);
        QCOMPARE(float(line.scale), 2.99991675e-5f);
        QCOMPARE(float(line.offset), -2.99991675f);
        QCOMPARE(IptCalibration::FitLine(500000, 500000, &line), IptCalibration::Fit::EqualSums);
        // A spread of more than 23.999334 / 2e-5 counts gives a scale below the limit.
        QCOMPARE(IptCalibration::FitLine(100000, 100000 + 1300000, &line), IptCalibration::Fit::OutOfLimits);
        QCOMPARE(IptCalibration::ScaleRegister(4), 0xC006);
        QCOMPARE(IptCalibration::OffsetRegister(4), 0xC00E);
        const QList<int> codes = {0, 2731, 10922, 32768, 54612, 65535};
        const QList<int> positions = {0, 1, 4, 12, 20, 24};
        for (int i = 0; i < positions.size(); ++i)
            QCOMPARE(int(IptCalibration::DacCode(positions[i])), codes[i]);
    }

    void imrQuartzTimesAndConverters()
    {
        QVERIFY(Prepare());
        // "-" is not a number: the conversion message, nothing written.
        rig->Click("BtnF");
        QCOMPARE(rig->messages.shown.value(0), QStringLiteral("\"-\" не является числом"));
        QVERIFY(rig->W<QPushButton>("BtnF")->isEnabled());
        rig->messages.Clear();

        Type("Edit28", QStringLiteral("20,5"));
        Type("Edit29", QStringLiteral("10,25"));
        Type("Edit30", QStringLiteral("35,75"));
        QVERIFY(ClickAndWaitEnabled("BtnF"));
        QVERIFY(ClickAndWaitEnabled("btnT0"));
        QVERIFY(ClickAndWaitEnabled("BtnT1"));
        Type("Edit28", QString());
        Type("Edit29", QString());
        // The next calibration reads them back.
        rig->Click("Button29");
        QTRY_COMPARE_WITH_TIMEOUT(rig->W<QLineEdit>("Edit28")->text(), QStringLiteral("20,5"), kDeadline);
        QCOMPARE(rig->W<QLineEdit>("Edit29")->text(), QStringLiteral("10,25"));
        QCOMPARE(rig->W<QLineEdit>("Edit30")->text(), QStringLiteral("35,75"));

        ImrModule &imr = rig->sim->Bench().Imr();
        rig->Click("BtnStartDa1");
        QTRY_VERIFY_WITH_TIMEOUT(rig->W<QLabel>("lblDa1")->text() != QStringLiteral("..."), kDeadline);
        QCOMPARE(imr.StateCode(), 6);
        QVERIFY(!rig->W<QPushButton>("BtnStartDa1")->isEnabled());
        rig->Click("BtnStopDa1");
        QTRY_VERIFY_WITH_TIMEOUT(rig->W<QPushButton>("BtnStartDa1")->isEnabled(), kDeadline);
        QCOMPARE(imr.StateCode(), 0);

        rig->W<QRadioButton>("RGDa2_2")->setChecked(true);
        rig->Click("BtnStartDa2");
        QTRY_VERIFY_WITH_TIMEOUT(rig->W<QPushButton>("BtnStopDa2")->isEnabled(), kDeadline);
        QCOMPARE(imr.StateCode(), 5);
        rig->Click("BtnStopDa2");
        QTRY_VERIFY_WITH_TIMEOUT(rig->W<QPushButton>("BtnStartDa2")->isEnabled(), kDeadline);
        QVERIFY2(rig->messages.shown.isEmpty(), qPrintable(rig->messages.shown.join('|')));
    }

    void referenceCurrentAndChannelCalibration()
    {
        // Converters 10 % faster than the factory calibration in the registers says.
        SimOptions options;
        options.iptGain = 1.1;
        QVERIFY(Prepare(options));
        IptModule &ipt = rig->sim->Bench().Ipt();
        rig->W<QSlider>("TbMa")->setValue(12);
        QCOMPARE(rig->W<QLabel>("Label4")->text(), QStringLiteral("12"));
        QVERIFY(ClickAndWaitEnabled("Button1"));
        QVERIFY(qAbs(ipt.ReferenceMa() - 12.0) < 0.001);

        rig->Click("Button2");
        QCOMPARE(rig->messages.shown.value(0), QStringLiteral("Канал-то выберите"));
        rig->messages.Clear();
        rig->W<QRadioButton>("RgCanal_0")->setChecked(true);
        // Inside the settling pause the window answers at once, and the DAC, its slider and the
        // channel are locked: a reference current written now would spoil the stored scale.
        QElapsedTimer clock;
        qint64 answeredAt = -1;
        bool locked = false;
        QTimer::singleShot(300, rig->main.get(), [&] {
            answeredAt = clock.elapsed();
            locked = !rig->W<QPushButton>("Button1")->isEnabled() && !rig->W<QSlider>("TbMa")->isEnabled() &&
                     !rig->W<QWidget>("RgCanal")->isEnabled() && !rig->W<QPushButton>("Button2")->isEnabled();
            rig->W<QSlider>("TbMa")->setValue(4);
            rig->Click("Button1");
        });
        clock.start();
        rig->Click("Button2");
        QVERIFY(answeredAt >= 0 && answeredAt < 1500);
        QVERIFY(locked);
        QVERIFY(rig->W<QPushButton>("Button1")->isEnabled() && rig->W<QSlider>("TbMa")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(rig->messages.shown.value(0), QStringLiteral("Калибровка прошла успешно!"),
                                  3 * kDeadline);
        QCOMPARE(rig->main->findChild<QProgressBar *>(QStringLiteral("PBIpt"))->value(), 12);
        QVERIFY(qAbs(ipt.Scale(1) - 3.0e-5f / 1.1f) < 1e-9f);
        QVERIFY(qAbs(ipt.Offset(1) + 3.0f) < 1e-4f);
        QTRY_VERIFY_WITH_TIMEOUT(rig->W<QPushButton>("Button2")->isEnabled(), kDeadline);
    }
};

QTEST_MAIN(E2eTuningTest)
#include "e2e_tuning_test.moc"
