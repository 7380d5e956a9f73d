#include "link/activityindicator.h"
#include "link/conventions.h"
#include "link/keyfilters.h"
#include "link/messages.h"
#include "link/radiogroup.h"
#include "support/fakembcommaster.h"
#include "support/messagerecorder.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

class ConventionsWidgetsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void intFilterDropsNonDigits()
    {
        QLineEdit edit;
        InstallIntFilter(&edit);
        QTest::keyClicks(&edit, QStringLiteral("12a-3.+"));
        QTest::sendKeyEvent(QTest::Press, &edit, Qt::Key_unknown, QStringLiteral("ж"), Qt::NoModifier);
        QCOMPARE(edit.text(), QStringLiteral("12-3"));
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QStringLiteral("12-"));
    }

    void floatFilterTypesTheLocaleSeparator_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ru point") << QLocale(QLocale::Russian) << "1.5e"
                                  << "1,5";
        QTest::newRow("ru comma") << QLocale(QLocale::Russian) << "-1,5"
                                  << "-1,5";
        QTest::newRow("c comma") << QLocale::c() << "1,5E"
                                 << "1.5";
        QTest::newRow("c point") << QLocale::c() << "2.25"
                                 << "2.25";
    }
    void floatFilterTypesTheLocaleSeparator()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QLocale::setDefault(locale);
        QLineEdit edit;
        InstallFloatFilter(&edit);
        QTest::keyClicks(&edit, typed);
        QCOMPARE(edit.text(), shown);
        bool ok = false;
        QCOMPARE(ParseDecimal(edit.text(), &ok), ParseDecimal(typed.left(shown.size()), &ok));
        QVERIFY(ok);
    }

    void filteredFieldsKeepEditingKeys()
    {
        QLineEdit edit;
        InstallFloatFilter(&edit);
        QTest::keyClicks(&edit, QStringLiteral("125"));
        QTest::keyClick(&edit, Qt::Key_Left);
        QTest::keyClick(&edit, Qt::Key_Left);
        QTest::keyClicks(&edit, QStringLiteral("."));
        QCOMPARE(edit.text(), QStringLiteral("1.25"));
        QTest::keyClick(&edit, Qt::Key_Delete);
        QCOMPARE(edit.text(), QStringLiteral("1.5"));
        QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(edit.hasSelectedText());
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QString());
    }

    void recorderTakesEveryMessage()
    {
        MessageRecorder outer;
        Messages::Show(QStringLiteral("первое"));
        {
            MessageRecorder inner;
            inner.answers = {false, true};
            inner.answer = false;
            Messages::Show(QStringLiteral("второе"));
            QVERIFY(!Messages::Ask(QStringLiteral("a?")));
            QVERIFY(Messages::Ask(QStringLiteral("b?")));
            QVERIFY(!Messages::Ask(QStringLiteral("c?")));
            QCOMPARE(inner.shown, QStringList({QStringLiteral("второе")}));
            QCOMPARE(inner.asked.size(), 3);
        }
        // The outer recorder is back in place once the inner one is gone.
        QVERIFY(Messages::Ask(QStringLiteral("d?")));
        QCOMPARE(outer.shown, QStringList({QStringLiteral("первое")}));
        QCOMPARE(outer.asked, QStringList({QStringLiteral("d?")}));
    }

    void activityIndicatorTurns()
    {
        ActivityIndicator pb;
        QCOMPARE(pb.text(), QStringLiteral("|"));
        const QStringList expected = {"/", "--", "\\", "|", "/"};
        for (int i = 0; i < expected.size(); ++i) {
            pb.Advance();
            QCOMPARE(pb.text(), expected.at(i));
            QCOMPARE(pb.property("tag").toInt(), (i + 1) % 4);
        }
        pb.setProperty("tag", 2);
        pb.Advance();
        QCOMPARE(pb.text(), QStringLiteral("\\"));
        pb.setProperty("tag", 9);
        pb.Advance();
        QCOMPARE(pb.text(), QStringLiteral("|"));
        QCOMPARE(pb.Tag(), 0);
    }

    void radioGroupIndexes()
    {
        QGroupBox box;
        auto *a = new QRadioButton(QStringLiteral("a"), &box);
        auto *b = new QRadioButton(QStringLiteral("b"), &box);
        new QRadioButton(QStringLiteral("c"), &box);
        box.setLayout(new QVBoxLayout);
        for (QRadioButton *r : box.findChildren<QRadioButton *>())
            box.layout()->addWidget(r);
        box.show();
        box.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        RadioGroup group(&box);
        QSignalSpy spy(&group, &RadioGroup::ItemIndexChanged);
        QCOMPARE(group.Count(), 3);
        QCOMPARE(group.ItemIndex(), -1);

        // The program's own changes run no handler.
        group.SetItemIndex(1);
        QVERIFY(b->isChecked());
        QCOMPARE(group.ItemIndex(), 1);
        group.SetItemIndex(-1);
        QCOMPARE(group.ItemIndex(), -1);
        QVERIFY(!a->isChecked() && !b->isChecked());
        group.SetItemIndex(7);
        QCOMPARE(group.ItemIndex(), -1);
        QCOMPARE(spy.size(), 0);

        // The operator's do, however they come: mouse, keyboard, assistive technology.
        QTest::mouseClick(a, Qt::LeftButton);
        QCOMPARE(group.ItemIndex(), 0);
        QTest::mouseClick(a, Qt::LeftButton); // no change, no handler
        a->setFocus();
        QTest::keyClick(a, Qt::Key_Down);
        QCOMPARE(group.ItemIndex(), 1);
        QAccessibleInterface *third = QAccessible::queryAccessibleInterface(group.Button(2));
        QVERIFY(third && third->actionInterface());
        const QStringList actions = third->actionInterface()->actionNames();
        QVERIFY(actions.contains(QAccessibleActionInterface::toggleAction()));
        QVERIFY(!actions.contains(QAccessibleActionInterface::pressAction()));
        third->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(group.ItemIndex(), 2);
        QCOMPARE(spy.size(), 3);
        QCOMPARE(spy.at(0).at(0).toInt(), 0);
        QCOMPARE(spy.at(1).at(0).toInt(), 1);
        QCOMPARE(spy.at(2).at(0).toInt(), 2);
    }

    void decimalFilterTakesOneSeparatorAndALeadingMinus()
    {
        QLocale::setDefault(QLocale(QLocale::Russian));
        QLineEdit edit;
        InstallFloatFilter(&edit);
        QTest::keyClicks(&edit, QStringLiteral("1.2.3-4,5"));
        QCOMPARE(edit.text(), QStringLiteral("1,2345"));
        QTest::keyClick(&edit, Qt::Key_Home);
        QTest::keyClicks(&edit, QStringLiteral("--"));
        QCOMPARE(edit.text(), QStringLiteral("-1,2345"));
        // Typing over the selected separator may put it elsewhere.
        edit.setSelection(2, 1);
        QTest::keyClicks(&edit, QStringLiteral("."));
        QCOMPARE(edit.text(), QStringLiteral("-1,2345"));
        bool ok = false;
        QCOMPARE(ParseDecimal(edit.text(), &ok), -1.2345);
        QVERIFY(ok);
    }

    void fakeRecordsTasksAndDeliversLater()
    {
        FakeMBComMaster mb;
        QSignalSpy exchange(&mb, &IMBComMaster::OnExchange);
        mb.SetDeviceAddres(3);
        mb.WriteHoldRegs(400004, 0, 3, TypedValue(5, dtUInt8));
        mb.SetDeviceAddres(4);
        mb.ReadInputRegs(332773, 500, 32772, dtUInt32, 10);
        mb.WriteHoldRegs(449153, 0, 0xC000, QVariantList{TypedValue(1, dtFloat32), TypedValue(2, dtFloat32)});
        QCOMPARE(mb.tasks.size(), 3);
        const auto w = mb.LastTask(400004);
        QCOMPARE(w.op, QStringLiteral("WriteHoldRegs"));
        QCOMPARE(w.device, 3);
        QCOMPARE(w.dataType, int(dtUInt8));
        QCOMPARE(w.count, 1);
        QCOMPARE(mb.LastTask(449153).count, 2);
        QCOMPARE(mb.LastTask(449153).dataType, int(dtFloat32));
        QCOMPARE(mb.TasksFor(332773).first().period, 500);

        mb.Deliver(400004, QVariant(), 0);
        mb.Deliver(332773, QVariantList{1, 2}, 2);
        QCOMPARE(exchange.size(), 0); // never inside the call
        QTRY_COMPARE_WITH_TIMEOUT(exchange.size(), 2, 2000);
        QCOMPARE(exchange.at(0).at(1).toInt(), 3);  // mbAddr of that task
        QCOMPARE(exchange.at(0).at(2).toInt(), 16); // function
        QCOMPARE(exchange.at(1).at(1).toInt(), 4);
        QCOMPARE(exchange.at(1).at(2).toInt(), 4);
        QCOMPARE(exchange.at(1).at(4).toInt(), 2);

        mb.FreeTask(332773);
        mb.FreeAllTasks();
        QCOMPARE(mb.freed, QList<int>({332773}));
        QCOMPARE(mb.freeAllCount, 1);
        mb.ClearTasks();
        QVERIFY(mb.tasks.isEmpty());
    }

    void fakeConnectsQueued()
    {
        FakeMBComMaster mb;
        QSignalSpy changed(&mb, &IMBComMaster::OnChangeConnected);
        mb.SetConnected(true);
        QCOMPARE(changed.size(), 0);
        QVERIFY(changed.wait(2000));
        QCOMPARE(changed.last().at(0).toBool(), true);
        QVERIFY(mb.Connected());
        mb.SetConnected(false);
        QVERIFY(changed.wait(2000));
        QCOMPARE(changed.last().at(0).toBool(), false);
        mb.connectOpens = false;
        mb.SetConnected(true);
        QVERIFY(changed.wait(2000));
        QCOMPARE(changed.last().at(0).toBool(), false);
        QVERIFY(!mb.Connected());
        QCOMPARE(mb.CountOp(QStringLiteral("SetConnected")), 3);
    }
};

QTEST_MAIN(ConventionsWidgetsTest)
#include "conventions_widgets_test.moc"
