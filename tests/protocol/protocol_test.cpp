#include "link/inifile.h"
#include "record/protocoldocument.h"
#include "record/recordjson.h"
#include "record/verification.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace Verification;

class ProtocolTest : public QObject
{
    Q_OBJECT

    static Record SampleRun(double flowError)
    {
        Record r;
        r.settings.serial = QStringLiteral("ЛК-1234/5");
        r.settings.verifier = QStringLiteral("Иванов И. И.");
        r.started = QDateTime(QDate(2026, 12, 9), QTime(10, 30));
        r.modules = {QStringLiteral("ТЕВОР ЦТМ ИМР 31.02.04.00")};
        r.delayStep = 600;
        r.model = QStringLiteral("ЛКТВ-210Н");
        for (double q : r.settings.points) {
            Check flow{Quantity::Flow, q, 0.8, {}};
            for (int i = 0; i < 3; ++i)
                flow.readings << FlowReading(q, q * (1 + flowError / 100));
            r.checks << flow;
        }
        Check volume{Quantity::Volume, 250, 0.8, {VolumeReading(1, 1.004)}};
        r.checks << volume;
        r.completed = true;
        return r;
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void readingsAndVerdicts()
    {
        const Reading flow = FlowReading(100, 100.5);
        QCOMPARE(flow.error, 0.5);
        const Reading current = CurrentReading(150, 12.1);
        QCOMPARE(current.reference, 12.0);
        QVERIFY(qAbs(current.error - 0.8333333) < 1e-6);
        QVERIFY(qAbs(PulseReading(1.25, 1234).error - 1.28) < 1e-9);
        QVERIFY(std::isnan(FlowReading(0, 5).error));

        Check c{Quantity::Flow, 30, 0.8, {FlowReading(100, 100.5), FlowReading(100, 100.8)}};
        QVERIFY(c.Passed()); // exactly at the limit passes
        c.readings << FlowReading(100, 101);
        QVERIFY(!c.Passed());
        QCOMPARE(c.MaxError(), 1.0);
        c.readings = {FlowReading(0, 1)};
        QVERIFY(!c.Passed()); // an error that cannot be computed is no pass
        QVERIFY(!Check{}.Passed());

        Record r = SampleRun(0.5);
        QVERIFY(r.Passed());
        QCOMPARE(r.Verdict(), QStringLiteral("годен"));
        r.completed = false; // a stopped run passes nothing
        QVERIFY(!r.Passed());
        QVERIFY(!SampleRun(1.5).Passed());
        QCOMPARE(SampleRun(0.5).FileStem(), QStringLiteral("Протокол_ЛК-1234_5_2026-12-09_10-30"));
    }

    void settingsKeepTheirValuesAndDefaults()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("QTM.ini"));
        Settings s = Settings::Read(IniFile(path));
        QCOMPARE(s.points, (QList<double>{13, 30, 130, 250}));
        QCOMPARE(s.limitPercent, 0.8);
        s.serial = QStringLiteral("77");
        s.verifier = QStringLiteral("Петров");
        s.RememberVerifier();
        s.verifier = QStringLiteral("Сидоров");
        s.RememberVerifier();
        s.params.readings = 3;
        s.points[3] = 200;
        {
            IniFile ini(path);
            ini.WriteString(QStringLiteral("Protocol"), QStringLiteral("Period"), QStringLiteral("abc"));
            s.Write(ini);
            ini.WriteString(QStringLiteral("Protocol"), QStringLiteral("Transient"), QStringLiteral("-5"));
            QVERIFY(ini.UpdateFile());
        }
        const Settings back = Settings::Read(IniFile(path));
        QCOMPARE(back.serial, QStringLiteral("77"));
        QCOMPARE(back.verifiers, (QStringList{QStringLiteral("Сидоров"), QStringLiteral("Петров")}));
        QCOMPARE(back.params.readings, 3);
        QCOMPARE(back.points[3], 200.0);
        QCOMPARE(back.params.transientS, Parameters{}.transientS); // out of range: the default
        QVERIFY(Settings{}.Problem().contains(QStringLiteral("заводской номер")));
    }

    void documentsReadBack()
    {
        QTemporaryDir dir;
        Record r = SampleRun(1.5);
        r.checks[0].readings[1].error = std::numeric_limits<double>::quiet_NaN();
        // The journal keeps the record as text: it must come back whole, the error that
        // could not be computed included.
        const auto back = RecordJson::Read(RecordJson::Write(r));
        QVERIFY(back);
        QCOMPARE(RecordJson::Write(*back), RecordJson::Write(r));
        QVERIFY(std::isnan(back->checks[0].readings[1].error));
        QVERIFY(!RecordJson::Read("{\"version\": 99}"));
        const QString pdf = dir.filePath(r.FileStem() + QStringLiteral(".pdf"));
        const QString xlsx = dir.filePath(r.FileStem() + QStringLiteral(".xlsx"));
        QCOMPARE(ProtocolDocument::WritePdf(pdf, r), QString());
        QCOMPARE(ProtocolDocument::WriteXlsx(xlsx, r), QString());

        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(20000));
        const QString body = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(body.contains(QStringLiteral("ПРОТОКОЛ ПОВЕРКИ")), qPrintable(body));
        QVERIFY(body.contains(QStringLiteral("ЛК-1234/5")));
        QVERIFY(body.contains(QStringLiteral("Иванов И. И.")));
        QVERIFY(body.contains(QStringLiteral("Заключение: прибор не годен")));
        QVERIFY(body.contains(QStringLiteral("1,5")));

        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import openpyxl,sys\n"
                                 "ws=openpyxl.load_workbook(sys.argv[1]).active\n"
                                 "rows=[r for r in ws.iter_rows(values_only=True)]\n"
                                 "print(rows[0][1]); print(rows[9][1]); print(len(rows)); print(rows[12])"),
                  xlsx});
        QVERIFY(py.waitForFinished(20000));
        const QStringList lines = QString::fromUtf8(py.readAllStandardOutput()).split(QLatin1Char('\n'));
        QVERIFY2(lines.size() >= 4, qPrintable(QString::fromUtf8(py.readAllStandardError())));
        QCOMPARE(lines[0], QStringLiteral("ЛК-1234/5"));
        QCOMPARE(lines[1], QStringLiteral("не годен"));
        QCOMPARE(lines[2].toInt(), 12 + 4 * 3 + 1); // info, blank, header, readings
        QVERIFY2(lines[3].startsWith(QStringLiteral("('Расход', 13, 1, 13, 13.195")), qPrintable(lines[3]));
    }
};

QTEST_MAIN(ProtocolTest)
#include "protocol_test.moc"
