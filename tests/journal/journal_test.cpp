#include "journal/journal.h"
#include "journal/journalcsv.h"
#include "journal/runjournal.h"
#include "journal/tjournalfrm.h"
#include "journal/tjournalsettingsfrm.h"
#include "link/inifile.h"
#include "pgcluster.h"
#include "record/protocoldocument.h"
#include "record/recordjson.h"
#include "support/messagerecorder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTcpServer>
#include <QTest>

#include <set>

using namespace Verification;

namespace
{
const QString kBackend = QStringLiteral("backend");
constexpr int kChildRuns = 15;

// The same journal test runs against both databases; a child process writes runs of
// its own into the journal its environment names.
JournalConfig ConfigFromEnv()
{
    JournalConfig c;
    c.server = qEnvironmentVariable("QTM_J_SERVER") == QStringLiteral("1");
    c.file = qEnvironmentVariable("QTM_J_FILE");
    c.host = qEnvironmentVariable("QTM_J_HOST");
    c.port = qEnvironmentVariableIntValue("QTM_J_PORT");
    c.database = qEnvironmentVariable("QTM_J_DB");
    c.user = qEnvironmentVariable("QTM_J_USER");
    return c;
}

int ChildWrites()
{
    Journal journal(ConfigFromEnv());
    for (int i = 0; i < kChildRuns; ++i) {
        Record r;
        r.settings.serial = QStringLiteral("child");
        r.started = QDateTime::currentDateTime();
        r.number = journal.Begin(r);
        if (r.number == 0 || !journal.Finish(r, Outcome::Failed)) {
            fprintf(stderr, "%s\n", qPrintable(journal.Error()));
            return 1;
        }
    }
    return 0;
}

Record SampleRun(const QDateTime &started, bool complete)
{
    Record r;
    r.settings.serial = QStringLiteral("ЛК-1234/5");
    r.settings.verifier = QStringLiteral("Иванов И. И.");
    r.started = started;
    r.modules = {QStringLiteral("ТЕВОР ЦТМ ИМР 31.02.04.00")};
    r.delayStep = 600;
    r.model = QStringLiteral("ЛКТВ-210Н");
    r.flowmeter = QStringLiteral("ЛКТВ-210Н в. 2.1");
    for (double q : r.settings.points) {
        Check flow{Quantity::Flow, q, 0.8, {}};
        for (int i = 0; i < 3; ++i)
            flow.readings << FlowReading(q, q * (1 + (0.1 * i + 0.123456789) / 100));
        r.checks << flow;
        if (!complete)
            break;
    }
    if (complete)
        r.checks << Check{Quantity::Volume, 250, 0.8, {VolumeReading(1, 1.00412345)}};
    r.completed = complete;
    r.failure = complete ? QString() : QStringLiteral("Поверка остановлена оператором");
    r.finished = started.addSecs(complete ? 600 : 60);
    return r;
}

QString Tool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000))
        return QStringLiteral("timed out");
    return QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
}

// What an operator reads in the two documents: the PDF's text and every cell of the spreadsheet.
QString DocumentsText(const Record &r, const QString &dir, const QString &tag)
{
    const QString pdf = QDir(dir).filePath(tag + QStringLiteral(".pdf"));
    const QString xlsx = QDir(dir).filePath(tag + QStringLiteral(".xlsx"));
    QString errors = ProtocolDocument::WritePdf(pdf, r) + ProtocolDocument::WriteXlsx(xlsx, r);
    if (!errors.isEmpty())
        return errors;
    return Tool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}) +
           Tool(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-c"),
                 QStringLiteral("import openpyxl,sys\n"
                                "for ws in openpyxl.load_workbook(sys.argv[1]):\n"
                                "  for row in ws.iter_rows():\n"
                                "    print([(c.value, c.number_format) for c in row])\n"),
                 xlsx});
}
} // namespace

class JournalTest : public QObject
{
    Q_OBJECT

    PgCluster m_pg;
    QString m_pgProblem;
    QTemporaryDir m_dir;
    int m_databases = 0;

    // A fresh, empty journal of the backend under test.
    JournalConfig Fresh()
    {
        JournalConfig c;
        const QString name = QStringLiteral("j%1").arg(++m_databases);
        if (QTest::currentDataTag() != QStringLiteral("postgresql")) {
            c.file = m_dir.filePath(name + QStringLiteral(".sqlite"));
            return c;
        }
        c.server = true;
        c.host = QStringLiteral("127.0.0.1");
        c.port = m_pg.port;
        c.user = m_pg.user;
        c.database = QStringLiteral("postgres");
        QSqlDatabase admin = Raw(c);
        QSqlQuery(admin).exec(QStringLiteral("CREATE DATABASE ") + name);
        admin.close();
        c.database = name;
        c.password = m_pg.password;
        if (const QString error = SavePassword(c); !error.isEmpty())
            qFatal("%s", qPrintable(error));
        c.password.clear();
        return c;
    }

