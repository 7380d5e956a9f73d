#include "benchrig.h"

#include "journal/tjournalfrm.h"
#include "shell/verificationcontrol.h"
#include "support/pdftext.h"

#include <QAction>
#include <QLocale>
#include <QProcess>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

// The operator's road to the journal: a stopped and a completed run on the simulated
// bench, both found in the journal window, and the protocol written again from it.
class E2eJournalTest : public QObject
{
    Q_OBJECT

    static constexpr int kDeadline = BenchRig::kDeadline;

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void runsAreFoundAndReprinted()
    {
        BenchRig rig;
        QTemporaryDir protocols, again;
        SimOptions options;
        options.flowErrorPercent = 0.5;
        QVERIFY(rig.StartSim(options));
        rig.WriteSimLinks();
        {
            IniFile ini(QStringLiteral("QTM.ini"));
            const QString s = QStringLiteral("Protocol");
            ini.WriteString(s, QStringLiteral("Serial"), QStringLiteral("A-17"));
            ini.WriteFloat(s, QStringLiteral("Transient"), 1);
            ini.WriteInteger(s, QStringLiteral("Readings"), 2);
            ini.WriteFloat(s, QStringLiteral("Period"), 1);
            ini.WriteFloat(s, QStringLiteral("VolumeTransient"), 1);
            ini.WriteFloat(s, QStringLiteral("Volume"), 0.2);
            ini.WriteFloat(s, QStringLiteral("Point1"), 30);
            for (const char *key : {"Point2", "Point3", "Point4"})
                ini.WriteFloat(s, QString::fromLatin1(key), 0);
            ini.WriteString(s, QStringLiteral("Folder"), protocols.path());
            BenchRig::WriteVerificationLab(ini);
            ini.UpdateFile();
        }
        TMainFrm &main = rig.Create();
        QVERIFY(rig.OpenAndSearch());
        QVERIFY(rig.ModulesFound());
        rig.W<QTabWidget>("pc")->setCurrentWidget(main.Page(QStringLiteral("TS4")));
        rig.W<QRadioButton>("rbv2")->setChecked(true); // the counter's input the pulses reach
        VerificationControl &control = *main.Verification();

        QTimer::singleShot(3000, this, [&control] { control.Stop(); });
        rig.Click("BtnAutoStart");
        QTRY_VERIFY_WITH_TIMEOUT(!rig.messages.shown.isEmpty(), 6 * kDeadline);
        QCOMPARE(rig.messages.shown.value(0), QStringLiteral("Поверка остановлена оператором"));
        rig.messages.Clear();
        rig.Click("BtnAutoStart");
        QTRY_VERIFY_WITH_TIMEOUT(!rig.messages.shown.isEmpty(), 12 * kDeadline);
        QCOMPARE(rig.messages.shown.value(0), QStringLiteral("Поверка завершена: прибор годен"));
        const int number = control.LastRecord().number;
        QVERIFY(number > 0);
        rig.Click("Button13");
        const QString first = PdfText(control.LastPdf());
        QVERIFY2(first.contains(QStringLiteral("A-17")), qPrintable(first));

        main.findChild<QAction *>(QStringLiteral("NJournal"))->trigger();
        auto *journal = main.findChild<TJournalFrm *>();
        QVERIFY(journal && journal->isVisible());
        QCOMPARE(journal->Entries().size(), 2);
        QCOMPARE(journal->Entries()[0].number, number);
        QCOMPARE(journal->Entries()[0].outcome, QStringLiteral("завершена"));
        QCOMPARE(journal->Entries()[0].verdict, QStringLiteral("годен"));
        QCOMPARE(journal->Entries()[1].number, number - 1);
        QCOMPARE(journal->Entries()[1].outcome, QStringLiteral("остановлена"));

        auto *table = journal->findChild<QTableWidget *>(QStringLiteral("TblRuns"));
        table->selectRow(0);
        QCOMPARE(journal->SelectedNumber(), number);
        journal->chooseFolder = [&again] { return again.path(); };
        rig.messages.Clear();
        QTest::mouseClick(journal->findChild<QPushButton *>(QStringLiteral("BtnExport")), Qt::LeftButton);
        QVERIFY2(rig.messages.shown.value(0).startsWith(QStringLiteral("Протокол записан")),
                 qPrintable(rig.messages.shown.value(0)));
        const QString pdf = QDir(again.path()).filePath(QFileInfo(control.LastPdf()).fileName());
        QCOMPARE(PdfText(pdf), first);
    }
};

QTEST_MAIN(E2eJournalTest)
#include "e2e_journal_test.moc"
