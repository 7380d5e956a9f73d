#include "benchrig.h"

#include "bench/tfrminit.h"
#include "bench/tpropertyfrm.h"
#include "bench/tsysfrm.h"
#include "imr/poverqpage.h"
#include "imr/verifypoint.h"
#include "link/conventions.h"
#include "link/radiogroup.h"
#include "sim/lib/imrmodule.h"
#include "sim/lib/iptmodule.h"
#include "sim/lib/simbench.h"
#include "sim/lib/usimodule.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

// The bench's own verification and the module service work, as a technician does
// them against the simulated bench.
class E2eServiceTest : public QObject
{
    Q_OBJECT

    static constexpr int kDeadline = BenchRig::kDeadline;
    std::unique_ptr<BenchRig> rig;

    // Bench link open and the modules found.
    bool Prepare(SimOptions options = {})
    {
        rig = std::make_unique<BenchRig>();
        if (!rig->StartSim(options))
            return false;
        rig->WriteSimLinks();
        rig->Create();
        return rig->OpenAndSearch(-1, false) && rig->ModulesFound();
    }
    void ChooseTask(int task)
    {
        TSysFrm *dlg = rig->main->Windows.SysFrm;
        QTimer::singleShot(0, dlg, [dlg, task] {
            dlg->findChild<QComboBox *>(QStringLiteral("cbAim"))->setCurrentIndex(task);
            dlg->findChild<QPushButton *>(QStringLiteral("btnUse"))->click();
        });
        rig->Click("BBnTarger");
    }
    bool Shown(const char *page) const
    {
        auto *pc = rig->W<QTabWidget>("pc");
        const int i = pc->indexOf(rig->main->Page(QString::fromLatin1(page)));
        return i >= 0 && pc->isTabVisible(i);
    }
    PoverQPage *Page() const
    {
        auto *page = qobject_cast<PoverQPage *>(rig->main->Page(QStringLiteral("TSPoverQ")));
        if (page)
            rig->W<QTabWidget>("pc")->setCurrentWidget(page);
        return page;
    }
    ImrModule &Imr() const { return rig->sim->Bench().Imr(); }
    bool WaitState(int state) const
    {
        return QTest::qWaitFor([&] { return rig->sim->Bench().Advance(), Imr().StateCode() == state; },
                               kDeadline);
    }
    QString Messages() const { return rig->messages.shown.join(QLatin1Char('|')); }
    QString Cell(int row) const { return rig->W<QTableWidget>("sg")->item(row, 1)->text(); }
    // On the indicator: a wide button takes clicks on its indicator and caption only.
    void Pick(QRadioButton *b) const { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2)); }
    bool Start()
    {
        ChooseTask(1);
        QTest::mouseClick(Page()->findChild<QPushButton *>(QStringLiteral("BtnStartPover")), Qt::LeftButton);
        return rig->main->Imr()->DelayStep() > 0 && rig->messages.shown.isEmpty();
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { rig.reset(); }

    void verificationOfTheImitation()
    {
        QVERIFY(Prepare());
        QVERIFY2(Start(), qPrintable(Messages()));
        QVERIFY(Shown("TSPoverQ") && Shown("TSPoverV") && Shown("TSIpt") && Shown("TsUSI"));
        QVERIFY(!Shown("TSImitQ") && !Shown("TSImitV"));
        if (QWidget *usi = rig->main->Control<QWidget>(QStringLiteral("GbUsi")))
            QVERIFY(rig->main->Page(QStringLiteral("TsUSI"))->isAncestorOf(usi));

        ImrController &imr = *rig->main->Imr();
        PoverQPage *page = Page();
        const int points[] = {2, 15, 30, 250};
        for (int i = 0; i < 4; ++i) {
            if (i > 0)
                Pick(page->Points()->Button(i));
            const VerifyPointResult r = ComputeVerifyPoint(points[i], imr.DelayStep());
            QCOMPARE(Imr().DelayedPulses(), r.n);
            QCOMPARE(page->findChild<QLineEdit *>(QStringLiteral("edtQReal_Imited"))->text(), Fmt3(r.ImitQ));
        }
        Pick(page->PulseCheck()->Button(1));
        QVERIFY2(WaitState(8), qPrintable(Messages()));
        QCOMPARE(imr.ImrMode(), 5);
        Pick(page->LineCheck()->Button(0));
        QVERIFY(WaitState(7));
        Pick(page->PulseCheck()->Button(0));
        QCOMPARE(imr.ImrMode(), 6);
        QTest::mouseClick(page->findChild<QPushButton *>(QStringLiteral("btnPover1")), Qt::LeftButton);
        QVERIFY(WaitState(0));
        QCOMPARE(Imr().LastCommand(), 19);
        QCOMPARE(Imr().DelayedPulses(), ComputeVerifyPoint(250, imr.DelayStep()).n - 1);
        QTest::mouseClick(page->findChild<QPushButton *>(QStringLiteral("BtnStopPover")), Qt::LeftButton);
        QVERIFY(WaitState(0));
        QCOMPARE(imr.ImrMode(), 0);
        QCOMPARE(page->PulseCheck()->ItemIndex(), -1);
        QVERIFY(page->findChild<QPushButton *>(QStringLiteral("BtnStartPover"))->isEnabled());
        QVERIFY2(rig->messages.shown.isEmpty(), qPrintable(Messages()));

        ChooseTask(0);
        QVERIFY(Shown("TSImitQ") && Shown("TSImitV") && !Shown("TSPoverQ") && !Shown("TsUSI"));
        if (QWidget *usi = rig->main->Control<QWidget>(QStringLiteral("GbUsi")))
            QVERIFY(rig->main->Page(QStringLiteral("TSImitV"))->isAncestorOf(usi));
        if (QWidget *ipt = rig->main->Control<QWidget>(QStringLiteral("GBIpt")))
            QVERIFY(rig->main->Page(QStringLiteral("TSImitQ"))->isAncestorOf(ipt));
    }

    void oneShotCheckNamesTheMismatch_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("state") << "state:1:10:8"
                               << "Прибор не вошел в режим поверки задержанных импульсов.";
        QTest::newRow("error") << "error:1:10:1"
                               << "Прибор ответил ошибкой автомата имитиции.";
        QTest::newRow("last") << "last:1:10:20"
                              << "Прибор выдает результат последней операции как-то не так.";
    }
    void oneShotCheckNamesTheMismatch()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        SimOptions o;
        QVERIFY(o.faults.Add(fault, nullptr));
        QVERIFY(Prepare(o));
        QVERIFY2(Start(), qPrintable(Messages()));
        Pick(Page()->PulseCheck()->Button(0));
        QTest::mouseClick(Page()->findChild<QPushButton *>(QStringLiteral("btnPover1")), Qt::LeftButton);
        QCOMPARE(rig->messages.shown, QStringList{message});
    }

    void readdressAModuleAndRestoreTheDefaults()
    {
        SimOptions o;
        QVERIFY(o.faults.Add(QStringLiteral("refuse:7:0:8"), nullptr));
        QVERIFY(Prepare(o));
        TMainFrm &main = *rig->main;
        emit rig->W<QTableWidget>("sg")->cellClicked(2, 0);
        QVERIFY(rig->W<QPushButton>("BtnPropQTM")->isEnabled());
        rig->Click("BtnPropQTM");
        TPropertyFrm *prop = main.Windows.PropertyFrm;
        auto *adr = prop->findChild<QLineEdit *>(QStringLiteral("EdtAdr"));
        QCOMPARE(adr->text(), QString::number(rig->sim->UsiAddress()));
        adr->setText(QStringLiteral("7"));
        QTest::mouseClick(prop->findChild<QPushButton *>(QStringLiteral("Button2")), Qt::LeftButton);
        QCOMPARE(rig->sim->Bench().Usi().Address(), 7);
        QCOMPARE(main.Session().UsiDev().Adr, quint8(7));
        // The module at 7 refuses 8: the operator is told, the module keeps 7.
        adr->setText(QStringLiteral("8"));
        QTest::mouseClick(prop->findChild<QPushButton *>(QStringLiteral("Button2")), Qt::LeftButton);
        QCOMPARE(rig->messages.shown.size(), 1);
        QCOMPARE(main.Session().UsiDev().Adr, quint8(7));
        adr->setText(QStringLiteral("7"));
        QTest::mouseClick(prop->findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
        QVERIFY(!prop->isVisible());
        QVERIFY(rig->Search());
        QCOMPARE(Cell(2), QStringLiteral("7"));

        main.findChild<QAction *>(QStringLiteral("N4"))->trigger();
        TFrmInit *init = main.Windows.FrmInit;
        auto *close = init->findChild<QPushButton *>(QStringLiteral("Button2"));
        QTimer::singleShot(3 * kDeadline, close, &QPushButton::click); // a hang must not hold the test
        QTest::mouseClick(init->findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
        QVERIFY2(init->findChild<QPlainTextEdit *>()->toPlainText().endsWith(QStringLiteral("Завершено.")),
                 qPrintable(init->findChild<QPlainTextEdit *>()->toPlainText()));
        QTRY_VERIFY_WITH_TIMEOUT(!main.ServerConnected(), kDeadline);
        QCOMPARE(rig->sim->Bench().Usi().Address(), rig->sim->UsiAddress());
        QCOMPARE(rig->sim->Bench().Imr().Address(), rig->sim->ImrAddress());
        QCOMPARE(rig->sim->Bench().Ipt().Address(), rig->sim->IptAddress());
        rig->Click("BtnConnect");
        QTRY_VERIFY_WITH_TIMEOUT(main.ServerConnected(), kDeadline);
        QVERIFY(rig->Search());
        QCOMPARE(Cell(2), QString::number(rig->sim->UsiAddress()));
        QCOMPARE(Cell(1), QString::number(rig->sim->ImrAddress()));
        QCOMPARE(Cell(3), QString::number(rig->sim->IptAddress()));
    }
};

QTEST_MAIN(E2eServiceTest)
#include "e2e_service_test.moc"
