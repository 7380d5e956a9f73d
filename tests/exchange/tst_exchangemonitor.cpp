// The exchange monitor: the bounded list, the window's counters, colours, filter,
// pause, clear, CSV and clipboard, and its place in the main window.
#include "exchange/exchangefilelog.h"
#include "exchange/exchangefilter.h"
#include "exchange/exchangelog.h"
#include "exchange/texchangemonitorfrm.h"
#include "link/conventions.h"
#include "link/inifile.h"
#include "shell/mainfixture.h"
#include "support/messagerecorder.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace
{
ExchangeRecord Rec(const QString &link, ExchangeRecord::Framing framing, int device, int function, int qid,
                   const QByteArray &request, const QByteArray &reply, int result, qint64 us, int second)
{
    ExchangeRecord r;
    r.startMs = QDateTime(QDate(2026, 12, 9), QTime(10, 11, second, 345)).toMSecsSinceEpoch();
    r.durationUs = us;
    r.link = link;
    r.device = device;
    r.function = function;
    r.qid = qid;
    r.framing = framing;
    r.request = QByteArray::fromHex(request);
    r.reply = QByteArray::fromHex(reply);
    r.result = result;
    return r;
}

const QString kBench = QStringLiteral("ЦТМ");
const QString kMeter = QStringLiteral("Прибор");
constexpr auto kRtu = ExchangeRecord::Framing::Rtu;
constexpr auto kTcp = ExchangeRecord::Framing::Tcp;

// A read, a time-out, an exception, a CRC error and a reply too short.
QList<ExchangeRecord> FiveRecords()
{
    return {Rec(kBench, kRtu, 1, 3, 400001, "010300000001", "0103020007", 0, 12345, 0),
            Rec(kBench, kRtu, 2, 17, 17, "0211", "", 1, 1500000, 1),
            Rec(kMeter, kTcp, 1, 4, -5, "010400100002", "018402", 11, 3000, 2),
            Rec(kBench, kRtu, 3, 3, 300001, "030300000001", "", 2, 151000, 3),
            Rec(kMeter, kTcp, 1, 3, 7, "010300000004", "01030400010002", 16, 2500, 4)};
}

QString LabelOf(QWidget *w)
{
    const auto labels = QAccessible::queryAccessibleInterface(w)->relations(QAccessible::Label);
    return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
}

QStringList Row(const QTableWidget *t, int row)
{
    QStringList cells;
    for (int c = 0; c < t->columnCount(); ++c)
        cells.append(t->item(row, c)->text());
    return cells;
}
} // namespace

