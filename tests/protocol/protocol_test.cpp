#include "link/inifile.h"
#include "record/protocoldocument.h"
#include "record/recordjson.h"
#include "record/verification.h"
#include "support/pdftext.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <limits>

using namespace Verification;

class ProtocolTest : public QObject
{
    Q_OBJECT

    static Record SampleRun(double flowError, int readings = 3)
    {
        Record r;
        r.number = 17;
        Settings &s = r.settings;
        s.serial = QStringLiteral("ЛК-1234/5");
        s.owner = QStringLiteral("ООО \"Водоканал\"");
        s.registerNumber = QStringLiteral("12345-06");
        s.verifier = QStringLiteral("Иванов И. И.");
        s.trialOk = true;
        s.conditions = {21.5, 48, 100.7, 220};
        s.lab = {QStringLiteral("ФБУ \"Тестовый ЦСМ\""), QStringLiteral("МП 208-001-2026"),
                 QStringLiteral("ЦТМ-0042"), QStringLiteral("С-АБ/01-12-2026/123"), QDate(2027, 6, 30)};
        r.started = QDateTime(QDate(2026, 12, 9), QTime(10, 30));
        r.finished = QDateTime(QDate(2026, 12, 9), QTime(11, 5));
        r.modules = {QStringLiteral("ТЕВОР ЦТМ ИМР 31.02.04.00")};
        r.delayStep = 600.125;
        r.model = QStringLiteral("ЛКТВ-210Н");
        r.software = QStringLiteral("Монитор ЦТМ-01 (qtm-monitor), версия 1.0.0");
        for (double q : s.points) {
            Check flow{Quantity::Flow, q, 0.8, {}};
            Check current{Quantity::Current, q, 0.5, {}};
            for (int i = 0; i < readings; ++i) {
                flow.readings << FlowReading(q, q * (1 + flowError / 100));
                current.readings << CurrentReading(q, 4 + 16 * q / 300 + 0.2, 300);
            }
            r.checks << flow << current;
        }
        r.checks << Check{Quantity::Volume, 250, 0.8, {VolumeReading(1.25, 1.254)}};
        r.checks << Check{Quantity::Pulses, 250, 0.8, {PulseReading(1.25, 1253, 0.001)}};
        r.completed = true;
        return r;
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void errorsKeepTheirSignAndAreRoundedBeforeTheLimit()
    {
        QCOMPARE(FlowReading(100, 100.5).error, 0.5);
        QCOMPARE(FlowReading(100, 99.5).error, -0.5);
        // The current output: 0.2 mA high at 30 m3/h is 1.25 % of the 16 mA span (3.57 %
        // of the current itself); 0.03 mA at 13 m3/h, which read 0.64 %, is 0.19 %.
        const Reading current = CurrentReading(30, 5.8, 300);
        QCOMPARE(current.reference, 5.6);
        QVERIFY(qAbs(current.error - 1.25) < 1e-9);
        QCOMPARE(RoundError(CurrentReading(13, 4 + 16 * 13 / 300.0 + 0.03, 300).error), 0.19);
        QVERIFY(qAbs(CurrentReading(50, 12, 100).error) < 1e-9); // Qmax of the type
        // Pulses against the reference volume, at their weight.
        QVERIFY(qAbs(PulseReading(1.25, 1260, 0.001).error - 0.8) < 1e-9);

        Check c{Quantity::Flow, 30, 0.8, {FlowReading(100, 100.5), FlowReading(100, 99.196)}};
        QCOMPARE(c.MaxError(), -0.804); // the largest magnitude, with its sign
        QVERIFY(c.Passed());            // rounds to 0.80: within
        c.readings << FlowReading(100, 100.806);
        QCOMPARE(c.ResultText(), QStringLiteral("не годен")); // rounds to 0.81
        c.readings << FlowReading(0, 1);
        QCOMPARE(c.ResultText(), QStringLiteral("не выполнено"));

        Record r = SampleRun(0.5);
        QVERIFY(!r.Passed()); // the current output is 1.25 % off against 0.5 %
        QCOMPARE(r.Verdict(), QStringLiteral("не годен"));
        for (Check &k : r.checks)
            k.limit = 1.5;
        QVERIFY(r.Passed());
        QCOMPARE(r.Conclusion(), QStringLiteral("прибор годен"));
        r.settings.visualOk = false;
        QCOMPARE(r.Verdict(), QStringLiteral("не годен"));
        r.settings.visualOk = true;
        r.checks[1].readings[0].error = std::numeric_limits<double>::quiet_NaN();
        QVERIFY(r.Incomplete());
        QCOMPARE(r.Conclusion(),
                 QStringLiteral("поверка не завершена: не выполнено - Токовый выход 13 м3/ч"));
        r.completed = false; // a stopped run passes nothing
        QVERIFY(!r.Passed());
        QCOMPARE(SampleRun(0.5).FileStem(), QStringLiteral("Протокол_ЛК-1234_5_2026-12-09_10-30"));
    }

    void settingsKeepTheirValuesAndDefaults()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("QTM.ini"));
        Settings s = Settings::Read(IniFile(path));
        QCOMPARE(s.points, (QList<double>{13, 30, 130, 250}));
        QCOMPARE(s.Limit(Quantity::Current), 0.8);
        QCOMPARE(s.qMax, 300.0);
        QCOMPARE(s.MinPulseVolume(), 1.25); // 0.001 m3 a pulse within a tenth of 0.8 %
        s.limits = {1, 0.5, 1, 2};
        s.pulseWeight = 0.01;
        s.conditions = SampleRun(0).settings.conditions;
        s.lab = SampleRun(0).settings.lab;
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
        QCOMPARE(back.Limit(Quantity::Current), 0.5);
        QCOMPARE(back.pulseWeight, 0.01);
        QCOMPARE(back.conditions.pressureKPa, 100.7);
        QCOMPARE(back.lab.benchValidUntil, QDate(2027, 6, 30));
        QVERIFY(Settings{}.Problem().contains(QStringLiteral("заводской номер")));
        // A volume run too short for the pulse output is refused, saying what would do.
        QVERIFY2(back.Problem(QDate(2026, 12, 9)).contains(QStringLiteral("не меньше 5 м3")),
                 qPrintable(back.Problem(QDate(2026, 12, 9))));
        Settings ok = back;
        ok.params.volumeM3 = 5;
        QCOMPARE(ok.Problem(QDate(2026, 12, 9)), QString());
        QVERIFY(ok.Problem(QDate(2027, 7, 1)).contains(QStringLiteral("истёк 30.06.2027")));
        ok.conditions.voltageV = std::numeric_limits<double>::quiet_NaN();
        QVERIFY(ok.Problem(QDate(2026, 12, 9)).contains(QStringLiteral("напряжение питания")));
    }

    void documentsReadBack()
    {
        QTemporaryDir dir;
        Record r = SampleRun(1.5);
        r.checks[0].readings[1].error = std::numeric_limits<double>::quiet_NaN();
        // The journal keeps the record as text and reprints from it: it must come back
        // whole, every field the protocol prints and the error that could not be computed.
        const auto back = RecordJson::Read(RecordJson::Write(r));
        QVERIFY(back);
        QCOMPARE(RecordJson::Write(*back), RecordJson::Write(r));
        QVERIFY(std::isnan(back->checks[0].readings[1].error));
        QVERIFY(!RecordJson::Read("{\"version\": 99}"));
        QTextDocument first, again;
        ProtocolDocument::Fill(first, r);
        ProtocolDocument::Fill(again, *back);
        QCOMPARE(again.toHtml(), first.toHtml());

        const QString pdf = dir.filePath(r.FileStem() + QStringLiteral(".pdf"));
        const QString xlsx = dir.filePath(r.FileStem() + QStringLiteral(".xlsx"));
        QCOMPARE(ProtocolDocument::WritePdf(pdf, r), QString());
        QCOMPARE(ProtocolDocument::WriteXlsx(xlsx, r), QString());

        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        const QString body = PdfText(pdf);
        for (const char *field :
             {"ПРОТОКОЛ ПОВЕРКИ № 17", "ЛК-1234/5", "ООО \"Водоканал\"", "12345-06", "Иванов И. И.",
              "ФБУ \"Тестовый ЦСМ\"", "МП 208-001-2026", "ЦТМ-0042", "С-АБ/01-12-2026/123", "30.06.2027",
              "21,5", "48,0", "100,7", "220,0", "09.12.2026 10:30", "09.12.2026 11:05", "версия 1.0.0",
              "Внешний осмотр:", "Опробование:",
              "Прибор:                             ЛКТВ-210Н, зав. № ЛК-1234/5", "600,125",
              "приведённая к диапазону 16 мА", "Округление:", "0,0010000",
              // headings and figures whole, numbers with the decimals of their quantity
              "Погрешность,", "Результат", "Предел,", "Точка,", "1,25", "0,50", "не годен", "не выполнено",
              "1,2500", "1,2540", "1,2530", "5,600", "5,800", "Заключение: прибор не годен"})
            QVERIFY2(body.contains(QString::fromUtf8(field)), field);

        // Many readings: the table goes on to a further page with its heading again.
        const QString longPdf = dir.filePath(QStringLiteral("long.pdf"));
        QCOMPARE(ProtocolDocument::WritePdf(longPdf, SampleRun(0.5, 12)), QString());
        const QString pages = PdfText(longPdf);
        QVERIFY(pages.count(QLatin1Char('\f')) >= 2);
        QCOMPARE(pages.count(
                     QRegularExpression(QStringLiteral("Проверка +Точка, +№ +Эталон +Прибор +Погрешность,"))),
                 pages.count(QLatin1Char('\f')));

        QProcess py;
        py.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import openpyxl,sys\n"
                            "ws=openpyxl.load_workbook(sys.argv[1]).active\n"
                            "rows={r[0].value:r[1] for r in ws.iter_rows() if r[0].value}\n"
                            "d=rows['Шаг задержки, нс']; print(repr(d.value), d.number_format)\n"
                            "print(rows['Заключение'].value)\n"
                            "c=[r for r in ws.iter_rows() if r[0].value=='Токовый выход'][0]\n"
                            "print(repr(c[5].value), c[5].number_format, c[3].number_format, c[8].value)"),
             xlsx});
        QVERIFY(py.waitForFinished(20000));
        const QStringList lines = QString::fromUtf8(py.readAllStandardOutput()).split(QLatin1Char('\n'));
        QVERIFY2(lines.size() >= 3, qPrintable(QString::fromUtf8(py.readAllStandardError())));
        QCOMPARE(lines[0], QStringLiteral("600.125 0.000"));
        QCOMPARE(lines[1], r.Conclusion());
        QCOMPARE(lines[2], QStringLiteral("1.25 0.00 0.000 не годен"));
    }
};

QTEST_MAIN(ProtocolTest)
#include "protocol_test.moc"
