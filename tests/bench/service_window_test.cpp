#include "shell/mainfixture.h"

#include "bench/modulesearch.h"
#include "bench/tfrminit.h"
#include "bench/tpropertyfrm.h"
#include "bench/tsysfrm.h"
#include "link/conventions.h"
#include "support/messagerecorder.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

// The target task, the module properties and the default settings on a fake bench client.
class ServiceWindowTest : public QObject
{
    Q_OBJECT

    MainFixture f;
    MessageRecorder messages;

    TMainFrm &Main() { return *f.main; }
    bool Shown(const char *page)
    {
        auto *pc = Main().Control<QTabWidget>(QStringLiteral("pc"));
        const int i = pc->indexOf(Main().Page(QString::fromLatin1(page)));
        return i >= 0 && pc->isTabVisible(i);
    }
    QWidget *Group(const char *name) { return Main().Control<QWidget>(QString::fromLatin1(name)); }
    // Confirms the task in the target task dialog opened by "Настройка...".
    void ChooseTask(int task)
    {
        TSysFrm *dlg = Main().Windows.SysFrm;
        QTimer::singleShot(0, dlg, [dlg, task] {
            dlg->findChild<QComboBox *>(QStringLiteral("cbAim"))->setCurrentIndex(task);
            dlg->findChild<QPushButton *>(QStringLiteral("btnUse"))->click();
        });
        Main().BBnTargerClick();
    }

private slots:
    void init()
    {
        f.Create();
        messages.Clear();
    }
    void cleanup() { f.Close(); }

    void targetTasksShowTheirPagesAndMoveTheGroups()
    {
        // The groups of the pulse counter and current meter, where their own widgets are absent.
        for (const char *name : {"GBIpt", "GbUsi"})
            if (!Group(name)) {
                auto *g = new QGroupBox(&Main());
                g->setObjectName(QString::fromLatin1(name));
                g->move(12, 0);
            }
        const char *pages[] = {"TSImitV", "TSImitQ", "TSPoverQ", "TSPoverV",
                               "TSIpt",   "TSImr",   "tsIPT2",   "TsUSI"};
        const QList<QList<bool>> sets = {{true, true, false, false, false, false, false, false},
                                         {false, false, true, true, true, false, false, true},
                                         {false, false, false, false, false, true, true, false}};
        auto *label = Main().Control<QLabel>(QStringLiteral("Label28"));
        auto *prib = Main().Control<QWidget>(QStringLiteral("GbPrib"));
        const QStringList texts = {"Поверка ультразвуковых расходомеров", "Поверка ЦТМ",
                                   "Настройка модулей ЦТМ"};
        for (int task : {1, 2, 0}) {
            ChooseTask(task);
            QCOMPARE(Main().TargetTask(), task);
            QCOMPARE(label->text(), texts[task]);
            QCOMPARE(prib->isVisibleTo(&Main()), task == 0);
            for (int p = 0; p < 8; ++p)
                QVERIFY2(Shown(pages[p]) == sets[task][p], pages[p]);
            QVERIFY(Shown("TsConfig"));
            QCOMPARE(Shown("TS4"), task == 0);
            QWidget *usi = Group("GbUsi");
            QWidget *ipt = Group("GBIpt");
            switch (task) {
            case 1:
                QCOMPARE(usi->parentWidget(), Main().Page(QStringLiteral("TsUSI")));
                QCOMPARE(usi->y(), 10);
                QCOMPARE(Main().Session().Values().AutoCircCount, 255);
                break;
            case 2: {
                // Both groups in the page's left column, one under the other, wholly on
                // the page and clear of the current meter's calibration.
                QWidget *page = Main().Page(QStringLiteral("tsIPT2"));
                QVERIFY(page->isAncestorOf(ipt) && page->isAncestorOf(usi));
                for (QLayout *l : page->findChildren<QLayout *>())
                    l->activate();
                const auto on = [page](const QWidget *w) {
                    return QRect(w->mapTo(page, QPoint()), w->size());
                };
                auto *calibration = page->findChild<QWidget *>(QStringLiteral("GroupBox15"));
                QVERIFY(calibration);
                const QRect i = on(ipt), u = on(usi);
                QVERIFY(u.top() > i.bottom());
                QVERIFY2(page->rect().contains(u),
                         qPrintable(QStringLiteral("%1 px tall from %2 on a page of %3")
                                        .arg(u.height())
                                        .arg(u.top())
                                        .arg(page->height())));
                QVERIFY(!u.intersects(on(calibration)) && !i.intersects(on(calibration)));
                break;
            }
            default:
                // The imitation pages take the groups in their own places, or at the task's distance.
                QVERIFY(Main().Page(QStringLiteral("TSImitQ"))->isAncestorOf(ipt));
                QVERIFY(Main().Page(QStringLiteral("TSImitV"))->isAncestorOf(usi));
                if (usi->parentWidget() == Main().Page(QStringLiteral("TSImitV")))
                    QCOMPARE(usi->y(), 201);
                break;
            }
            QVERIFY(usi->isVisibleTo(usi->parentWidget()) && ipt->isVisibleTo(ipt->parentWidget()));
        }
        // Confirming the task in force changes nothing.
        ChooseTask(0);
        QCOMPARE(label->text(), texts[0]);
        QVERIFY(Shown("TSImitQ") && !Shown("TSPoverQ"));
    }

