#include "imr/imitflow.h"
#include "imr/imitqpage.h"
#include "imr/imrcontroller.h"
#include "link/conventions.h"
#include "link/radiogroup.h"
#include "link/tmbcommaster.h"
#include "session/benchsession.h"
#include "sim/lib/demobench.h"
#include "sim/lib/imrmodule.h"
#include "sim/lib/simbench.h"
#include "support/messagerecorder.h"

#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// The ИМР sequences over the real client against the simulated bench.
class ImrSimTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<DemoBench> sim;
    std::unique_ptr<BenchSession> session;
    TMBComMaster *mbcm = nullptr; // the session's
    std::unique_ptr<ImrController> imr;
    std::unique_ptr<MessageRecorder> messages;

    void Open(double delayNs)
    {
        SimOptions o;
        o.exact = true;
        o.delayNs = delayNs;
        sim = std::make_unique<DemoBench>(o);
        QString error;
        QVERIFY2(sim->Start(&error), qPrintable(error));
        mbcm = new TMBComMaster;
        session = std::make_unique<BenchSession>(mbcm, new TMBComMaster);
        session->ImrDev().Adr = quint8(sim->ImrAddress());
        session->Values().AutoCircCount = 256;
        session->SetPribType(0);
        mbcm->SetComPort(sim->BenchEndpoint());
        mbcm->SetConnected(true);
        QTRY_VERIFY_WITH_TIMEOUT(session->BenchConnected(), 5000);
        imr = std::make_unique<ImrController>(*session);
        messages = std::make_unique<MessageRecorder>();
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup()
    {
        messages.reset();
        imr.reset();
        if (mbcm)
            mbcm->SetConnected(false);
        session.reset();
        mbcm = nullptr;
        sim.reset();
    }

    void calibrationGivesTheModulesDelay_data()
    {
        QTest::addColumn<double>("delay");
        QTest::newRow("600 ns") << 600.0;
        QTest::newRow("97.2 ns") << 97.2;
    }
    void calibrationGivesTheModulesDelay()
    {
        QFETCH(double, delay);
        Open(delay);
        QVERIFY(imr->CalibrateDelayLine());
        QVERIFY(messages->shown.isEmpty());
        QCOMPARE(Fmt3(imr->DelayStep()), Fmt3(delay));
        QCOMPARE(session->Values().ImrLastCmd, 8);
    }

    void imitationAtEachPoint()
    {
        Open(600);
        ImitQPage page(*imr);
        page.show();
        auto *btn = page.findChild<QPushButton *>(QStringLiteral("btnImit"));
        auto *imit = page.findChild<QLineEdit *>(QStringLiteral("EdtRashQImit"));
        page.Points()->SetItemIndex(2);
        QTest::mouseClick(btn, Qt::LeftButton);
        QVERIFY2(messages->shown.isEmpty(), qPrintable(messages->shown.join(QLatin1Char('|'))));
        QCOMPARE(imr->ImrMode(), 1);
        ImrModule &module = sim->Bench().Imr();
        QCOMPARE(module.DelayedPulses(), 26);
        QCOMPARE(imit->text(), QStringLiteral("31.092"));
        QTRY_COMPARE_WITH_TIMEOUT((sim->Bench().Advance(), module.StateCode()), 2, 5000);

        const int points[] = {0, 13, 30, 130, 250};
        for (int i = 1; i < 5; ++i) {
            QTest::mouseClick(page.Points()->Button(i), Qt::LeftButton);
            ImitFlowInput in;
            in.Q = points[i];
            in.autoCircCount = 256;
            in.delayStep = imr->DelayStep();
            const ImitFlowResult expected = ComputeImitFlow(in);
            QCOMPARE(module.DelayedPulses(), expected.v);
            QCOMPARE(imit->text(), Fmt3(expected.ImitQ));
        }
        QCOMPARE(imit->text(), QStringLiteral("251.04"));
        QTRY_COMPARE_WITH_TIMEOUT((sim->Bench().Advance(), module.StateCode()), 2, 5000);

        // point "0" stops the module but keeps the page armed
        // a radio button takes clicks on its indicator and text only
        QTest::mouseClick(page.Points()->Button(0), Qt::LeftButton, {}, QPoint(6, 10));
        QVERIFY2(messages->shown.isEmpty(), qPrintable(messages->shown.join(QLatin1Char('|'))));
        QCOMPARE(page.Points()->ItemIndex(), 0);
        QCOMPARE(imit->text(), QStringLiteral("0.000"));
        QTRY_COMPARE_WITH_TIMEOUT((sim->Bench().Advance(), module.StateCode()), 0, 5000);
        QTest::mouseClick(page.Points()->Button(1), Qt::LeftButton);
        QCOMPARE(module.DelayedPulses(), 11);
        QTRY_COMPARE_WITH_TIMEOUT((sim->Bench().Advance(), module.StateCode()), 2, 5000);

        QTest::mouseClick(btn, Qt::LeftButton);
        QCOMPARE(imr->ImrMode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT((sim->Bench().Advance(), module.StateCode()), 0, 5000);
        QVERIFY(imr->ImrToIdle());
    }

    void autoCirculations()
    {
        Open(600);
        QString shown;
        connect(imr.get(), &ImrController::AutoCircTextChanged, this,
                [&shown](const QString &t) { shown = t; });
        QVERIFY(imr->CountAutoCirculations());
        QCOMPARE(shown, QStringLiteral("256"));
        QCOMPARE(session->Values().AutoCircCount, 256);
    }
};

QTEST_MAIN(ImrSimTest)
#include "imr_sim_test.moc"
