#include "mainfixture.h"
#include "support/messagerecorder.h"

#include <QDir>
#include <QTest>

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