    void propertiesWriteTheAddressToTheModuleAtItsOldOne()
    {
        TMainFrm &m = Main();
        m.Session().UsiDev().Adr = 3;
        m.Search()->sgClick(2);
        f.mbcm->SetComSpeed(19200);
        m.BtnPropQTMClick();
        TPropertyFrm *prop = m.Windows.PropertyFrm;
        QVERIFY(prop->isVisible());
        auto *adr = prop->findChild<QLineEdit *>(QStringLiteral("EdtAdr"));
        QCOMPARE(adr->text(), QStringLiteral("3"));
        QCOMPARE(prop->findChild<QComboBox *>(QStringLiteral("CBSpeed"))->currentIndex(), -1);

        adr->setText(QStringLiteral("7"));
        // A second click inside the wait writes nothing more: the buttons are locked for it.
        auto *write = prop->findChild<QPushButton *>(QStringLiteral("Button2"));
        QTimer::singleShot(0, f.mbcm, [this, prop, write] {
            QVERIFY(!write->isEnabled());
            prop->Button2Click();
            f.mbcm->Deliver(1, {}, 0);
        });
        prop->Button2Click();
        QVERIFY(write->isEnabled());
        QCOMPARE(f.mbcm->TasksFor(1).size(), 1);
        const FakeMBComMaster::Task t = f.mbcm->LastTask(1);
        QCOMPARE(t.device, 3);
        QCOMPARE(t.address, 0);
        QCOMPARE(t.dataType, int(dtUInt8));
        QCOMPARE(t.value.toInt(), 7);
        QCOMPARE(m.Session().UsiDev().Adr, quint8(7));

        // A refusal is told and the module keeps its address; no number, no request.
        adr->setText(QStringLiteral("9"));
        QTimer::singleShot(0, f.mbcm, [this] { f.mbcm->Deliver(1, {}, 6); });
        prop->Button2Click();
        QCOMPARE(f.mbcm->LastTask(1).device, 7);
        QCOMPARE(m.Session().UsiDev().Adr, quint8(7));
        adr->setText(QStringLiteral("x"));
        prop->Button2Click();
        QCOMPARE(f.mbcm->TasksFor(1).size(), 2);
        QCOMPARE(messages.shown, (QStringList{ResultText(6), "\"x\" не является целым числом"}));

        // "Закрыть" adopts no typed address: only a written one.
        adr->setText(QStringLiteral("5"));
        prop->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QVERIFY(!prop->isVisible());
        QCOMPARE(m.Session().UsiDev().Adr, quint8(7));
    }

    void closeWhileTheLinkOpensEndsTheDefaultSettings()
    {
        TMainFrm &m = Main();
        auto *menu = m.findChild<QAction *>(QStringLiteral("N4"));
        QVERIFY(menu->isVisible());
        menu->trigger();
        TFrmInit *init = m.Windows.FrmInit;
        QVERIFY(init->isVisible());
        // The link never opens: the sequence waits in its first connection.
        f.mbcm->connectOpens = false;
        auto *start = init->findChild<QPushButton *>(QStringLiteral("Button1"));
        QTimer::singleShot(100, init, [init, start] {
            QVERIFY(!start->isEnabled());
            init->findChild<QPushButton *>(QStringLiteral("Button2"))->click();
        });
        start->click();
        QVERIFY(init->InitStop);
        QVERIFY(!init->isVisible());
        QVERIFY(start->isEnabled());
        QCOMPARE(f.mbcm->TasksFor(-1).size(), 0);
        QCOMPARE(f.mbcm->ComSpeed(), 1200);
        QCOMPARE(init->findChild<QPlainTextEdit *>()->toPlainText(), QStringLiteral("Скорость=1200..."));
    }
};

QTEST_MAIN(ServiceWindowTest)
#include "service_window_test.moc"
