#include "flowmeterfixture.h"

#include "link/conventions.h"
#include "link/radiogroup.h"
#include "link/usermessages.h"

#include <QLabel>
#include <QLocale>
#include <QTest>

// Routing of the flowmeter link's results.
class TestFlowmeterExchange : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }
    void volumeAndFlowRate_data();
    void volumeAndFlowRate();
    void readFailuresShownInPlace();
    void autoCirculations();
    void uzsStatus();
    void gcMode();
    void otherQidsGoToTheirOwner();
    void polledFieldsFollowAReplacedPage();
    void sentAndPostedMessages();
};

void TestFlowmeterExchange::volumeAndFlowRate_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("mainV");
    QTest::addColumn<QString>("windowV");
    QTest::addColumn<QString>("mainQ");
    QTest::addColumn<QString>("windowQ");
    QTest::newRow("C, no window") << "C" << 0 << "12.3457"
                                  << ""
                                  << "30.001"
                                  << "";
    QTest::newRow("C, two channels") << "C" << 2 << "12.3457"
                                     << "12.346"
                                     << "30.001"
                                     << "30.001";
    QTest::newRow("ru, GC") << "ru_RU" << 6 << "12,3457"
                            << "12,346"
                            << "30,001"
                            << "30,001";
}

void TestFlowmeterExchange::volumeAndFlowRate()
{
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    QFETCH(int, row);
    QFETCH(QString, windowV);
    FlowmeterFixture f;
    f.Choose(row);
    f.mbcm1.Deliver(2, 12.34567f);
    f.mbcm1.Deliver(4, 30.0006);
    QTRY_COMPARE_WITH_TIMEOUT(f.calc.qizm.size(), 1, 5000);
    QTEST(f.ui.edtnabor->text(), "mainV");
    QTEST(f.ui.EdtRashQ1->text(), "mainQ");
    QCOMPARE(f.calc.vizm.size(), 1);
    QVERIFY(qAbs(f.calc.vizm.first() - 12.34567) < 1e-5);
    QCOMPARE(f.calc.qizm.first(), 30.0006);
    QFETCH(QString, windowQ);
    // Only the selected model's window follows the polling.
    QCOMPARE(f.form->EdtV()->text(), row == 2 ? windowV : QString());
    QCOMPARE(f.form->EdtQ()->text(), row == 2 ? windowQ : QString());
    QCOMPARE(f.formGS->EdtV()->text(), row == 6 ? windowV : QString());
    QCOMPARE(f.formGS->EdtQ()->text(), row == 6 ? windowQ : QString());
}