class TestExchangeMonitor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void listKeepsTheNewestRecords()
    {
        ExchangeLog log;
        ExchangeFilter meter(log);
        meter.SetLink(kMeter);
        QAbstractItemModelTester logTester(&log, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester filterTester(&meter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        int qid = 0;
        auto append = [&](int n) {
            for (int i = 0; i < n; ++i, ++qid)
                log.Append(
                    Rec(qid % 2 ? kMeter : kBench, kRtu, 1, 3, qid, "010300000001", "0103020007", 0, 1, 0));
            log.Flush();
        };
        append(9990);
        QCOMPARE(log.rowCount(), 9990);
        append(60);
        QCOMPARE(log.rowCount(), ExchangeLog::kCapacity);
        QCOMPARE(log.At(0).qid, 50);
        QCOMPARE(log.At(ExchangeLog::kCapacity - 1).qid, 10049);
        QCOMPARE(meter.rowCount(), ExchangeLog::kCapacity / 2);
        QCOMPARE(meter.data(meter.index(0, ExchangeLog::ColQid)).toString(), QStringLiteral("51"));
        // A batch larger than the whole list.
        append(10005);
        QCOMPARE(log.rowCount(), ExchangeLog::kCapacity);
        QCOMPARE(log.At(0).qid, 10055);
        QCOMPARE(log.At(ExchangeLog::kCapacity - 1).qid, 20054);
        QCOMPARE(log.data(log.index(0, ExchangeLog::ColQid)).toString(), QStringLiteral("10055"));
        // The counters count the whole session, not just what is kept.
        QCOMPARE(log.CountersOf(kBench).requests + log.CountersOf(kMeter).requests, 20055);
        // Records gather until the next flush, which comes by itself.
        log.Append(Rec(kBench, kRtu, 1, 3, -1, "010300000001", "", 1, 1, 0));
        QCOMPARE(log.At(ExchangeLog::kCapacity - 1).qid, 20054);
        QTRY_COMPARE_WITH_TIMEOUT(log.At(ExchangeLog::kCapacity - 1).qid, -1, 2000);
    }

    void windowCountsColoursFiltersAndSaves()
    {
        QTemporaryDir dir;
        qputenv("QTM_CONFIG_DIR", QFile::encodeName(dir.path()));
        MessageRecorder messages;
        ExchangeLog log;
        log.Attach(new FakeMBComMaster(&log), kBench);
        log.Attach(new FakeMBComMaster(&log), kMeter);
        TExchangeMonitorFrm w(log);
        w.show();
        for (const ExchangeRecord &r : FiveRecords())
            log.Append(r);
        log.Flush();
        auto *view = w.findChild<QTableView *>(QStringLiteral("TvExchange"));
        auto *counters = w.findChild<QTableWidget *>(QStringLiteral("TblCounters"));
        auto *pause = w.findChild<QPushButton *>(QStringLiteral("BtnPause"));
        auto *linkBox = w.findChild<QComboBox *>(QStringLiteral("CbLink"));
        auto *address = w.findChild<QSpinBox *>(QStringLiteral("SeAddress"));
        QVERIFY(view && counters && pause && linkBox && address);
        QCOMPARE(view->model()->rowCount(), 5);

        // Requests, answered, time-outs, CRC errors, exceptions, retries.
        QCOMPARE(counters->verticalHeaderItem(0)->text(), kBench);
        // Requests, answered, time-outs, CRC errors, exceptions, retries, then the
        // response time: minimum, mean, maximum.
        QCOMPARE(Row(counters, 0), (QStringList{"3", "1", "1", "1", "0", "0", "12,3", "12,3", "12,3"}));
        // Each device under its link: the one that never answers stands out.
        QCOMPARE(counters->verticalHeaderItem(2)->text(), kBench + QStringLiteral(", адрес 2"));
        QCOMPARE(Row(counters, 2), (QStringList{"1", "0", "1", "0", "0", "0", "", "", ""}));
        QCOMPARE(counters->verticalHeaderItem(4)->text(), kMeter);
        QCOMPARE(Row(counters, 4), (QStringList{"2", "2", "0", "0", "1", "0", "2,5", "2,8", "3,0"}));
        QCOMPARE(Row(counters, 5), Row(counters, 4));
        QCOMPARE(counters->rowCount(), 6);

        // Every failure kind has a colour of its own; a plain answer none.
        QList<QRgb> colours;
        for (int row = 0; row < 5; ++row) {
            const QVariant c = view->model()->index(row, ExchangeLog::ColReply).data(Qt::BackgroundRole);
            QCOMPARE(c.isValid(), row > 0);
            if (c.isValid() && !colours.contains(c.value<QColor>().rgb()))
                colours.append(c.value<QColor>().rgb());
        }
        QCOMPARE(colours.size(), 4);

        const QString csv = dir.filePath(QStringLiteral("обмен.csv"));
        QVERIFY(w.SaveCsv(csv));
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString expected = QStringLiteral(
            "Время;Линия;Адрес;Функция;QID;Результат;Длительность, мс;Запрос;Ответ\r\n"
            "09.12.2026 10:11:00.345;ЦТМ;1;03;400001;0: Ок;12,3;восстановлен: 01 03 00 00 00 01 84 0A;восстановлен: 01 03 02 00 07 F9 86\r\n"
            "09.12.2026 10:11:01.345;ЦТМ;2;11;17;1: Прибор не отвечает;1500,0;восстановлен: 02 11 C0 DC;\r\n"
            "09.12.2026 10:11:02.345;Прибор;1;04;-5;11: Недопустимый адрес данных;3,0;"
            "восстановлен: ?? ?? 00 00 00 06 01 04 00 10 00 02;восстановлен: ?? ?? 00 00 00 03 01 84 02\r\n"
            "09.12.2026 10:11:03.345;ЦТМ;3;03;300001;2: Ошибка контрольной суммы;151,0;восстановлен: 03 03 00 00 00 01 85 E8;\r\n"
            "09.12.2026 10:11:04.345;Прибор;1;03;7;16: Недостаточно данных;2,5;"
            "восстановлен: ?? ?? 00 00 00 06 01 03 00 00 00 04;восстановлен: ?? ?? 00 00 00 07 01 03 04 00 01 00 02\r\n");
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF")); // a byte order mark for spreadsheet programs
        QCOMPARE(QString::fromUtf8(bytes.mid(3)), expected);
        f.close();

        // The filter: the list shown, and saved, is the filtered one.
        linkBox->setCurrentIndex(linkBox->findText(kMeter));
        QCOMPARE(view->model()->rowCount(), 2);
        address->setValue(1);
        QCOMPARE(view->model()->rowCount(), 2);
        linkBox->setCurrentIndex(0);
        QCOMPARE(view->model()->rowCount(), 3);
        QVERIFY(w.SaveCsv(csv));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().count("\r\n"), 4);
        f.close();
        address->setValue(address->minimum());
        QCOMPARE(address->text(), QStringLiteral("Все"));
        QCOMPARE(view->model()->rowCount(), 5);

        // Errors only, one function, one QID, bytes in the frames; together they narrow.
        auto *errors = w.findChild<QCheckBox *>(QStringLiteral("ChbErrors"));
        auto *function = w.findChild<QComboBox *>(QStringLiteral("CbFunction"));
        auto *qid = w.findChild<QLineEdit *>(QStringLiteral("EdtQid"));
        auto *hex = w.findChild<QLineEdit *>(QStringLiteral("EdtHex"));
        QVERIFY(errors && function && qid && hex);
        errors->setChecked(true);
        QCOMPARE(view->model()->rowCount(), 4);
        function->setCurrentIndex(function->findText(QStringLiteral("03")));
        QCOMPARE(view->model()->rowCount(), 2);
        errors->setChecked(false);
        QCOMPARE(view->model()->rowCount(), 3);
        qid->setText(QStringLiteral("7"));
        QCOMPARE(view->model()->rowCount(), 1);
        qid->clear();
        hex->setText(QStringLiteral("0103"));
        QCOMPARE(view->model()->rowCount(), 2);
        hex->setText(QStringLiteral("85 e8"));
        QCOMPARE(view->model()->rowCount(), 1);
        QCOMPARE(LabelOf(hex), QStringLiteral("Поиск в кадрах:"));
        hex->clear();
        function->setCurrentIndex(0);
        QCOMPARE(view->model()->rowCount(), 5);

        // Selected rows to the clipboard, tab-separated.
        view->selectionModel()->select(view->model()->index(3, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view->selectionModel()->select(view->model()->index(1, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const QString copied =
            QStringLiteral("10:11:01.345\tЦТМ\t2\t11\t17\t1: Прибор не отвечает\t1500,0\tвосстановлен: 02 11 C0 DC\t\n"
                           "10:11:03.345\tЦТМ\t3\t03\t300001\t2: Ошибка контрольной суммы\t151,0\t"
                           "восстановлен: 03 03 00 00 00 01 85 E8\t\n");
        QCOMPARE(w.SelectedText(), copied);
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("BtnCopy")), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);

        // Paused: the list keeps still, the counters go on.
        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(pause->text(), QStringLiteral("Продолжить"));
        log.Append(FiveRecords().at(1));
        log.Flush();
        QCOMPARE(view->model()->rowCount(), 5);
        QCOMPARE(counters->item(0, 2)->text(), QStringLiteral("2"));
        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(pause->text(), QStringLiteral("Пауза"));
        log.Append(FiveRecords().at(1));
        log.Flush();
        QCOMPARE(view->model()->rowCount(), 6);

        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("BtnClear")), Qt::LeftButton);
        QCOMPARE(view->model()->rowCount(), 0);
        QCOMPARE(Row(counters, 0), (QStringList{"0", "0", "0", "0", "0", "0", "", "", ""}));
        QVERIFY(w.findChild<QLabel *>(QStringLiteral("LblShown"))
                    ->text()
                    .startsWith(QStringLiteral("Показано 0 из 0")));

        // A file that cannot be written: the operator is told, nothing else happens.
        QVERIFY(!w.SaveCsv(dir.filePath(QStringLiteral("нет/такой/папки.csv"))));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.shown.first().startsWith(QStringLiteral("Не удалось сохранить файл")));

        // Accessible names: the list by its own name, the filter fields by their labels.
        QCOMPARE(QAccessible::queryAccessibleInterface(view)->text(QAccessible::Name),
                 QStringLiteral("Список обмена"));
        QCOMPARE(LabelOf(linkBox), QStringLiteral("Линия:"));
        QCOMPARE(LabelOf(address), QStringLiteral("Адрес:"));
        qunsetenv("QTM_CONFIG_DIR");
    }

    // The list opens on the newest rows, even those that came while it was closed,
    // and keeps to them until the operator scrolls up; the reply column is in sight.
    void listFollowsTheNewestRowsAndShowsTheReply()
    {
        QTemporaryDir dir;
        qputenv("QTM_CONFIG_DIR", QFile::encodeName(dir.path()));
        ExchangeLog log;
        log.Attach(new FakeMBComMaster(&log), kBench);
        TExchangeMonitorFrm w(log);
        auto *view = w.findChild<QTableView *>(QStringLiteral("TvExchange"));
        QVERIFY(view);
        const auto append = [&log](int n) {
            for (int i = 0; i < n; ++i)
                log.Append(Rec(kBench, kRtu, 1, 3, 400001, "010300000001", "0103020007", 0, 12345, 0));
            log.Flush();
        };
        const auto newestShown = [view] {
            const int last = view->model()->rowCount() - 1;
            return view->viewport()->rect().contains(
                view->visualRect(view->model()->index(last, 0)).center());
        };
        append(200);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY_WITH_TIMEOUT(newestShown(), 3000);
        append(50);
        QTRY_VERIFY_WITH_TIMEOUT(newestShown(), 3000);

        QScrollBar *bar = view->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        const int kept = bar->value();
        append(50);
        QTest::qWait(50);
        QCOMPARE(bar->value(), kept);
        QVERIFY(!newestShown());
        bar->setValue(bar->maximum());
        append(5);
        QTRY_VERIFY_WITH_TIMEOUT(newestShown(), 3000);

        const QHeaderView *h = view->horizontalHeader();
        const int replyEnd =
            h->sectionViewportPosition(ExchangeLog::ColReply) + h->sectionSize(ExchangeLog::ColReply);
        QVERIFY2(replyEnd <= view->viewport()->width(), "the reply column runs out of the list");
        // A Modbus TCP read request, whole, once the window is as wide as a usual screen allows.
        w.resize(1260, w.height());
        QTRY_COMPARE_WITH_TIMEOUT(w.width(), 1260, 3000);
        const QString frame = QStringLiteral("00 0B 00 00 00 06 01 03 00 00 00 02");
        QVERIFY(h->sectionSize(ExchangeLog::ColRequest) > view->fontMetrics().horizontalAdvance(frame));
        QVERIFY(h->sectionSize(ExchangeLog::ColReply) > view->fontMetrics().horizontalAdvance(frame));
        qunsetenv("QTM_CONFIG_DIR");
    }

    void decodePaneSaysWhatTheSelectedRowCarried()
    {
        QTemporaryDir dir;
        qputenv("QTM_CONFIG_DIR", QFile::encodeName(dir.path()));
        ExchangeLog log;
        log.Attach(new FakeMBComMaster(&log), kBench);
        log.SetQidNames(kBench, [](int qid) { return qid == 749153 ? QStringLiteral("ReadIptCur") : QString(); });
        // Two floats 1.5 and -2 read from input 0xC000; a refused write of two
        // 32-bit values; a reply dropped for its CRC; coils.
        ExchangeRecord floats = Rec(kBench, kRtu, 3, 4, 749153, "0304C0000004", "0304083FC00000C0000000", 0, 1, 0);
        floats.dataType = dtFloat32;
        ExchangeRecord write = Rec(kBench, kRtu, 1, 16, 432773, "011080040002040001E240", "019002", 11, 1, 1);
        write.dataType = dtInt32;
        ExchangeRecord crc = Rec(kBench, kRtu, 2, 3, 7, "020300000001", "", 2, 1, 2);
        crc.attempt = 2;
        crc.replyWire = QByteArray::fromHex("0203020007FFFF");
        crc.note = QStringLiteral("CRC в кадре FF FF, расчётная 7D 86");
        ExchangeRecord coils = Rec(kBench, kRtu, 1, 1, 500011, "010100000004", "01010105", 0, 1, 3);
        coils.dataType = dtBool;
        for (const ExchangeRecord &r : {floats, write, crc, coils})
            log.Append(r);
        log.Flush();
        TExchangeMonitorFrm w(log);
        w.show();
        auto *view = w.findChild<QTableView *>(QStringLiteral("TvExchange"));
        auto *pane = w.findChild<QPlainTextEdit *>(QStringLiteral("PteDecode"));
        QVERIFY(view && pane);
        auto select = [&](int row) {
            view->setCurrentIndex(view->model()->index(row, 0));
            return pane->toPlainText();
        };
        QCOMPARE(select(0), QStringLiteral("Линия ЦТМ, адрес 3\nФункция 04: Чтение входных регистров\n"
                                           "QID 749153: ReadIptCur\nВходные регистры: 49152..49155 (4)\n"
                                           "Ответ: 1,5; -2 (float32)"));
        QCOMPARE(select(1), QStringLiteral("Линия ЦТМ, адрес 1\nФункция 10: Запись регистров\nQID 432773\n"
                                           "Регистры хранения 32772..32773 (2) := 123456 (int32)\n"
                                           "Исключение 2: Недопустимый адрес данных"));
        QVERIFY(select(2).endsWith(QStringLiteral("Регистры хранения: 0\nОтвет отброшен: CRC в кадре FF FF, расчётная 7D 86")));
        QVERIFY(view->model()->index(2, ExchangeLog::ColResult).data().toString().contains(QStringLiteral("попытка 2")));
        QVERIFY(select(3).endsWith(QStringLiteral("Дискретные выходы: 0..3 (4)\nОтвет: 1010")));
        QCOMPARE(QAccessible::queryAccessibleInterface(pane)->text(QAccessible::Name), QStringLiteral("Разбор строки"));
        qunsetenv("QTM_CONFIG_DIR");
    }

    void fileLogKeepsTheNewestInRotatedFiles()
    {
        QTemporaryDir dir;
        qputenv("QTM_CONFIG_DIR", QFile::encodeName(dir.path()));
        MessageRecorder messages;
        ExchangeLog log;
        log.Attach(new FakeMBComMaster(&log), kBench);
        auto file = std::make_unique<ExchangeFileLog>(dir.filePath(QStringLiteral("журнал.csv")), 1024, 3);
        const ExchangeFileLog &files = *file;
        log.SetFileLog(std::move(file));
        log.SetPaused(true); // the file goes on all the same
        for (int qid = 0; qid < 100; ++qid)
            log.Append(Rec(kBench, kRtu, 1, 3, qid, "010300000001", "0103020007", 0, 1000, qid % 60));
        log.Flush();
        QVERIFY(!QFile::exists(files.OlderName(3)));
        QList<int> qids;
        for (int n = 2; n >= 0; --n) {
            QFile f(files.OlderName(n));
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
            QVERIFY(f.size() < 1024 + 200);
            const QByteArray bytes = f.readAll();
            QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
            const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
            QVERIFY(lines.first().startsWith(QStringLiteral("Время;Линия;")));
            for (const QString &line : lines.mid(1)) {
                QVERIFY2(line.startsWith(QStringLiteral("09.12.2026 10:11:")), qPrintable(line));
                qids.append(line.section(QLatin1Char(';'), 4, 4).toInt());
            }
        }
        // The newest records, none lost between the files, the oldest gone.
        QVERIFY(qids.size() > 10 && qids.size() < 100);
        QCOMPARE(qids.last(), 99);
        for (qsizetype i = 1; i < qids.size(); ++i)
            QCOMPARE(qids.at(i), qids.at(i - 1) + 1);

        // From the window: a file that cannot be opened is told and the button stays up.
        log.SetFileLog(nullptr);
        TExchangeMonitorFrm w(log);
        auto *button = w.findChild<QPushButton *>(QStringLiteral("BtnFileLog"));
        QVERIFY(button);
        QVERIFY(!w.StartFileLog(dir.filePath(QStringLiteral("нет/журнал.csv"))));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(!button->isChecked());
        QVERIFY(w.StartFileLog(dir.filePath(QStringLiteral("смена.csv"))));
        QVERIFY(button->isChecked());
        QVERIFY(log.FileLog());
        button->click();
        QVERIFY(!log.FileLog());
        qunsetenv("QTM_CONFIG_DIR");
    }

    void openedFromTheMainMenuOnceAndKeptInPlace()
    {
        MainFixture fx;
        TMainFrm &main = fx.Create();
        auto *action = main.findChild<QAction *>(QStringLiteral("NExchangeMonitor"));
        QVERIFY(action);
        QCOMPARE(action->text(), QStringLiteral("Монитор обмена"));
        QVERIFY(main.findChild<QMenu *>(QStringLiteral("N1"))->actions().contains(action));
        auto *log = main.findChild<ExchangeLog *>(QStringLiteral("ExchangeLog"));
        QVERIFY(log);

        // Recording starts with the program, before the window is first opened.
        QVERIFY(!main.Windows.ExchangeMonitorFrm);
        emit fx.mbcm->ExchangeRecorded(FiveRecords().at(0));
        emit fx.mbcm1->ExchangeRecorded(FiveRecords().at(2));
        action->trigger();
        QPointer<QWidget> w = main.Windows.ExchangeMonitorFrm;
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Монитор обмена"));
        log->Flush();
        QCOMPARE(log->rowCount(), 2);
        QCOMPARE(log->At(0).link, kBench);
        QCOMPARE(log->At(1).link, kMeter);

        w->move(123, 145);
        w->close();
        QVERIFY(w && !w->isVisible());
        IniFile ini(QStringLiteral("QTM.ini"));
        QCOMPARE(ini.ReadInteger(QStringLiteral("ExchangeMonitor"), QStringLiteral("left"), -1), 123);
        QCOMPARE(ini.ReadInteger(QStringLiteral("ExchangeMonitor"), QStringLiteral("top"), -1), 145);
        action->trigger();
        QCOMPARE(main.Windows.ExchangeMonitorFrm.data(), w.data());
        QVERIFY(w->isVisible());

        fx.Close();
        QVERIFY(!w);
        TMainFrm &again = fx.Create();
        again.findChild<QAction *>(QStringLiteral("NExchangeMonitor"))->trigger();
        QCOMPARE(again.Windows.ExchangeMonitorFrm->pos(), QPoint(123, 145));
    }
};

QTEST_MAIN(TestExchangeMonitor)
#include "tst_exchangemonitor.moc"