    // A connection of the test's own, as an older program or an administrator would open it.
    QSqlDatabase Raw(const JournalConfig &c)
    {
        const QString name = QStringLiteral("raw%1").arg(++m_databases);
        QSqlDatabase db =
            QSqlDatabase::addDatabase(c.server ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), name);
        if (c.server) {
            db.setHostName(c.host);
            db.setPort(c.port);
            db.setUserName(c.user);
        }
        db.setDatabaseName(c.server ? c.database : c.file);
        db.open();
        return db;
    }

    bool NeedBackend()
    {
        if (QTest::currentDataTag() != QStringLiteral("postgresql") || m_pgProblem.isEmpty())
            return true;
        if (qEnvironmentVariableIsSet("CI"))
            QTest::qFail(qPrintable(m_pgProblem), __FILE__, __LINE__);
        else
            QTest::qSkip(qPrintable(m_pgProblem), __FILE__, __LINE__);
        return false;
    }

    static void Backends()
    {
        QTest::addColumn<int>("unused");
        QTest::newRow("sqlite") << 0;
        QTest::newRow("postgresql") << 1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QVERIFY(m_dir.isValid());
        // The server's password comes from the password file, as in the program.
        qputenv("PGPASSFILE", QFile::encodeName(m_dir.filePath(QStringLiteral("pgpass"))));
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
            m_pgProblem = QStringLiteral("Qt's QPSQL driver (libqt6sql6-psql) is not installed");
        else
            m_pgProblem = m_pg.Start();
        if (m_pgProblem.isEmpty()) {
            JournalConfig c;
            c.server = true;
            c.host = QStringLiteral("127.0.0.1");
            c.port = m_pg.port;
            c.user = m_pg.user;
            for (const QString &db : {QStringLiteral("postgres"), QStringLiteral("other")}) {
                c.database = db;
                c.password = db == QStringLiteral("postgres") ? m_pg.password : QStringLiteral("old");
                QCOMPARE(SavePassword(c), QString());
            }
            c.database = QStringLiteral("postgres");
            c.password = m_pg.password; // replaces its line, keeps the other
            QCOMPARE(SavePassword(c), QString());
            QFile pass(PgPassFile());
            QCOMPARE(pass.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
            QVERIFY(pass.open(QIODevice::ReadOnly));
            QCOMPARE(pass.readAll().count('\n'), 2);
        }
    }

    void cleanupTestCase() { m_pg.Stop(); }

    void runsAreKeptAndReprinted_data() { Backends(); }
    // Two runs, one completed and one stopped, and one the program never finished; the
    // completed run's protocol made again from the journal reads as the first.
    void runsAreKeptAndReprinted()
    {
        if (!NeedBackend())
            return;
        const JournalConfig config = Fresh();
        const QDateTime day(QDate(2026, 12, 9), QTime(10, 30, 15));
        Record done = SampleRun(day, true);
        Record stopped = SampleRun(day.addDays(1), false);
        Record crashed = SampleRun(day.addDays(2), false);
        {
            Journal journal(config);
            QVERIFY2(journal.Open(), qPrintable(journal.Error()));
            QCOMPARE(journal.SchemaVersion(), Journal::kSchemaVersion);
            for (Record *r : {&done, &stopped, &crashed})
                r->number = journal.Begin(*r);
            QVERIFY2(done.number > 0, qPrintable(journal.Error()));
            QCOMPARE(stopped.number, done.number + 1);
            QCOMPARE(crashed.number, done.number + 2);
            QVERIFY(journal.Finish(done, Outcome::Completed));
            QVERIFY(journal.Finish(stopped, OutcomeOf(stopped, true)));
        }
        QString first;
        if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            first = DocumentsText(done, m_dir.path(), QStringLiteral("first"));

        Journal journal(config); // a later session
        const QList<JournalEntry> all = journal.List({});
        QVERIFY2(journal.Error().isEmpty(), qPrintable(journal.Error()));
        QCOMPARE(all.size(), 3);
        QCOMPARE(all[0].number, crashed.number); // newest first
        QCOMPARE(all[0].outcome, QStringLiteral("прервана"));
        QVERIFY(!all[0].finished.isValid());
        QCOMPARE(all[1].outcome, QStringLiteral("остановлена"));
        QCOMPARE(all[1].verdict, QString());
        QCOMPARE(all[2].outcome, QStringLiteral("завершена"));
        QCOMPARE(all[2].verdict, done.Verdict());
        QCOMPARE(all[2].serial, QStringLiteral("ЛК-1234/5"));
        QCOMPARE(all[2].started, day);
        QCOMPARE(all[2].finished, day.addSecs(600));

        JournalFilter f;
        f.serial = QStringLiteral("лк-1234");
        QCOMPARE(journal.List(f).size(), 3);
        f.serial = QStringLiteral("99");
        QCOMPARE(journal.List(f).size(), 0);
        f = {};
        f.from = day.date().addDays(1);
        f.to = day.date().addDays(1);
        QCOMPARE(journal.List(f).size(), 1);
        QCOMPARE(journal.List(f)[0].number, stopped.number);
        f = {};
        f.verdict = done.Verdict();
        QCOMPARE(journal.List(f).size(), 1);
        f.verdict = QString();
        QCOMPARE(journal.List(f).size(), 2);
        QCOMPARE(journal.Verdicts(), QStringList{done.Verdict()});

        const auto kept = journal.Load(done.number);
        QVERIFY2(kept, qPrintable(journal.Error()));
        QCOMPARE(RecordJson::Write(*kept), RecordJson::Write(done));
        const auto keptStop = journal.Load(stopped.number);
        QVERIFY(keptStop && !keptStop->completed);
        QCOMPARE(keptStop->failure, stopped.failure);
        QVERIFY(!journal.Load(9999));
        QVERIFY(journal.Error().contains(QStringLiteral("нет записи")));

        const QByteArray csv = JournalCsv::Write(all);
        QVERIFY(csv.startsWith("\xEF\xBB\xBF№;Заводской номер;"));
        QVERIFY2(csv.contains(
                     QStringLiteral(";ЛК-1234/5;ЛКТВ-210Н;09.12.2026 10:30:15;09.12.2026 10:40:15;завершена;")
                         .toUtf8()),
                 csv.constData());
        QCOMPARE(csv.count("\r\n"), 4);

        if (first.isEmpty())
            QSKIP("pdftotext is not installed");
        QVERIFY2(first.contains(QStringLiteral("ЛК-1234/5")), qPrintable(first));
        QCOMPARE(DocumentsText(*kept, m_dir.path(), QStringLiteral("again")), first);
    }

    void benchesNumberTogether_data() { Backends(); }
    // Benches writing to one journal at the same moment never share a number.
    void benchesNumberTogether()
    {
        if (!NeedBackend())
            return;
        JournalConfig c = Fresh();
        {
            Journal journal(c); // created before, as a lab's journal is
            QVERIFY2(journal.Open(), qPrintable(journal.Error()));
        }
        if (c.server) {
            // The benches write with a role that may add and change runs, nothing more.
            QSqlDatabase db = Raw(c);
            for (const QString &sql :
                 {QStringLiteral("CREATE ROLE bench LOGIN PASSWORD 'b'"),
                  QStringLiteral("GRANT SELECT, INSERT, UPDATE ON runs, journal_schema TO bench"),
                  QStringLiteral("GRANT USAGE ON SEQUENCE runs_number_seq TO bench")})
                QVERIFY2(QSqlQuery(db).exec(sql), qPrintable(sql));
            db.close();
            c.user = QStringLiteral("bench");
            c.password = QStringLiteral("b");
            QCOMPARE(SavePassword(c), QString());
            c.password.clear();
        }
        QList<QProcess *> children;
        for (int i = 0; i < 3; ++i) {
            auto *p = new QProcess;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QTM_JOURNAL_CHILD"), QStringLiteral("1"));
            env.insert(QStringLiteral("QTM_J_SERVER"), c.server ? QStringLiteral("1") : QStringLiteral("0"));
            env.insert(QStringLiteral("QTM_J_FILE"), c.file);
            env.insert(QStringLiteral("QTM_J_HOST"), c.host);
            env.insert(QStringLiteral("QTM_J_PORT"), QString::number(c.port));
            env.insert(QStringLiteral("QTM_J_DB"), c.database);
            env.insert(QStringLiteral("QTM_J_USER"), c.user);
            p->setProcessEnvironment(env);
            p->setProcessChannelMode(QProcess::ForwardedChannels);
            p->start(QCoreApplication::applicationFilePath(), {});
            children << p;
        }
        int good = 0;
        for (QProcess *p : children) {
            if (p->waitForFinished(60000) && p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0)
                ++good;
            else
                p->kill(), p->waitForFinished(5000);
            delete p;
        }
        QCOMPARE(good, 3);
        Journal journal(c);
        std::set<int> numbers;
        for (const JournalEntry &e : journal.List({}))
            numbers.insert(e.number);
        QCOMPARE(int(numbers.size()), 3 * kChildRuns);
    }

    void schemaMigratesForwardOnly_data() { Backends(); }
    void schemaMigratesForwardOnly()
    {
        if (!NeedBackend())
            return;
        const JournalConfig c = Fresh();
        const Record old = SampleRun(QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5)), true);
        {
            // The journal as the first version of the program left it.
            QSqlDatabase db = Raw(c);
            QSqlQuery q(db);
            const QString id = c.server
                                   ? QStringLiteral("INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                                   : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE journal_schema (version INTEGER NOT NULL)")));
            QVERIFY(q.exec(QStringLiteral("INSERT INTO journal_schema VALUES (1)")));
            QVERIFY(q.exec(
                QStringLiteral("CREATE TABLE runs (number %1, serial TEXT NOT NULL, model TEXT NOT NULL, "
                               "started TEXT NOT NULL, finished TEXT, outcome TEXT NOT NULL, verdict TEXT "
                               "NOT NULL, verifier TEXT NOT NULL, record TEXT NOT NULL)")
                    .arg(id)));
            q.prepare(QStringLiteral(
                "INSERT INTO runs (serial, model, started, finished, outcome, verdict, verifier, "
                "record) VALUES ('ЛК-1234/5', '', '2025-01-02 03:04:05', '2025-01-02 03:14:05', "
                "'завершена', 'годен', '', ?)"));
            q.addBindValue(QString::fromUtf8(RecordJson::Write(old)));
            QVERIFY(q.exec());
            q.clear();
            db.close();
        }
        {
            Journal journal(c);
            QVERIFY2(journal.Open(), qPrintable(journal.Error()));
            QCOMPARE(journal.SchemaVersion(), 2);
            const QList<JournalEntry> list = journal.List({});
            QCOMPARE(list.size(), 1);
            QCOMPARE(list[0].bench, QString());
            QVERIFY(journal.Load(list[0].number));
            Record next = SampleRun(QDateTime::currentDateTime(), false);
            QCOMPARE(journal.Begin(next), list[0].number + 1);
        }
        {
            QSqlDatabase db = Raw(c);
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("UPDATE journal_schema SET version = 3")));
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("ALTER TABLE runs RENAME TO runs3")));
            db.close();
        }
        Journal journal(c);
        QVERIFY(!journal.Open());
        QVERIFY2(journal.Error().contains(QStringLiteral("более новая версия программы")),
                 qPrintable(journal.Error()));
        QVERIFY(!journal.Begin(SampleRun(QDateTime::currentDateTime(), true)));
        QSqlDatabase db = Raw(c);
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT version FROM journal_schema")) && q.next());
        QCOMPARE(q.value(0).toInt(), 3);
        QVERIFY(!db.tables().contains(QStringLiteral("runs"))); // nothing made in the newer journal
    }

    // The window's filters reach the journal as the operator set them; the list goes to
    // CSV; the server's password never lands in "QTM.ini".
    void windowFiltersExportsAndConfigures()
    {
        MessageRecorder messages;
        QTemporaryDir config;
        qputenv("QTM_CONFIG_DIR", QFile::encodeName(config.path()));
        const QDateTime day(QDate(2026, 3, 4), QTime(5, 6, 7));
        {
            Journal journal(JournalConfig{});
            Record done = SampleRun(day, true);
            Record stopped = SampleRun(day.addDays(3), false);
            stopped.settings.serial = QStringLiteral("Б-2");
            done.number = journal.Begin(done);
            QVERIFY2(journal.Finish(done, Outcome::Completed), qPrintable(journal.Error()));
            QVERIFY(journal.Finish(stopped, Outcome::Stopped));
        }
        TJournalFrm w;
        w.show();
        QCOMPARE(w.Entries().size(), 2);
        auto *verdict = w.findChild<QComboBox *>(QStringLiteral("CbVerdict"));
        QCOMPARE(verdict->count(), 3); // all, the one verdict found, none
        verdict->setCurrentText(QStringLiteral("Без заключения"));
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("BtnFind")), Qt::LeftButton);
        QCOMPARE(w.Entries().size(), 1);
        QCOMPARE(w.Entries()[0].serial, QStringLiteral("Б-2"));
        verdict->setCurrentIndex(0);
        w.findChild<QLineEdit *>(QStringLiteral("EdtSerial"))->setText(QStringLiteral("лк"));
        w.findChild<QCheckBox *>(QStringLiteral("ChbTo"))->setChecked(true);
        w.findChild<QDateEdit *>(QStringLiteral("DateTo"))->setDate(day.date());
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("BtnFind")), Qt::LeftButton);
        QCOMPARE(w.Entries().size(), 1);
        QCOMPARE(w.findChild<QTableWidget *>(QStringLiteral("TblRuns"))->item(0, 3)->text(),
                 QStringLiteral("04.03.2026 05:06:07"));

        const QString csv = config.filePath(QStringLiteral("list.csv"));
        w.chooseCsv = [&csv](const QString &) { return csv; };
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("BtnCsv")), Qt::LeftButton);
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), JournalCsv::Write(w.Entries()));

        TJournalSettingsFrm settings;
        settings.findChild<QRadioButton *>(QStringLiteral("RbServer"))->setChecked(true);
        settings.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        QVERIFY(messages.shown.last().startsWith(QStringLiteral("Укажите адрес сервера")));
        QVERIFY(settings.result() != QDialog::Accepted);
        settings.findChild<QLineEdit *>(QStringLiteral("EdtHost"))->setText(QStringLiteral("db.lab"));
        settings.findChild<QLineEdit *>(QStringLiteral("EdtDatabase"))->setText(QStringLiteral("qtm"));
        settings.findChild<QLineEdit *>(QStringLiteral("EdtUser"))->setText(QStringLiteral("bench2"));
        settings.findChild<QLineEdit *>(QStringLiteral("EdtPassword"))->setText(QStringLiteral("тайна"));
        settings.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(settings.result(), int(QDialog::Accepted));
        const JournalConfig kept = JournalConfig::Read(IniFile(QStringLiteral("QTM.ini")));
        QVERIFY(kept.server);
        QCOMPARE(kept.Describe(), QStringLiteral("bench2@db.lab:5432/qtm"));
        QFile ini(config.filePath(QStringLiteral("QTM.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(!ini.readAll().contains("тайна"));
        QFile pass(PgPassFile());
        QVERIFY(pass.open(QIODevice::ReadOnly));
        QVERIFY(pass.readAll().contains(QStringLiteral("db.lab:5432:qtm:bench2:тайна").toUtf8()));
        qunsetenv("QTM_CONFIG_DIR");
    }

    // A journal that cannot be reached says so in Russian, soon, once per run; the run
    // goes on and nothing hangs.
    void unreachableJournalFailsInTime()
    {
        MessageRecorder messages;
        JournalConfig file;
        file.file = QStringLiteral("/dev/null/journal.sqlite");
        RunJournal lost(file);
        Record r = SampleRun(QDateTime::currentDateTime(), true);
        lost.Begin(r);
        lost.Finish(r, false);
        QCOMPARE(r.number, 0);
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.shown[0].startsWith(QStringLiteral("Журнал поверок (")),
                 qPrintable(messages.shown[0]));

        // A run that the journal took only at its end still gets its number.
        JournalConfig late;
        late.file = m_dir.filePath(QStringLiteral("late.sqlite"));
        RunJournal taken(late);
        r.completed = false;
        taken.Finish(r, true);
        QCOMPARE(r.number, 1);
        Journal check(late);
        QCOMPARE(check.List({}).value(0).outcome, QStringLiteral("остановлена"));
        QCOMPARE(messages.shown.size(), 1);

        // A server that takes the connection and never answers.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        JournalConfig mute;
        mute.server = true;
        mute.host = QStringLiteral("127.0.0.1");
        mute.port = silent.serverPort();
        mute.user = QStringLiteral("qtm");
        Journal journal(mute);
        QElapsedTimer t;
        t.start();
        QVERIFY(!journal.Open());
        QVERIFY2(t.elapsed() < 12000, qPrintable(QString::number(t.elapsed())));
        QVERIFY2(journal.Error().contains(QStringLiteral("не открывается")), qPrintable(journal.Error()));
    }
};

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("QTM_JOURNAL_CHILD")) {
        QCoreApplication app(argc, argv);
        return ChildWrites();
    }
    QApplication app(argc, argv);
    JournalTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "journal_test.moc"
