#include "benchrig.h"

#include "calc/tcalcfrm.h"
#include "imr/imitflow.h"
#include "imr/timvofrm.h"
#include "link/conventions.h"
#include "link/radiogroup.h"
#include "link/tpanel.h"
#include "sim/lib/flowmeter.h"
#include "sim/lib/imrmodule.h"
#include "sim/lib/simbench.h"
#include "sim/lib/usimodule.h"
#include "usi_ipt/iptgroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QTabWidget>
#include <QTimer>

// A volume verification from the operator's side against the simulated bench: the
// module's own clock ends the run, and the imitated volume, the flowmeter's volume,
// the counted pulses and the currents agree with the simulator's figures.
class E2eVolumeTest : public QObject
{
    Q_OBJECT

    static constexpr int kDeadline = BenchRig::kDeadline;
    static constexpr int kPoint250 = 4;

    std::unique_ptr<BenchRig> rig;

    bool Prepare()
    {
        rig = std::make_unique<BenchRig>();
        if (!rig->StartSim())
            return false;
        rig->WriteSimLinks();
        rig->Create();
        return rig->OpenAndSearch() && rig->ModulesFound();
    }
    // The settings dialog as the operator fills it: point 250, the volume given.
    void Configure(const char *button, const QString &volume)
    {
        auto *dialog = rig->main->findChild<TImVOFrm *>();
        QVERIFY(dialog);
        QTimer::singleShot(0, dialog, [dialog, volume] {
            dialog->Points()->SetItemIndex(kPoint250);
            dialog->findChild<QLineEdit *>(QStringLiteral("EdtV"))->setText(volume);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("BitBtn1")), Qt::LeftButton);
        });
        rig->Click(button);
    }
    QString Text(const char *edit) const { return rig->W<QLineEdit>(edit)->text(); }
    double Number(const char *edit) const { return Text(edit).toDouble(); }
    ImrModule &Module() const { return rig->sim->Bench().Imr(); }
    QString Messages() const { return rig->messages.shown.join(QLatin1Char('|')); }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { rig.reset(); }

    void volumeRunAtPoint250()
    {
        QVERIFY(Prepare());
        BenchSession &s = rig->main->Session();
        ImrController &imr = *rig->main->Imr();
        TcalcFrm *calc = rig->main->Calc();

        // A volume of -1 is refused before the module gets anything: no run on a wrapped length.
        Configure("Button5", QStringLiteral("-1"));
        rig->Click("BtnQStart");
        QCOMPARE(rig->messages.shown, QStringList{QStringLiteral("Объём не может быть отрицательным")});
        QCOMPARE(imr.ImrMode(), 0);
        QCOMPARE(Module().StateCode(), int(ImrModule::Idle));
        QVERIFY(!rig->main->Volume()->Running());
        QVERIFY(rig->W<QPushButton>("BtnQStart")->isEnabled());
        rig->messages.Clear();

        // The check page first: a volume of 0 is a one-second run with the emulation bit cleared.
        rig->main->ApplyPageSet(1);
        Configure("Button26", QStringLiteral("0"));
        rig->Click("BtnQ2Start");
        QVERIFY2(rig->messages.shown.isEmpty(), qPrintable(Messages()));
        QCOMPARE(imr.ImrMode(), 7);
        QCOMPARE(Text("EdtTime2"), QStringLiteral("1"));
        QCOMPARE(Text("EdtZadQ2"), QStringLiteral("250"));
        QVERIFY(!Module().FeedsFlowmeter());
        QTRY_VERIFY_WITH_TIMEOUT(rig->W<QPushButton>("BtnQ2Start")->isEnabled(), kDeadline);
        QCOMPARE(imr.ImrMode(), 0);
        QCOMPARE(Module().ImitationMs(0), 1000u);
        QCOMPARE(Text("EdtPoverV"), Fmt4(1000 * imr.ImitQ() / 3.6e6));
        QVERIFY(s.Values().EmulBit);

        // The accumulation page: 1 m3 at 250 m3/h, counters reset and read, currents read.
        rig->main->ApplyPageSet(0);
        rig->W<QTabWidget>("pc")->setCurrentWidget(rig->main->Page(QStringLiteral("TSImitV")));
        rig->W<QCheckBox>("ChbCnt1")->setChecked(true);
        rig->Click("Button6");
        auto *ipt = rig->main->findChild<IptGroup *>();
        ipt->Channel()->SetItemIndex(3);
        rig->W<QCheckBox>("ChbTok")->setChecked(true);
        // Channel 2 counts an open-collector output: only in the active input mode.
        QTest::mouseClick(rig->W<TPanel>("PnlUsi2"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(rig->W<TPanel>("PnlUsi2")->Caption(), QStringLiteral("Активный"),
                                  kDeadline);

        Configure("Button5", QStringLiteral("1"));
        QCOMPARE(Text("edtZadV"), QStringLiteral("1"));
        rig->Click("BtnQStart");
        QVERIFY2(rig->messages.shown.isEmpty(), qPrintable(Messages()));
        QCOMPARE(imr.ImrMode(), 3);
        const double imitQ = imr.ImitQ();
        QCOMPARE(ImitLengthSeconds(1, imitQ), 15);
        QCOMPARE(Text("edttime"), QStringLiteral("15"));
        QCOMPARE(rig->W<QProgressBar>("PB")->maximum(), 15);
        QCOMPARE(Text("EdtQReal"), Fmt3(imitQ));
        QVERIFY(Module().FeedsFlowmeter());

        // While it runs: four currents of their own, the fourth in the calculator.
        const double ch1 = 4 + 16 * imitQ / 300, ch2 = 20.5, ch4 = 20 * imitQ / 600;
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(Number("EdtI1") - ch1) < 0.01, kDeadline);
        QVERIFY(qAbs(Number("EdtI2") - ch2) < 0.01);
        QVERIFY(qAbs(Number("EdtI3")) < 0.01);
        QVERIFY(qAbs(Number("EdtI4") - ch4) < 0.01);
        QVERIFY(qAbs(calc->IIzm() - ch4) < 0.01);

        // The module ends the run by its own clock; the program only reads it.
        QTRY_VERIFY_WITH_TIMEOUT(rig->W<QPushButton>("BtnQStart")->isEnabled(), 30000);
        QCOMPARE(imr.ImrMode(), 0);
        QCOMPARE(Module().StateCode(), int(ImrModule::Idle));
        QCOMPARE(Module().ImitationMs(0), 15000u);
        QCOMPARE(s.Values().AccTimeMs, 15000);
        QCOMPARE(Text("edttime"), QStringLiteral("15"));
        const double v = 15000 * imitQ / 3.6e6;
        QCOMPARE(Text("EdtNaborV"), Fmt4(v));
        QCOMPARE(calc->VEtalon(), v);

        // The flowmeter's volume, the counted pulses and the errors agree with the simulator.
        rig->sim->Bench().Advance();
        const Flowmeter &meter = rig->sim->Bench().Meter();
        UsiModule &usi = rig->sim->Bench().Usi();
        QVERIFY(qAbs(meter.Volume() - v) < 1e-3 * v);
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(calc->VIzm() - meter.Volume()) < 1e-6, kDeadline);
        QTRY_COMPARE_WITH_TIMEOUT(Text("EdtCnt1"), QString::number(usi.Count(0)), kDeadline);
        QVERIFY(qAbs(usi.Count(0) - v / 0.001) <= 1);
        QCOMPARE(Text("EdtCnt2"), QString::number(usi.Count(1)));
        QVERIFY(usi.Count(1) > 0 && usi.Count(2) > 9 * usi.Count(0));
        QCOMPARE(usi.Count(3), 0u);
        QTRY_COMPARE_WITH_TIMEOUT(calc->ImpIzm(), double(usi.Count(0)), kDeadline);
        const auto percent = [&](const char *label) {
            return calc->findChild<QLabel *>(QString::fromLatin1(label))
                ->text()
                .remove(QLatin1Char('%'))
                .toDouble();
        };
        QTRY_VERIFY_WITH_TIMEOUT(percent("lblVproc") < 0.1, kDeadline);
        const double pulseError = qAbs(meter.Volume() - usi.Count(0) * 0.001) / meter.Volume() * 100;
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(percent("lblVproc2") - pulseError) < 1e-3, kDeadline);
        QVERIFY2(rig->messages.shown.isEmpty(), qPrintable(Messages()));
    }
};

QTEST_MAIN(E2eVolumeTest)
#include "e2e_volume_test.moc"
