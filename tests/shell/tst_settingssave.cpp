#include "mainfixture.h"
#include "support/messagerecorder.h"

#include "bench/mprofrm.h"
#include "calc/tcalcfrm.h"
#include "exchange/texchangemonitorfrm.h"
#include "flowmeter/tflowmeterform.h"
#include "flowmeter/tflowmeterformgs.h"
#include "link/canalfrm.h"
#include "link/inifile.h"

#include <QAction>
#include <QDir>
#include <QTest>

#include <functional>

// The main window writes "QTM.ini" as the program ends; a write that fails is told
// to the operator, who would otherwise find the model and position lost next time.
class SettingsSaveTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aFailedSaveOfTheMainWindowIsShown()
    {
        MessageRecorder recorder;
        MainFixture f;
        f.Create();
        recorder.Clear();
        QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("QTM.ini"))); // nothing can replace a folder
        f.Close();
        QVERIFY(!recorder.shown.isEmpty());
        QVERIFY(recorder.shown.first().startsWith(QStringLiteral("Не удалось записать файл")));
        QVERIFY(recorder.shown.first().contains(QStringLiteral("QTM.ini")));
    }

    // Every window that keeps something in "QTM.ini" says when it could not; the window
    // places, saved without the operator asking, tell a file's failure once.
    void eachWindowTellsItsFailedSave_data()
    {
        QTest::addColumn<std::function<void(TMainFrm &)>>("save");
        QTest::newRow("link dialog") << std::function<void(TMainFrm &)>(
            [](TMainFrm &m) { QVERIFY(!m.findChild<TCanalFrm *>()->WriteFINI()); });
        QTest::newRow("type list") << std::function<void(TMainFrm &)>(
            [](TMainFrm &m) { QVERIFY(!m.findChild<TMProFrm *>()->writeIni()); });
        QTest::newRow("calculator") << std::function<void(TMainFrm &)>([](TMainFrm &m) {
            m.Calc()->show(); // a window never shown keeps no place
            delete m.Calc();
        });
        QTest::newRow("exchange monitor") << std::function<void(TMainFrm &)>([](TMainFrm &m) {
            m.findChild<QAction *>(QStringLiteral("NExchangeMonitor"))->trigger();
            auto *monitor = m.findChild<TExchangeMonitorFrm *>();
            QVERIFY(monitor);
            monitor->hide();
        });
        QTest::newRow("flowmeter window")
            << std::function<void(TMainFrm &)>([](TMainFrm &m) {
                   m.findChild<TFlowMeterForm *>()->show();
                   delete m.findChild<TFlowMeterForm *>();
               });
        QTest::newRow("GS flowmeter window")
            << std::function<void(TMainFrm &)>([](TMainFrm &m) {
                   m.findChild<TFlowMeterFormGS *>()->show();
                   delete m.findChild<TFlowMeterFormGS *>();
               });
    }
    void eachWindowTellsItsFailedSave()
    {
        QFETCH(std::function<void(TMainFrm &)>, save);
        MessageRecorder recorder;
        MainFixture f;
        f.Create();
        recorder.Clear();
        QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("QTM.ini")));
        save(*f.main);
        QCOMPARE(recorder.shown.size(), 1);
        QVERIFY(recorder.shown.first().startsWith(QStringLiteral("Не удалось записать файл")));
        QVERIFY2(recorder.shown.first().contains(QStringLiteral("на месте файла папка")),
                 qPrintable(recorder.shown.first()));
        // Told once: a window place that fails again says no more.
        IniFile place(QStringLiteral("QTM.ini"));
        QVERIFY(!place.Save(IniFile::Tell::Once));
        QCOMPARE(recorder.shown.size(), 1);
        QVERIFY(QDir(f.dir.path()).rmdir(QStringLiteral("QTM.ini")));
        recorder.Clear();
        f.Close();
        QVERIFY(recorder.shown.isEmpty());
    }

    // A QTM.ini that is not read leaves the program on defaults: the start says so, and
    // a file refused for its size is not overwritten at the end.
    void theStartTellsSettingsThatWereNotRead_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("told");
        QTest::newRow("header without ]")
            << QByteArray("[QTM]\r\nComm Port=COM2\r\n[PRIBOR\r\nComm Port=COM3\r\n")
            << QStringLiteral("строка 3 \"[PRIBOR\"");
        QTest::newRow("too large") << QByteArray("[QTM]\nComm Port=COM2\n") +
                                          QByteArray(int(IniFile::kMaxBytes), ';')
                                   << QStringLiteral("Не удалось прочитать файл");
    }
    void theStartTellsSettingsThatWereNotRead()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, told);
        MessageRecorder recorder;
        MainFixture f;
        f.WriteIni(text);
        f.Create();
        QTRY_COMPARE(recorder.shown.size(), 1);
        QVERIFY2(recorder.shown.first().contains(told), qPrintable(recorder.shown.first()));
        QVERIFY(recorder.shown.first().contains(QStringLiteral("QTM.ini")));
        f.main->move(40, 50);
        f.Close();
        if (text.size() > IniFile::kMaxBytes)
            QCOMPARE(f.ReadIni(), text);
        else
            QVERIFY(f.ReadIni().contains("[PRIBOR\r\nComm Port=COM3\r\n"));
    }

    void aGoodSaveSaysNothing()
    {
        MessageRecorder recorder;
        MainFixture f;
        f.Create();
        f.main->move(40, 50);
        recorder.Clear();
        f.Close();
        QVERIFY(recorder.shown.isEmpty());
        QVERIFY(f.ReadIni().contains("[Form]"));
    }
};

QTEST_MAIN(SettingsSaveTest)
#include "tst_settingssave.moc"
