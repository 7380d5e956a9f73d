#include "benchrig.h"

#include "calc/tcalcfrm.h"
#include "imr/imitflow.h"
#include "imr/imitqpage.h"
#include "link/conventions.h"
#include "link/radiogroup.h"
#include "sim/lib/imrmodule.h"
#include "sim/lib/simbench.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QTabWidget>

// One imitation from the operator's side: the monitor against the simulated
// bench, from the search to the error in the calculator.
class E2eImitationTest : public QObject
{
    Q_OBJECT

    static constexpr int kDeadline = BenchRig::kDeadline;
    static constexpr int kPoint30 = 2; // 0, 13, 30, 130, 250 m3/h

    std::unique_ptr<BenchRig> rig;

    // Bench link open, modules found, model row 0.
    bool Prepare(SimOptions options = {})
    {
        rig = std::make_unique<BenchRig>();
        if (!rig->StartSim(options))
            return false;
        rig->WriteSimLinks();
        rig->Create();
        return rig->OpenAndSearch(0, false) && rig->ModulesFound();
    }
    ImitQPage *Page() const
    {
        auto *page = qobject_cast<ImitQPage *>(rig->main->Page(QStringLiteral("TSImitQ")));
        if (page)
            rig->W<QTabWidget>("pc")->setCurrentWidget(page);
        return page;
    }
    QPushButton *ImitButton() const { return Page()->findChild<QPushButton *>(QStringLiteral("btnImit")); }
    bool WaitState(int state) const
    {
        ImrModule &module = rig->sim->Bench().Imr();
        return QTest::qWaitFor([&] { return rig->sim->Bench().Advance(), module.StateCode() == state; },
                               kDeadline);
    }
    QString Messages() const { return rig->messages.shown.join(QLatin1Char('|')); }
    // Starts the imitation at 30 m3/h.
    bool Start()
    {
        ImitQPage *page = Page();
        if (!page)
            return false;
        page->Points()->SetItemIndex(kPoint30);
        QTest::mouseClick(ImitButton(), Qt::LeftButton);
        return rig->messages.shown.isEmpty() && WaitState(2);
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { rig.reset(); }

    void autoCirculationCount()
    {
        QVERIFY(Prepare());
        rig->Click("BtnCount");
        QTRY_COMPARE_WITH_TIMEOUT(rig->W<QLineEdit>("edtac")->text(), QStringLiteral("256"), kDeadline);
        QCOMPARE(rig->main->Session().Values().AutoCircCount, 256);
        QVERIFY2(rig->messages.shown.isEmpty(), qPrintable(Messages()));
    }

    void imitationStartsAndStops()
    {
        QVERIFY(Prepare());
        QVERIFY2(Start(), qPrintable(Messages()));
        BenchSession &s = rig->main->Session();
        ImrController &imr = *rig->main->Imr();
        QCOMPARE(imr.ImrMode(), 1);
        QVERIFY(imr.DelayStep() > 0);
        ImitFlowInput in;
        in.Q = 30;
        in.pribType = s.PribType();
        in.autoCircCount = s.Values().AutoCircCount;
        in.delayStep = imr.DelayStep();
        const ImitFlowResult expected = ComputeImitFlow(in);
        QCOMPARE(expected.status, ImitFlowResult::Ok);
        QCOMPARE(rig->sim->Bench().Imr().DelayedPulses(), expected.v);
        auto *imit = Page()->findChild<QLineEdit *>(QStringLiteral("EdtRashQImit"));
        QCOMPARE(imit->text(), Fmt3(expected.ImitQ));
        QCOMPARE(Fmt3(rig->main->Calc()->QEtalon()), Fmt3(expected.ImitQ));
        QCOMPARE(ImitButton()->text(), QStringLiteral("Остановить имитацию"));

        // Another point rewrites the count while the module keeps imitating.
        in.Q = 130;
        const ImitFlowResult at130 = ComputeImitFlow(in);
        QTest::mouseClick(Page()->Points()->Button(3), Qt::LeftButton);
        QCOMPARE(rig->sim->Bench().Imr().DelayedPulses(), at130.v);
        QCOMPARE(imit->text(), Fmt3(at130.ImitQ));
        QVERIFY(WaitState(2));
        QCOMPARE(Fmt3(rig->main->Calc()->QEtalon()), Fmt3(at130.ImitQ));

        // Point 0 stops the module, and the calculator loses its reference with it.
        QRadioButton *zero = Page()->Points()->Button(0);
        QTest::mouseClick(zero, Qt::LeftButton, {}, QPoint(8, zero->height() / 2)); // on its circle
        QVERIFY(WaitState(0));
        QCOMPARE(imit->text(), QStringLiteral("0.000"));
        QCOMPARE(rig->main->Calc()->QEtalon(), 0.0);
        QCOMPARE(imr.ImrMode(), 1);

        QTest::mouseClick(ImitButton(), Qt::LeftButton);
        QVERIFY(WaitState(0));
        QCOMPARE(imr.ImrMode(), 0);
        QCOMPARE(ImitButton()->text(), QStringLiteral("Начать имитацию"));
        QCOMPARE(imit->text(), QStringLiteral("0.000"));
        QVERIFY2(rig->messages.shown.isEmpty(), qPrintable(Messages()));
    }

    void flowmeterReadingAndErrorInTheCalculator_data()
    {
        QTest::addColumn<double>("error");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("0.5 %") << 0.5 << QColor(0, 128, 0);
        QTest::newRow("1.5 %") << 1.5 << QColor(255, 0, 0);
    }
    void flowmeterReadingAndErrorInTheCalculator()
    {
        QFETCH(double, error);
        QFETCH(QColor, colour);
        SimOptions o;
        o.flowErrorPercent = error;
        QVERIFY(Prepare(o));
        rig->Click("BtnConnect1");
        QTRY_VERIFY_WITH_TIMEOUT(rig->main->PriborConnected(), kDeadline);
        QVERIFY2(Start(), qPrintable(Messages()));
        const double etalon = rig->main->Calc()->QEtalon();
        QVERIFY(etalon > 29 && etalon < 32);

        auto *rashQ1 = rig->W<QLineEdit>("EdtRashQ1");
        auto *qi = rig->main->Calc()->findChild<QLineEdit *>(QStringLiteral("edtqi"));
        auto *percent = rig->main->Calc()->findChild<QLabel *>(QStringLiteral("lblqproc"));
        QVERIFY(qi && percent);
        const auto reading = [](const QString &t) { return t.toDouble(); };
        const auto near = [&](double q) { return qAbs(q - etalon * (1 + error / 100)) < etalon * 0.002; };
        QVERIFY2(QTest::qWaitFor([&] { return rig->sim->Bench().Advance(), near(reading(rashQ1->text())); },
                                 kDeadline),
                 qPrintable(rashQ1->text()));
        QTRY_VERIFY2_WITH_TIMEOUT(near(reading(qi->text())), qPrintable(qi->text()), kDeadline);
        QTRY_VERIFY2_WITH_TIMEOUT(qAbs(percent->text().remove(QLatin1Char('%')).toDouble() - error) < 0.2,
                                  qPrintable(percent->text()), kDeadline);
        QCOMPARE(percent->palette().color(QPalette::WindowText), colour);
        QVERIFY2(rig->messages.shown.isEmpty(), qPrintable(Messages()));

        QTest::mouseClick(ImitButton(), Qt::LeftButton);
        QVERIFY(WaitState(0));
    }
};

QTEST_MAIN(E2eImitationTest)
#include "e2e_imitation_test.moc"
