#include "scriptedimr.h"

#include "imr/imrcontroller.h"
#include "session/benchsession.h"
#include "imr/poverqpage.h"
#include "link/radiogroup.h"
#include "support/messagerecorder.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <memory>

// The verification page on a scripted ИМР: the points and the one-shot check.
class PoverQTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<BenchSession> session;
    ScriptedImr *bench = nullptr; // the session's
    std::unique_ptr<ImrController> imr;
    std::unique_ptr<PoverQPage> page;
    std::unique_ptr<MessageRecorder> messages;

    template <class T> T *W(const char *name) const
    {
        return page->findChild<T *>(QString::fromLatin1(name));
    }
    int LastPulseCount() const { return bench->LastTask(416387).value.toInt(); }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init()
    {
        bench = new ScriptedImr;
        session = std::make_unique<BenchSession>(bench, new FakeMBComMaster);
        session->ImrDev().Adr = 1;
        imr = std::make_unique<ImrController>(*session);
        imr->SetDelayStep(600);
        QTRY_VERIFY(session->BenchConnected());
        page = std::make_unique<PoverQPage>(*imr);
        messages = std::make_unique<MessageRecorder>();
    }
    void cleanup()
    {
        page.reset();
        imr.reset();
        session.reset();
        messages.reset();
    }

    void verificationPoints_data()
    {
        QTest::addColumn<int>("q");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("shown");
        QTest::newRow("2") << 2 << 2 << "2.303";
        QTest::newRow("15") << 15 << 14 << "16.122";
        QTest::newRow("30") << 30 << 27 << "31.092";
        QTest::newRow("250") << 250 << 218 << "251.04";
        QTest::newRow("300, above the limit") << 300 << 256 << "294.8";
    }
    void verificationPoints()
    {
        QFETCH(int, q);
        QFETCH(int, n);
        QFETCH(QString, shown);
        QVERIFY(page->SetVerifyPoint(q));
        QCOMPARE(bench->LastTask(416387).address, 16386);
        QCOMPARE(bench->LastTask(416387).device, 1);
        QCOMPARE(LastPulseCount(), n);
        QCOMPARE(W<QLineEdit>("edtQReal_Imited")->text(), shown);
        QCOMPARE(W<QLineEdit>("edtDPN")->text(), QString::number(n));
        QCOMPARE(page->VerifyPulses, n);
        QCOMPARE(QString::number(imr->ImitQ(), 'f', 3), QString::number(n * 491.3328 * 600 / 256 / 1000, 'f', 3));

        // A refused write leaves the point shown before.
        bench->script[416387] << ScriptedImr::Reply{{}, 4};
        QVERIFY(!page->SetVerifyPoint(2));
        QCOMPARE(messages->shown, QStringList{"Не удалось записать количество задержанных импульсов"});
        QCOMPARE(page->VerifyPulses, n);
        QCOMPARE(W<QLineEdit>("edtQReal_Imited")->text(), shown);
    }

    // "Однократно" ends a continuous check; "Проверить" writes n - 1, runs command 10
    // and reads the status once, naming the first mismatch.
    void oneShotCheck_data()
    {
        QTest::addColumn<QList<int>>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("passed") << QList<int>{0, 0, 19} << QString();
        QTest::newRow("state") << QList<int>{8, 1, 20}
                               << "Прибор не вошел в режим поверки задержанных импульсов.";
        QTest::newRow("error") << QList<int>{0, 1, 20} << "Прибор ответил ошибкой автомата имитиции.";
        QTest::newRow("last command")
            << QList<int>{0, 0, 20} << "Прибор выдает результат последней операции как-то не так.";
    }
    void oneShotCheck()
    {
        QFETCH(QList<int>, status);
        QFETCH(QString, message);
        QStringList told;
        connect(page.get(), &PoverQPage::StatusChanged, this, [&told](const QString &t) { told << t; });
        QVERIFY(page->SetVerifyPoint(250));
        W<QGroupBox>("RGNepr")->setEnabled(true);
        QTest::mouseClick(page->PulseCheck()->Button(0), Qt::LeftButton);
        QCOMPARE(imr->ImrMode(), 6);
        auto *check = W<QPushButton>("btnPover1");
        QVERIFY(check->isVisibleTo(page.get()));

        bench->QueueStatus({{0, 0, 22}, status});
        QTest::mouseClick(check, Qt::LeftButton);
        QCOMPARE(LastPulseCount(), 217);
        QCOMPARE(bench->Commands(), (QList<int>{12, 10}));
        QCOMPARE(messages->shown, message.isEmpty() ? QStringList() : QStringList{message});
        // "Непрерывно" hides the one-shot button and starts the continuous check.
        QTest::mouseClick(page->PulseCheck()->Button(1), Qt::LeftButton);
        QCOMPARE(bench->Commands().last(), 11);
        QCOMPARE(imr->ImrMode(), 5);
        QVERIFY(!check->isVisibleTo(page.get()));
        QCOMPARE(told.last(), QStringLiteral("Идет поверка числа задержанных импульсов."));
        // "Стоп" ends it: the status no longer says it goes on.
        bench->QueueStatus({{0, 0, 0}});
        auto *stop = W<QPushButton>("BtnStopPover");
        stop->setEnabled(true);
        QTest::mouseClick(stop, Qt::LeftButton);
        QCOMPARE(imr->ImrMode(), 0);
        QCOMPARE(told.last(), QStringLiteral("Поверка ЦТМ остановлена"));
    }

    // A check runs alone: inside "Непрерывно"'s wait the groups are locked, so a
    // delay-line choice cannot leave the mode at 5 with the module in state 7.
    void checksRunOneAtATime()
    {
        QVERIFY(page->SetVerifyPoint(250));
        for (const char *group : {"rgPover", "RGNepr", "RGControl"})
            W<QGroupBox>(group)->setEnabled(true);
        bench->silent = {400004};
        bool locked = false;
        QTimer::singleShot(0, page.get(), [&] {
            locked = !W<QGroupBox>("RGControl")->isEnabled() && !W<QGroupBox>("rgPover")->isEnabled() &&
                     !W<QGroupBox>("RGNepr")->isEnabled();
            QTest::mouseClick(page->LineCheck()->Button(0), Qt::LeftButton);
            bench->Deliver(400004, {}, 0);
        });
        QTest::mouseClick(page->PulseCheck()->Button(1), Qt::LeftButton);
        QVERIFY(locked);
        QCOMPARE(bench->Commands(), QList<int>{11});
        QCOMPARE(imr->ImrMode(), 5);
        QCOMPARE(page->LineCheck()->ItemIndex(), -1);
        QVERIFY(W<QGroupBox>("RGControl")->isEnabled() && W<QGroupBox>("rgPover")->isEnabled());

        // A delay-line calibration (its button, another page's start) locks the checks too:
        // a choice inside it would write a check command between the calibration's.
        bench->silent = {416386};
        bool lockedInCalibration = false;
        QTimer::singleShot(0, page.get(), [&] {
            lockedInCalibration = !W<QGroupBox>("RGControl")->isEnabled() &&
                                  !W<QGroupBox>("rgPover")->isEnabled() &&
                                  !W<QGroupBox>("RGNepr")->isEnabled();
            QTest::mouseClick(page->LineCheck()->Button(1), Qt::LeftButton);
            bench->Deliver(416386, {}, 4);
        });
        QVERIFY(!imr->CalibrateDelayLine());
        QVERIFY(lockedInCalibration);
        QCOMPARE(bench->Commands(), QList<int>{11});
        QCOMPARE(page->LineCheck()->ItemIndex(), -1);
        QVERIFY(W<QGroupBox>("RGControl")->isEnabled() && W<QGroupBox>("RGNepr")->isEnabled());
    }
};

QTEST_MAIN(PoverQTest)
#include "poverq_test.moc"
