#include "scriptedimr.h"

#include "session/benchsession.h"

#include "imr/imitqpage.h"
#include "imr/imitvpage.h"
#include "imr/povervpage.h"
#include "imr/timvofrm.h"
#include "imr/volumeimit.h"
#include "imr/imrcontroller.h"
#include "imr/imrtuningpage.h"
#include "link/conventions.h"
#include "link/radiogroup.h"
#include "support/messagerecorder.h"

#include <QAccessible>
#include <QFrame>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <memory>

namespace
{

const QString kNoStatus = QStringLiteral("Не удалось считать состояние ИМР");

QVariant Longs(std::initializer_list<quint32> values)
{
    QVariantList out;
    for (quint32 v : values)
        out << QVariant::fromValue(v);
    return out;
}

} // namespace

class ImrSequencesTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<BenchSession> session;
    ScriptedImr *bench = nullptr; // the session's
    std::unique_ptr<ImrController> imr;
    std::unique_ptr<MessageRecorder> messages;
    QStringList status;
    QStringList labels;

    // Script of one good calibration; channel 1 is noisy so channel 0 (97.2 ns) wins.
    void ScriptCalibration(quint32 fosc = 2000000000u)
    {
        bench->QueueStatus({{0, 0, 0}, {0, 0, 8}});
        bench->script[332773] << ScriptedImr::Reply{
            Longs({80, 1000, 100010, 1280, 163850, 80, 1000, 100010, 1280, 200000}), 0};
        bench->script[432775] << ScriptedImr::Reply{QVariant::fromValue(fosc), 0};
        bench->script[449153] << ScriptedImr::Reply{QVariantList{10.0f, 35.5f}, 0};
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale::c());
        bench = new ScriptedImr;
        session = std::make_unique<BenchSession>(bench, new FakeMBComMaster);
        session->ImrDev().Adr = 5;
        session->Values().AutoCircCount = 256;
        session->SetPribType(0);
        imr = std::make_unique<ImrController>(*session);
        messages = std::make_unique<MessageRecorder>();
        status.clear();
        labels.clear();
        connect(imr.get(), &ImrController::StatusChanged, this, [this](const QString &t) { status << t; });
        connect(imr.get(), &ImrController::ImrLabelChanged, this, [this](const QString &t) { labels << t; });
        QTRY_VERIFY_WITH_TIMEOUT(session->BenchConnected(), 1000);
        bench->ClearTasks();
    }
    void cleanup()
    {
        messages.reset();
        imr.reset();
        session.reset();
    }

    void readStateWithoutLinkOrModule()
    {
        bench->DeliverConnected(false);
        QTRY_VERIFY(!session->BenchConnected());
        QVERIFY(!imr->ReadImrState());
        QVERIFY(bench->tasks.isEmpty());
        bench->DeliverConnected(true);
        QTRY_VERIFY(session->BenchConnected());
        session->ImrDev().Adr = 0;
        QVERIFY(!imr->ReadImrState());
        QVERIFY(bench->tasks.isEmpty());
        QCOMPARE(labels, QStringList{QStringLiteral("Прибор ИМР не найден")});
    }

    void readStateShowsTextOrFailure()
    {
        bench->QueueStatus({{2, 0, 2}});
        QVERIFY(imr->ReadImrState());
        const ScriptedImr::Task t = bench->LastTask(300002);
        QCOMPARE(t.address, 1);
        QCOMPARE(t.dataType, 17);
        QCOMPARE(t.count, 3);
        QCOMPARE(t.device, 5);
        QCOMPARE(session->Values().ImrState, 2);
        QVERIFY(labels.last().startsWith(QStringLiteral("состояние \"ИМИТАЦИЯ ЗАПУЩЕНА\"\rOk\r")));

        bench->script[300002] << ScriptedImr::Reply{{}, 1};
        QVERIFY(!imr->ReadImrState());
        QCOMPARE(session->Values().ImrState, 255);
        QCOMPARE(messages->shown, QStringList{kNoStatus});
        QCOMPARE(labels.last(), kNoStatus);
    }

    void toIdle_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QList<int>>("commands");
        QTest::addColumn<int>("reads");
        QTest::newRow("idle") << 0 << QList<int>{} << 1;
        QTest::newRow("imitation") << 2 << QList<int>{2} << 3;
        QTest::newRow("entering imitation") << 1 << QList<int>{2} << 3;
        QTest::newRow("tuning DA1") << 6 << QList<int>{9} << 3;
        QTest::newRow("delay-line check") << 7 << QList<int>{15} << 3;
        QTest::newRow("continuous check") << 8 << QList<int>{12} << 3;
        QTest::newRow("counting leaves by itself") << 4 << QList<int>{} << 3;
    }
    void toIdle()
    {
        QFETCH(int, state);
        QFETCH(QList<int>, commands);
        QFETCH(int, reads);
        bench->QueueStatus({{state, 0, 0}, {state == 0 ? 0 : 3, 0, 0}, {0, 0, 5}});
        QVERIFY(imr->ImrToIdle());
        QCOMPARE(bench->Commands(), commands);
        QCOMPARE(bench->TasksFor(300002).size(), reads);
        QVERIFY(messages->shown.isEmpty());
    }

    void toIdleFailures()
    {
        // a refused stop command: false, no message, no further reads
        bench->QueueStatus({{2, 0, 2}});
        bench->script[400004] << ScriptedImr::Reply{{}, 4};
        QVERIFY(!imr->ImrToIdle());
        QCOMPARE(bench->TasksFor(300002).size(), 1);
        QVERIFY(messages->shown.isEmpty());

        // a module that never gets idle: bounded, and said so
        bench->ClearTasks();
        bench->steady[300002] = {ScriptedImr::Status(3, 0, 4), 0};
        QVERIFY(!imr->ImrToIdle());
        QCOMPARE(bench->TasksFor(300002).size(), 1 + ImrController::kIdleReads);
        QCOMPARE(messages->shown.size(), 1);
        QVERIFY(messages->shown.first().startsWith(QStringLiteral("ИМР не перешёл в состояние ИДЛЕ")));

        // a module that stops answering while we wait: one message, then false
        bench->ClearTasks();
        messages->Clear();
        bench->steady.clear();
        bench->QueueStatus({{4, 0, 10}});
        bench->steady[300002] = {{}, 1};
        QVERIFY(!imr->ImrToIdle());
        QCOMPARE(bench->TasksFor(300002).size(), 2);
        QCOMPARE(messages->shown, QStringList{kNoStatus});
    }

    void emulBit()
    {
        // already set: one read, no write
        bench->script[-11] << ScriptedImr::Reply{QVariantList{true}, 0};
        QVERIFY(imr->SetEmulBit(true));
        QCOMPARE(bench->TasksFor(-11).size(), 1);
        QVERIFY(bench->TasksFor(11).isEmpty());
        QCOMPARE(status.last(), QStringLiteral("Бит эмуляции: установлен"));

        // nine failed writes, the tenth goes through
        bench->ClearTasks();
        bench->script[-11] << ScriptedImr::Reply{QVariantList{false}, 0};
        for (int i = 0; i < 9; ++i)
            bench->script[11] << ScriptedImr::Reply{{}, 1};
        session->Values().EmulBit = true; // the read must win over what we thought
        QVERIFY(imr->SetEmulBit(true));
        QCOMPARE(bench->TasksFor(11).size(), 10);
        QCOMPARE(bench->LastTask(11).dataType, 11);
        QCOMPARE(bench->LastTask(11).address, 2);
        QVERIFY(session->Values().EmulBit);
        QVERIFY(messages->shown.isEmpty());

        // ten failures
        bench->ClearTasks();
        bench->script[-11] << ScriptedImr::Reply{QVariantList{true}, 0};
        bench->steady[11] = {{}, 4};
        QVERIFY(!imr->SetEmulBit(false));
        QCOMPARE(bench->TasksFor(11).size(), 10);
        QVERIFY(session->Values().EmulBit);
        QCOMPARE(messages->shown.size(), 1);
        QVERIFY(messages->shown.first().startsWith(QStringLiteral("Не прошла запись битовой команды:")));

        // read failure
        messages->Clear();
        bench->script[-11] << ScriptedImr::Reply{{}, 1};
        QVERIFY(!imr->SetEmulBit(false));
        QVERIFY(messages->shown.first().startsWith(QStringLiteral("Никак не считать состояние бита:")));

        // old bench: nothing at all
        bench->ClearTasks();
        session->SetOldBench(true);
        QVERIFY(imr->SetEmulBit(false));
        QVERIFY(bench->tasks.isEmpty());
    }

    void calibration()
    {
        ScriptCalibration();
        QVERIFY(imr->CalibrateDelayLine());
        const ScriptedImr::Task conv = bench->LastTask(416386);
        QCOMPARE(conv.address, 16385);
        QCOMPARE(conv.dataType, 18);
        QCOMPARE(conv.value.toInt(), 10);
        QCOMPARE(bench->Commands(), QList<int>{3});
        QCOMPARE(bench->LastTask(332773).count, 10);
        QCOMPARE(bench->LastTask(332773).address, 32772);
        QCOMPARE(bench->LastTask(432775).address, 32774);
        QCOMPARE(bench->LastTask(449153).dataType, 4);
        QCOMPARE(imr->DelayStep(), session->Values().CalibData[0].D);
        QVERIFY(qFuzzyCompare(imr->DelayStep(), 97.2));
        QVERIFY(session->Values().CalibData[1].unstable);
        QCOMPARE(status.last(), QStringLiteral("Калибровка выполнена : расчеты проведены = 97.2"));
        QVERIFY(qFuzzyCompare(imr->FineCorr, 10.0));
    }

    void calibrationFailures()
    {
        // the automaton reports something other than a finished calibration
        bench->QueueStatus({{0, 0, 0}, {0, 2, 9}});
        QVERIFY(!imr->CalibrateDelayLine());
        QCOMPARE(messages->shown, QStringList{QStringLiteral("Автомат сработал некорректно")});

        // results not read
        messages->Clear();
        bench->QueueStatus({{0, 0, 0}, {0, 0, 8}});
        bench->script[332773] << ScriptedImr::Reply{{}, 2};
        QVERIFY(!imr->CalibrateDelayLine());
        QCOMPARE(messages->shown, QStringList{QStringLiteral("Калибровка:Ошибка чтения результатов:2")});
        // No "Производится калибровка" stays after the run gave up.
        QCOMPARE(status.last(), QStringLiteral("Калибровка не выполнена"));

        // a zero quartz frequency gives no delay: refused, the old step kept
        messages->Clear();
        imr->SetDelayStep(600);
        ScriptCalibration(0);
        QVERIFY(!imr->CalibrateDelayLine());
        QCOMPARE(imr->DelayStep(), 600.0);
        QCOMPARE(messages->shown.size(), 1);

        // no module: nothing written
        bench->ClearTasks();
        session->ImrDev().Adr = 0;
        QVERIFY(!imr->CalibrateDelayLine());
        QVERIFY(bench->tasks.isEmpty());
    }

    void imitFlow()
    {
        imr->SetDelayStep(600);
        imr->SetImrMode(1);
        QSignalSpy started(imr.get(), &ImrController::ImitFlowStarted);
        QVERIFY(imr->SetImitFlow(30, false));
        const ScriptedImr::Task t = bench->LastTask(416387);
        QCOMPARE(t.address, 16386);
        QCOMPARE(t.dataType, 18);
        QCOMPARE(t.value.toInt(), 26);
        QCOMPARE(bench->Commands(), QList<int>{1});
        QCOMPARE(status.last(), QStringLiteral("Записано 26 импульсов"));
        QCOMPARE(started.size(), 1);
        QVERIFY(qFuzzyCompare(imr->ImitQ(), 27.0 / 256 * 0.4913328 * 600));
        QVERIFY(bench->TasksFor(432773).isEmpty());

        // class 3 writes the offset count, computes from the plain one
        bench->ClearTasks();
        session->SetPribType(3);
        session->Values().AutoCircCount = 0;
        QVERIFY(imr->SetImitFlow(30, false));
        QCOMPARE(bench->LastTask(416387).value.toInt(), 42);

        // stop: only the command, ImitQ kept
        bench->ClearTasks();
        const double before = imr->ImitQ();
        QSignalSpy stopped(imr.get(), &ImrController::ImitFlowStopped);
        QVERIFY(imr->SetImitFlow(0, false));
        QCOMPARE(bench->Commands(), QList<int>{2});
        QCOMPARE(bench->tasks.size(), 1);
        QCOMPARE(imr->ImitQ(), before);
        QCOMPARE(stopped.size(), 1);
    }

    void imitFlowWithLength()
    {
        imr->SetDelayStep(600);
        imr->VolumeSet = 1;
        QSignalSpy length(imr.get(), &ImrController::ImitLengthSet);
        QVERIFY(imr->SetImitFlow(30, true));
        QCOMPARE(length.size(), 1);
        QCOMPARE(length.first().first().toInt(), 117);
        QCOMPARE(imr->ImitSeconds, 117);
        const ScriptedImr::Task t = bench->LastTask(432773);
        QCOMPARE(t.dataType, 19);
        QCOMPARE(t.value.toLongLong(), 117000);
        QCOMPARE(status.last(), QStringLiteral("Записано время : 117"));
    }

    void imitFlowFailures()
    {
        imr->SetDelayStep(600);
        // no autocirculations yet: refused before anything is written
        session->SetPribType(1);
        session->Values().AutoCircCount = 0;
        QVERIFY(!imr->SetImitFlow(30, false));
        QVERIFY(bench->tasks.isEmpty());
        QCOMPARE(messages->shown.size(), 1);

        messages->Clear();
        session->Values().AutoCircCount = 256;
        bench->script[416387] << ScriptedImr::Reply{{}, 1};
        QVERIFY(!imr->SetImitFlow(30, false));
        QCOMPARE(messages->shown,
                 QStringList{QStringLiteral(
                     "Не удалось записать количество задержанных импульсов (26) Прибор не отвечает")});
        QVERIFY(bench->Commands().isEmpty());

        messages->Clear();
        bench->script[400004] << ScriptedImr::Reply{{}, 1};
        QVERIFY(!imr->SetImitFlow(30, false));
        QCOMPARE(messages->shown, QStringList{QStringLiteral("Не удалось записать команду START")});

        messages->Clear();
        bench->script[400004] << ScriptedImr::Reply{{}, 1};
        QVERIFY(!imr->SetImitFlow(0, false));
        QCOMPARE(messages->shown, QStringList{QStringLiteral("Не удалось записать команду STOP")});
    }

    void autoCirculationCount()
    {
        QStringList shown;
        connect(imr.get(), &ImrController::AutoCircTextChanged, this,
                [&shown](const QString &t) { shown << t; });
        session->SetPribType(6);
        bench->QueueStatus({{0, 0, 0}, {4, 0, 10}, {4, 0, 10}, {0, 0, 11}});
        bench->script[316385] << ScriptedImr::Reply{QVariant::fromValue(quint16(257)), 0};
        QVERIFY(imr->CountAutoCirculations());
        QCOMPARE(bench->Commands(), QList<int>{4});
        QCOMPARE(bench->LastTask(316385).address, 16384);
        QCOMPARE(bench->LastTask(316385).dataType, 18);
        QCOMPARE(session->Values().AutoCircCount, 257);
        QCOMPARE(shown, (QStringList{QStringLiteral("???"), QStringLiteral("256")}));

        // counting that ends in an error
        shown.clear();
        bench->QueueStatus({{0, 0, 0}, {4, 0, 10}, {0, 0, 12}});
        QVERIFY(!imr->CountAutoCirculations());
        QCOMPARE(messages->shown, QStringList{QStringLiteral("Не удалось подсчитать число автоциркуляций")});
        QCOMPARE(shown, QStringList{QStringLiteral("???")});

        // a count that never finishes stops after the bounded reads
        messages->Clear();
        bench->ClearTasks();
        bench->QueueStatus({{0, 0, 0}});
        bench->steady[300002] = {ScriptedImr::Status(4, 0, 10), 0};
        QVERIFY(!imr->CountAutoCirculations());
        QCOMPARE(bench->TasksFor(300002).size(), 1 + ImrController::kIdleReads);
        QCOMPARE(messages->shown.size(), 1);
    }

    void resetAllModes()
    {
        imr->SetImrMode(1);
        bench->QueueStatus({{2, 0, 2}, {0, 0, 5}});
        QVERIFY(imr->ResetAllModes());
        QCOMPARE(bench->CountOp(QStringLiteral("FreeAllTasks")), 1);
        QCOMPARE(bench->Commands(), QList<int>{2});
        QCOMPARE(status.first(), QStringLiteral("Приводим в состояние ИДЛЕ"));
        QCOMPARE(imr->ImrMode(), 1);

        bench->script[300002] << ScriptedImr::Reply{{}, 1};
        QVERIFY(!imr->ResetAllModes());
        QCOMPARE(messages->shown.last(), QStringLiteral("Ошибка : попробуйте еще раз"));
    }

    void emulBitReadWithoutWaiting()
    {
        imr->EmulBitRead(1);
        QCOMPARE(status.last(), QStringLiteral("Бит эмуляции: ошибка чтения"));
        session->Values().EmulBit = true;
        imr->EmulBitRead(0);
        QCOMPARE(status.last(), QStringLiteral("Бит эмуляции: установлен"));
        session->ImrDev().Adr = 0;
        imr->RequestEmulBit();
        QVERIFY(bench->tasks.isEmpty());

        // A read nobody waits for reaches the controller through the session.
        bench->Deliver(-11, QVariant(), 3);
        QTRY_COMPARE(status.last(), QStringLiteral("Бит эмуляции: ошибка чтения"));
        QCOMPARE(session->Box().ResEmulBit.value(), 3);
        // A controller that is gone owns nothing: the next result runs into no one.
        imr.reset();
        bench->Deliver(-11, QVariantList{true}, 0);
        QTRY_COMPARE(session->Box().ResEmulBit.value(), 0);
    }

    void imitPageStartAndStop()
    {
        ImitQPage page(*imr);
        page.show();
        auto *btn = page.findChild<QPushButton *>(QStringLiteral("btnImit"));
        auto *points = page.findChild<QGroupBox *>(QStringLiteral("RGPoint"));
        auto *imit = page.findChild<QLineEdit *>(QStringLiteral("EdtRashQImit"));
        auto *fromMeter = page.findChild<QLineEdit *>(QStringLiteral("EdtRashQ1"));
        QVERIFY(btn && points && imit && fromMeter);
        QCOMPARE(page.objectName(), QStringLiteral("TSImitQ"));
        QVERIFY(!points->isEnabled());
        QCOMPARE(btn->text(), QStringLiteral("Начать имитацию"));

        page.Points()->SetItemIndex(2); // 30 m3/h
        ScriptCalibration();
        bench->script[-11] << ScriptedImr::Reply{QVariantList{true}, 0};
        QTest::mouseClick(btn, Qt::LeftButton);
        QVERIFY(messages->shown.isEmpty());
        QCOMPARE(imr->ImrMode(), 1);
        QCOMPARE(btn->text(), QStringLiteral("Остановить имитацию"));
        QVERIFY(points->isEnabled());
        QCOMPARE(bench->LastTask(432773).value.toLongLong(), 0);
        // the delay step is the calibrated 97.2 ns here
        QCOMPARE(bench->LastTask(416387).value.toInt(), 160);
        QCOMPARE(imit->text(), Fmt3(imr->ImitQ()));
        QCOMPARE(fromMeter->text(), QStringLiteral("--"));

        // a point change rewrites the count and restarts, without idling
        bench->ClearTasks();
        QTest::mouseClick(page.Points()->Button(1), Qt::LeftButton);
        QCOMPARE(bench->Commands(), QList<int>{1});
        QVERIFY(bench->TasksFor(300002).isEmpty());

        bench->ClearTasks();
        QTest::mouseClick(btn, Qt::LeftButton);
        QCOMPARE(bench->Commands(), QList<int>{2});
        QCOMPARE(imr->ImrMode(), 0);
        QCOMPARE(imit->text(), QStringLiteral("0.000"));
        QCOMPARE(btn->text(), QStringLiteral("Начать имитацию"));
        QVERIFY(!points->isEnabled());
    }

    void imitPageRefusals()
    {
        ImitQPage page(*imr);
        auto *btn = page.findChild<QPushButton *>(QStringLiteral("btnImit"));
        auto *own = page.findChild<QLineEdit *>(QStringLiteral("Edit1"));
        session->SetPribType(-1);
        QTest::mouseClick(btn, Qt::LeftButton);
        QCOMPARE(messages->shown, QStringList{QStringLiteral("Не выбран поверяемый прибор")});
        session->SetPribType(0);

        messages->Clear();
        imr->SetImrMode(3);
        QTest::mouseClick(btn, Qt::LeftButton);
        QCOMPARE(messages->shown, QStringList{QStringLiteral("Отмените работу других режимов")});

        // an own value that is not an integer: nothing written
        messages->Clear();
        imr->SetImrMode(0);
        page.Points()->SetItemIndex(5);
        own->setText(QStringLiteral("12,5"));
        QTest::mouseClick(btn, Qt::LeftButton);
        QCOMPARE(messages->shown.size(), 1);
        QVERIFY(bench->tasks.isEmpty());

        // failed calibration: mode stays 0
        messages->Clear();
        own->setText(QStringLiteral("40"));
        bench->script[416386] << ScriptedImr::Reply{{}, 1};
        QTest::mouseClick(btn, Qt::LeftButton);
        QCOMPARE(imr->ImrMode(), 0);
        QVERIFY(messages->shown.first().startsWith(
            QStringLiteral("Калибровка:Не прошла запись числа конверсий:")));

        // without module or link: nothing at all
        messages->Clear();
        bench->ClearTasks();
        session->ImrDev().Adr = 0;
        QTest::mouseClick(btn, Qt::LeftButton);
        QVERIFY(bench->tasks.isEmpty());
        QVERIFY(messages->shown.isEmpty());
    }

    void imitPageSurvivesDoubleClickToggleAndReset()
    {
        ImitQPage page(*imr);
        page.show();
        auto *btn = page.findChild<QPushButton *>(QStringLiteral("btnImit"));
        auto *points = page.findChild<QGroupBox *>(QStringLiteral("RGPoint"));

        // A second click while the calibration waits is refused, not run as a stop.
        page.Points()->SetItemIndex(2);
        ScriptCalibration();
        bench->script[-11] << ScriptedImr::Reply{QVariantList{true}, 0};
        bool disabledWhileWaiting = false;
        auto once = connect(imr.get(), &ImrController::StatusChanged, &page, [&](const QString &t) {
            if (!t.endsWith(QStringLiteral("результаты...")))
                return;
            disabledWhileWaiting = !btn->isEnabled();
            page.btnImitClick();
            QTest::mouseClick(btn, Qt::LeftButton);
        });
        QTest::mouseClick(btn, Qt::LeftButton);
        disconnect(once);
        QVERIFY(disabledWhileWaiting);
        QVERIFY(btn->isEnabled());
        QCOMPARE(bench->TasksFor(416386).size(), 1);
        QCOMPARE(bench->Commands(), (QList<int>{3, 1}));
        QCOMPARE(imr->ImrMode(), 1);
        QCOMPARE(btn->text(), QStringLiteral("Остановить имитацию"));

        // A point chosen through assistive technology is toggled, not clicked: it acts.
        bench->ClearTasks();
        QAccessibleInterface *point = QAccessible::queryAccessibleInterface(page.Points()->Button(3));
        point->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(bench->TasksFor(416387).size(), 1);
        QCOMPARE(bench->Commands(), QList<int>{1});
        // The program's own choice writes nothing.
        bench->ClearTasks();
        page.Points()->SetItemIndex(4);
        QVERIFY(bench->tasks.isEmpty());

        // The reset of all modes leaves the page idle but the mode kept, so the
        // next click stops instead of writing to an idle module.
        bench->QueueStatus({{2, 0, 2}, {0, 0, 5}});
        QVERIFY(imr->ResetAllModes());
        QCOMPARE(btn->text(), QStringLiteral("Начать имитацию"));
        QVERIFY(!points->isEnabled());
        QCOMPARE(imr->ImrMode(), 1);
        bench->ClearTasks();
        QTest::mouseClick(btn, Qt::LeftButton);
        QCOMPARE(bench->Commands(), QList<int>{2});
        QVERIFY(bench->TasksFor(416387).isEmpty());
        QCOMPARE(imr->ImrMode(), 0);
        QVERIFY(messages->shown.isEmpty());
    }

    // The check page's start: flow rates and volumes the module cannot take are refused
    // before anything is sent; a module that never enters the imitation is given up
    // after a time and stopped; the start cannot be entered twice.
    void volumeStartRefusalsAndEntryWait()
    {
        TImVOFrm dialog;
        ImitVPage imitV;
        PoverVPage poverV;
        VolumeImit volume(*imr, {&dialog, &imitV, &poverV});
        auto *start = poverV.findChild<QPushButton *>(QStringLiteral("BtnQ2Start"));
        bench->steady[-11] = {QVariantList{false}, 0};

        dialog.FlowSet = -13;
        volume.BtnQ2StartClick();
        QCOMPARE(messages->shown, QStringList{QStringLiteral("Расход не может быть отрицательным")});
        QVERIFY(bench->tasks.isEmpty());

        const QList<std::pair<int, QString>> volumes = {
            {-1, QStringLiteral("Объём не может быть отрицательным")},
            {2147483647, QStringLiteral("Слишком большой объём: время накопления больше 4294967 с")}};
        for (const auto &[v, text] : volumes) {
            messages->Clear();
            bench->ClearTasks();
            dialog.FlowSet = 13;
            dialog.VolumeSet = v;
            ScriptCalibration();
            volume.BtnQ2StartClick();
            QCOMPARE(messages->shown, QStringList{text});
            // Neither the pulse count, nor a length, nor a start.
            QVERIFY(bench->TasksFor(416387).isEmpty());
            QVERIFY(bench->TasksFor(432773).isEmpty());
            QCOMPARE(bench->Commands(), QList<int>{3});
            QVERIFY(start->isEnabled());
        }

        messages->Clear();
        bench->ClearTasks();
        dialog.VolumeSet = 1;
        ScriptCalibration();
        bench->steady[300002] = {ScriptedImr::Status(1, 0, 1), 0};
        bool lockedInside = false;
        QTimer::singleShot(500, &poverV, [&] {
            lockedInside = !start->isEnabled();
            volume.BtnQ2StartClick();
        });
        QElapsedTimer clock;
        clock.start();
        volume.BtnQ2StartClick();
        QVERIFY(lockedInside);
        QVERIFY(clock.elapsed() >= 2500 && clock.elapsed() < 10000);
        QCOMPARE(messages->shown, QStringList{QStringLiteral("Ошибка!\rЦТМ не вошел в состояние имитации.")});
        // One calibration, one start and the stop of the run it gave up.
        QCOMPARE(bench->Commands(), (QList<int>{3, 1, 2}));
        QCOMPARE(bench->TasksFor(432773).size(), 1);
        QVERIFY(start->isEnabled());
        QCOMPARE(imr->ImrMode(), 0);
    }

    void countAndCalibrationTellEachFailureOnce()
    {
        // the count command refused by the module
        bench->QueueStatus({{0, 0, 0}});
        bench->script[400004] << ScriptedImr::Reply{{}, 4};
        QVERIFY(!imr->CountAutoCirculations());
        QCOMPARE(messages->shown,
                 QStringList{QStringLiteral(
                     "Не удалось записать команду подсчёта автоциркуляций: Недопустимая функция")});

        // the link failing while the count runs
        messages->Clear();
        bench->QueueStatus({{0, 0, 0}});
        bench->script[300002] << ScriptedImr::Reply{{}, 1};
        QVERIFY(!imr->CountAutoCirculations());
        QCOMPARE(messages->shown, QStringList{kNoStatus});

        // the link failing right after the calibration command
        messages->Clear();
        bench->QueueStatus({{0, 0, 0}});
        bench->script[300002] << ScriptedImr::Reply{{}, 1};
        QVERIFY(!imr->CalibrateDelayLine());
        QCOMPARE(messages->shown, QStringList{kNoStatus});
    }

    void tuningPageShowsCalibration_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("t1");
        QTest::addColumn<QString>("d0");
        QTest::newRow("point") << "C"
                               << "35.5"
                               << "97.2";
        QTest::newRow("comma") << "de_DE"
                               << "35,5"
                               << "97,2";
    }
    void tuningPageShowsCalibration()
    {
        QFETCH(QString, locale);
        QFETCH(QString, t1);
        QFETCH(QString, d0);
        QLocale::setDefault(QLocale(locale));
        ImrTuningPage page(*imr);
        DelayLineGroup group;
        page.Attach(&group);
        QCOMPARE(page.objectName(), QStringLiteral("TSImr"));
        ScriptCalibration();
        QTest::mouseClick(page.findChild<QPushButton *>(QStringLiteral("Button29")), Qt::LeftButton);
        QCOMPARE(page.findChild<QLineEdit *>(QStringLiteral("Edit28"))->text(), QStringLiteral("20"));
        QCOMPARE(page.findChild<QLineEdit *>(QStringLiteral("Edit29"))->text(), QStringLiteral("10"));
        QCOMPARE(page.findChild<QLineEdit *>(QStringLiteral("Edit30"))->text(), t1);
        QCOMPARE(page.findChild<QLineEdit *>(QStringLiteral("Edit31"))->text(), d0);
        const QString mean = page.findChild<QLineEdit *>(QStringLiteral("Edit33"))->text();
        QCOMPARE(mean, Fmt3(std::fabs(session->Values().CalibData[0].D + session->Values().CalibData[1].D) / 2));
        QCOMPARE(group.findChild<QLineEdit *>(QStringLiteral("Edit10"))->text(), mean);

        // the other group's button runs the same calibration, and not a second one inside it
        ScriptCalibration();
        bench->ClearTasks();
        auto again = connect(imr.get(), &ImrController::StatusChanged, &page, [&](const QString &t) {
            if (t.endsWith(QStringLiteral("результаты...")))
                page.Button29Click();
        });
        QTest::mouseClick(group.findChild<QPushButton *>(QStringLiteral("Button20")), Qt::LeftButton);
        disconnect(again);
        QCOMPARE(bench->Commands(), QList<int>{3});
        QCOMPARE(bench->TasksFor(416386).size(), 1);
        QVERIFY(page.findChild<QPushButton *>(QStringLiteral("Button29"))->isEnabled());
    }

    void tuningWritesPendingAtResetAreGivenBack()
    {
        ImrTuningPage page(*imr);
        bench->silent = {232775, 249153};
        page.findChild<QLineEdit *>(QStringLiteral("Edit28"))->setText(QStringLiteral("20"));
        page.findChild<QLineEdit *>(QStringLiteral("Edit29"))->setText(QStringLiteral("10"));
        auto *fosc = page.findChild<QPushButton *>(QStringLiteral("BtnF"));
        auto *t0 = page.findChild<QPushButton *>(QStringLiteral("btnT0"));
        QTest::mouseClick(fosc, Qt::LeftButton);
        QTest::mouseClick(t0, Qt::LeftButton);
        QVERIFY(!fosc->isEnabled() && !t0->isEnabled());
        // The reset drops the pending writes with every task: their completions never come.
        bench->QueueStatus({{0, 0, 0}});
        QVERIFY(imr->ResetAllModes());
        QVERIFY(fosc->isEnabled() && t0->isEnabled());
        QVERIFY(page.findChild<QPushButton *>(QStringLiteral("BtnT1"))->isEnabled());
    }

    void tuningPageEmulationPanel()
    {
        ImrTuningPage page(*imr);
        page.show();
        auto *panel = page.findChild<QFrame *>(QStringLiteral("Panel1"));
        QVERIFY(!panel->isVisible());
        QTest::mouseClick(page.findChild<QLabel *>(QStringLiteral("Label61")), Qt::LeftButton);
        QVERIFY(panel->isVisible());

        bench->script[-11] << ScriptedImr::Reply{QVariantList{false}, 0};
        QTest::mouseClick(page.findChild<QPushButton *>(QStringLiteral("Button15")), Qt::LeftButton);
        QCOMPARE(bench->TasksFor(11).size(), 1);
        QVERIFY(bench->LastTask(11).value.toBool());

        bench->ClearTasks();
        QTest::mouseClick(page.findChild<QLabel *>(QStringLiteral("Label30")), Qt::LeftButton);
        QCOMPARE(bench->TasksFor(-11).size(), 1);

        QTest::mouseClick(page.findChild<QLabel *>(QStringLiteral("Label61")), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
    }
};

QTEST_MAIN(ImrSequencesTest)
#include "imr_sequences_test.moc"