void TestFlowmeterExchange::readFailuresShownInPlace()
{
    FlowmeterFixture f;
    f.Choose(6);
    f.mbcm1.Deliver(4, 1.5);
    f.mbcm1.Deliver(2, 7.0);
    QTRY_COMPARE_WITH_TIMEOUT(f.calc.vizm.size(), 1, 5000);
    f.mbcm1.Deliver(2, QVariant(), 1);
    f.mbcm1.Deliver(4, QVariant(), 2);
    f.mbcm1.Deliver(3, QVariant(), 16);
    f.mbcm1.Deliver(19, QVariant(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(f.ui.edtnabor->text(), QStringLiteral("Ошибка"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(f.formGS->lblStat()->text(), QStringLiteral("ошибка чтения"), 5000);
    QCOMPARE(f.ui.EdtRashQ1->text(), ResultText(2));
    QCOMPARE(f.ui.edtac->text(), ResultText(16));
    // Failures leave the calculator and the window's last values alone.
    QCOMPARE(f.calc.qizm.size(), 1);
    QCOMPARE(f.calc.vizm.size(), 1);
    QCOMPARE(f.formGS->EdtQ()->text(), QStringLiteral("1.5"));
    QCOMPARE(f.formGS->EdtV()->text(), QStringLiteral("7"));
    // Address 0 gets the link's refusal where the values would be, and feeds nothing.
    f.mbcm1.Deliver(2, QVariant(), kResultBroadcastRead);
    f.mbcm1.Deliver(4, QVariant(), kResultBroadcastRead);
    QTRY_COMPARE_WITH_TIMEOUT(f.ui.EdtRashQ1->text(), ResultText(kResultBroadcastRead), 5000);
    QCOMPARE(f.ui.edtnabor->text(), ResultText(kResultBroadcastRead));
    QCOMPARE(f.calc.qizm.size(), 1);
    QCOMPARE(f.calc.vizm.size(), 1);
}

void TestFlowmeterExchange::autoCirculations()
{
    FlowmeterFixture f;
    f.Choose(6);
    f.mbcm1.Deliver(3, QVariant::fromValue<quint16>(256));
    QTRY_COMPARE_WITH_TIMEOUT(f.ui.edtac->text(), QStringLiteral("255"), 5000);
    QCOMPARE(f.formGS->EdtAc()->text(), QStringLiteral("256"));
    QCOMPARE(f.session.Values().AutoCircCount, 256);

    f.Choose(1);
    f.formGS->EdtAc()->clear();
    f.mbcm1.Deliver(3, QVariant::fromValue<quint16>(300));
    QTRY_COMPARE_WITH_TIMEOUT(f.ui.edtac->text(), QStringLiteral("300"), 5000);
    QCOMPARE(f.session.Values().AutoCircCount, 300);
    QCOMPARE(f.formGS->EdtAc()->text(), QString());
}

void TestFlowmeterExchange::uzsStatus()
{
    FlowmeterFixture f;
    f.Choose(2);
    auto *lblErr = f.form->findChild<QLabel *>(QStringLiteral("lblErr"));
    QVERIFY(lblErr);
    auto words = [](quint16 c1, quint16 c2) {
        return QVariantList{QVariant::fromValue(c1), QVariant::fromValue(c2)};
    };

    // No channel chosen: the label is left alone.
    f.mbcm1.Deliver(15, words(8, 8));
    f.mbcm1.Deliver(2, 1.0);
    QTRY_COMPARE_WITH_TIMEOUT(f.calc.vizm.size(), 1, 5000);
    QCOMPARE(lblErr->text(), QStringLiteral("..."));

    f.form->rgCanal()->SetItemIndex(0);
    f.mbcm1.Deliver(15, words(0xFFF7, 8));
    QTRY_COMPARE_WITH_TIMEOUT(lblErr->text(), QStringLiteral("OK"), 5000);
    f.form->rgCanal()->SetItemIndex(1);
    f.mbcm1.Deliver(15, words(0xFFF7, 0x0008));
    QTRY_COMPARE_WITH_TIMEOUT(lblErr->text(), QStringLiteral("НЕТ УЗС"), 5000);
    f.mbcm1.Deliver(15, words(8, 0xFFF7));
    QTRY_COMPARE_WITH_TIMEOUT(lblErr->text(), QStringLiteral("OK"), 5000);
    f.mbcm1.Deliver(15, QVariant(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(lblErr->text(), ResultText(1), 5000);
}

void TestFlowmeterExchange::gcMode()
{
    FlowmeterFixture f;
    f.Choose(6);
    f.mbcm1.Deliver(19, QVariant::fromValue<quint8>(1));
    QTRY_COMPARE_WITH_TIMEOUT(f.formGS->CurRegim(), 1, 5000);
    QCOMPARE(f.formGS->lblStat()->text(), QStringLiteral("Поверка"));
    f.mbcm1.Deliver(19, QVariant::fromValue<quint8>(0));
    QTRY_COMPARE_WITH_TIMEOUT(f.formGS->lblStat()->text(), QStringLiteral("Рабочий"), 5000);
    QCOMPARE(f.formGS->CurRegim(), 0);
}

void TestFlowmeterExchange::otherQidsGoToTheirOwner()
{
    FlowmeterFixture f;
    QList<int> seen;
    {
        QObject owner;
        QVERIFY(f.session.SubscribeFlowmeter(26, &owner, [&](int mbAddr, const QVariant &value, int result) {
            seen << mbAddr << value.toInt() << result;
        }));
        // One QID, one owner: the link's own reads cannot be taken over.
        QVERIFY(!f.session.SubscribeFlowmeter(4, &owner, [&](int, const QVariant &, int) { seen << -1; }));
        f.mbcm1.Deliver(-5, QVariant(), 0);  // the coil write is not handled
        f.mbcm1.Deliver(999, QVariant(), 0); // nor an unknown task
        f.mbcm1.DeliverFrom(26, 4, 3, 0);
        QTRY_COMPARE_WITH_TIMEOUT(seen, (QList<int>{4, 3, 0}), 5000);
    }
    // An owner that is gone receives nothing more.
    f.mbcm1.DeliverFrom(26, 4, 5, 0);
    f.mbcm1.Deliver(4, 1.0);
    QTRY_COMPARE_WITH_TIMEOUT(f.calc.qizm.size(), 1, 5000);
    QCOMPARE(seen, (QList<int>{4, 3, 0}));
}

void TestFlowmeterExchange::polledFieldsFollowAReplacedPage()
{
    FlowmeterFixture f;
    f.Choose(0);
    delete f.ui.EdtRashQ1.data();
    f.mbcm1.Deliver(4, 2.5);
    QTRY_COMPARE_WITH_TIMEOUT(f.calc.qizm.size(), 1, 5000);
    QLineEdit fresh;
    f.link->SetPolledFields(&fresh, f.ui.edtnabor);
    f.mbcm1.Deliver(4, 3.5);
    QTRY_COMPARE_WITH_TIMEOUT(fresh.text(), QStringLiteral("3.5"), 5000);
}

void TestFlowmeterExchange::sentAndPostedMessages()
{
    QWidget target;
    QStringList got;
    struct Receiver : QObject {
        QStringList *log;
        void Handle(int a, const QString &b) { *log << QStringLiteral("%1 %2").arg(a).arg(b); }
    };
    auto *r = new Receiver;
    r->log = &got;
    SendUserMessage(r, &Receiver::Handle, 1, QStringLiteral("sent"));
    QCOMPARE(got, QStringList{"1 sent"});
    QString text = QStringLiteral("posted");
    PostUserMessage(r, &Receiver::Handle, 2, text);
    text = QStringLiteral("changed");
    QCOMPARE(got.size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(got.size(), 2, 5000);
    QCOMPARE(got.last(), QStringLiteral("2 posted"));

    // A receiver gone before the event loop runs gets nothing.
    PostUserMessage(r, &Receiver::Handle, 3, QStringLiteral("late"));
    delete r;
    QTest::qWait(50);
    QCOMPARE(got.size(), 2);
    SendUserMessage(static_cast<Receiver *>(nullptr), &Receiver::Handle, 4, QString());
}

QTEST_MAIN(TestFlowmeterExchange)
#include "tst_flowmeterexchange.moc"
