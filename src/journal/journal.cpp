#include "journal/journal.h"

#include "link/inifile.h"
#include "record/recordjson.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QSysInfo>
#include <QVariant>

using Verification::Record;

namespace
{
const QString kSection = QStringLiteral("Journal");
const QString kStamp = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString Stamp(const QDateTime &t)
{
    return t.isValid() ? t.toString(kStamp) : QString();
}

QDateTime Stamp(const QVariant &v)
{
    return QDateTime::fromString(v.toString(), kStamp);
}

// A field of the password file, its ':' and backslashes escaped.
QString PassField(QString s)
{
    return s.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char(':'), QStringLiteral("\\:"));
}

// "host:port:database:user:" as the password file writes it.
QString PassKey(const JournalConfig &c)
{
    const QString host = c.host.isEmpty() ? QStringLiteral("localhost") : c.host;
    return QStringLiteral("%1:%2:%3:%4:")
        .arg(PassField(host), QString::number(c.port), PassField(c.database), PassField(c.user));
}

// A null string would be bound as NULL.
QString Text(const QString &s)
{
    return s.isNull() ? QStringLiteral("") : s;
}

QString Verdict(const Record &r)
{
    return Text(r.completed ? r.Verdict() : QString());
}
} // namespace

JournalConfig JournalConfig::Read(const IniFile &ini)
{
    JournalConfig c;
    c.server = ini.ReadBool(kSection, QStringLiteral("Server"), false);
    c.file = ini.ReadString(kSection, QStringLiteral("File"));
    c.host = ini.ReadString(kSection, QStringLiteral("Host"));
    const int port = ini.ReadInteger(kSection, QStringLiteral("Port"), c.port);
    if (port > 0 && port < 65536)
        c.port = port;
    c.database = ini.ReadString(kSection, QStringLiteral("Database"), c.database);
    c.user = ini.ReadString(kSection, QStringLiteral("User"));
    return c;
}

void JournalConfig::Write(IniFile &ini) const
{
    ini.WriteBool(kSection, QStringLiteral("Server"), server);
    ini.WriteString(kSection, QStringLiteral("File"), file);
    ini.WriteString(kSection, QStringLiteral("Host"), host);
    ini.WriteInteger(kSection, QStringLiteral("Port"), port);
    ini.WriteString(kSection, QStringLiteral("Database"), database);
    ini.WriteString(kSection, QStringLiteral("User"), user);
}

QString JournalConfig::DefaultFile()
{
    QString dir = qEnvironmentVariable("QTM_CONFIG_DIR");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(dir).filePath(QStringLiteral("journal.sqlite"));
}

QString JournalConfig::Describe() const
{
    if (!server)
        return QDir::toNativeSeparators(SqliteFile());
    return QStringLiteral("%1@%2:%3/%4")
        .arg(user, host.isEmpty() ? QStringLiteral("localhost") : host, QString::number(port), database);
}

QString PgPassFile()
{
    const QString env = qEnvironmentVariable("PGPASSFILE");
    if (!env.isEmpty())
        return env;
#ifdef Q_OS_WIN
    return QDir(qEnvironmentVariable("APPDATA")).filePath(QStringLiteral("postgresql/pgpass.conf"));
#else
    return QDir::home().filePath(QStringLiteral(".pgpass"));
#endif
}

QString SavePassword(const JournalConfig &config)
{
    const QString path = PgPassFile();
    const QString key = PassKey(config);
    QStringList lines;
    if (QFile in(path); in.exists()) {
        if (!in.open(QIODevice::ReadOnly))
            return QStringLiteral("Файл паролей %1 не читается: %2").arg(path, in.errorString());
        for (const QString &line : QString::fromUtf8(in.readAll()).split(QLatin1Char('\n')))
            if (!line.isEmpty() && !line.startsWith(key))
                lines << line;
    }
    lines << key + PassField(config.password);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile out(path);
    // The client library ignores a password file that others can read.
    if (!out.open(QIODevice::WriteOnly) ||
        !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        out.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()) < 0 || !out.commit())
        return QStringLiteral("Пароль не записан в %1: %2").arg(path, out.errorString());
    return {};
}

QString OutcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Completed:
        return QStringLiteral("завершена");
    case Outcome::Stopped:
        return QStringLiteral("остановлена");
    case Outcome::Failed:
        return QStringLiteral("ошибка");
    case Outcome::Interrupted:
        break;
    }
    return QStringLiteral("прервана");
}

Outcome OutcomeOf(const Record &record, bool stopAsked)
{
    if (record.completed)
        return Outcome::Completed;
    return stopAsked ? Outcome::Stopped : Outcome::Failed;
}

Journal::Journal(const JournalConfig &config) : m_config(config)
{
    static QAtomicInt serial;
    m_name = QStringLiteral("qtm-journal-%1").arg(serial.fetchAndAddRelaxed(1));
}

Journal::~Journal()
{
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
}

bool Journal::Fail(const QString &what, const QString &detail)
{
    m_error = QStringLiteral("Журнал поверок (%1): %2").arg(m_config.Describe(), what);
    if (!detail.trimmed().isEmpty())
        m_error += QStringLiteral(":\r") + detail.trimmed();
    return false;
}

bool Journal::IsOpen() const
{
    return m_db.isValid() && m_db.isOpen();
}

bool Journal::Open()
{
    m_error.clear();
    const QString driver = m_config.server ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    if (!QSqlDatabase::isDriverAvailable(driver))
        return Fail(QStringLiteral("нет драйвера базы данных %1").arg(driver),
                    m_config.server ? QStringLiteral("установите пакет libqt6sql6-psql")
                                    : QStringLiteral("установите пакет libqt6sql6-sqlite"));
    if (!m_db.isValid())
        m_db = QSqlDatabase::addDatabase(driver, m_name);
    if (m_config.server) {
        m_db.setHostName(m_config.host);
        m_db.setPort(m_config.port);
        m_db.setDatabaseName(m_config.database);
        m_db.setUserName(m_config.user);
        // The password comes from the user's password file unless the dialog just gave one.
        m_db.setPassword(m_config.password);
        // A server that does not answer must not hold the program: the connection gives
        // up after 5 s, and a link that dies later is noticed within about 15 s.
        m_db.setConnectOptions(QStringLiteral("connect_timeout=5;keepalives=1;keepalives_idle=5;"
                                              "keepalives_interval=2;keepalives_count=3;"
                                              "application_name=qtm-monitor"));
    } else {
        const QString file = m_config.SqliteFile();
        if (!QDir().mkpath(QFileInfo(file).absolutePath()))
            return Fail(QStringLiteral("не создаётся папка"), QFileInfo(file).absolutePath());
        m_db.setDatabaseName(file);
        // Another program writing at the same moment is waited for, not failed.
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    }
    if (!m_db.open())
        return Fail(QStringLiteral("не открывается"), m_db.lastError().text());
    if (m_config.server && (!Exec(QStringLiteral("SET statement_timeout = 20000")) ||
                            !Exec(QStringLiteral("SET client_min_messages = warning"))))
        return false;
    if (!Migrate()) {
        m_db.close();
        return false;
    }
    return true;
}

bool Journal::Exec(const QString &sql)
{
    QSqlQuery q(m_db);
    if (q.exec(sql))
        return true;
    return Fail(QStringLiteral("ошибка записи"), q.lastError().text());
}

int Journal::SchemaVersion()
{
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("SELECT version FROM journal_schema")) || !q.next())
        return 0;
    return q.value(0).toInt();
}

bool Journal::Migrate()
{
    const bool pg = m_config.server;
    if (!m_db.transaction())
        return Fail(QStringLiteral("не начинается транзакция"), m_db.lastError().text());
    const auto rollback = [this] {
        m_db.rollback();
        return false;
    };
    // Two benches opening a fresh server journal at once must not both create it.
    if (pg && !Exec(QStringLiteral("SELECT pg_advisory_xact_lock(2201220122)")))
        return rollback();
    // A bench's role may lack the right to create tables (PostgreSQL 15 gives it no
    // such right by default): an existing journal is only read here.
    if (!m_db.tables().contains(QStringLiteral("journal_schema")) &&
        !Exec(QStringLiteral("CREATE TABLE IF NOT EXISTS journal_schema (version INTEGER NOT NULL)")))
        return rollback();
    const int version = SchemaVersion();
    if (version > kSchemaVersion) {
        m_db.rollback();
        return Fail(QStringLiteral("журнал ведёт более новая версия программы (схема %1, эта программа знает "
                                   "схему %2); журнал не изменён, обновите программу")
                        .arg(version)
                        .arg(kSchemaVersion),
                    QString());
    }
    const QString identity = pg ? QStringLiteral("INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                                : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    const QList<QStringList> steps = {
        // 1
        {QStringLiteral("CREATE TABLE runs (number %1, serial TEXT NOT NULL, model TEXT NOT NULL, "
                        "started TEXT NOT NULL, finished TEXT, outcome TEXT NOT NULL, verdict TEXT NOT NULL, "
                        "verifier TEXT NOT NULL, record TEXT NOT NULL)")
             .arg(identity)},
        // 2
        {QStringLiteral("ALTER TABLE runs ADD COLUMN bench TEXT NOT NULL DEFAULT ''"),
         QStringLiteral("CREATE INDEX runs_started ON runs (started)"),
         QStringLiteral("CREATE INDEX runs_verdict ON runs (verdict)")},
    };
    static_assert(kSchemaVersion == 2, "a schema version needs its step");
    for (int v = version; v < kSchemaVersion; ++v)
        for (const QString &sql : steps[v]) {
            QSqlQuery q(m_db);
            if (!q.exec(sql)) {
                Fail(QStringLiteral(
                         "не переводится со схемы %1 на схему %2 (это делает пользователь, которому "
                         "разрешено менять таблицы журнала)")
                         .arg(version)
                         .arg(kSchemaVersion),
                     q.lastError().text());
                return rollback();
            }
        }
    if (version != kSchemaVersion) {
        QSqlQuery q(m_db);
        q.prepare(version == 0 ? QStringLiteral("INSERT INTO journal_schema (version) VALUES (?)")
                               : QStringLiteral("UPDATE journal_schema SET version = ?"));
        q.addBindValue(kSchemaVersion);
        if (!q.exec()) {
            Fail(QStringLiteral("ошибка записи"), q.lastError().text());
            return rollback();
        }
    }
    if (!m_db.commit()) {
        Fail(QStringLiteral("ошибка записи"), m_db.lastError().text());
        return rollback();
    }
    return true;
}

int Journal::Begin(const Record &record)
{
    Record begun = record;
    begun.number = 0;
    if (!Finish(begun, Outcome::Interrupted))
        return 0;
    return begun.number;
}

bool Journal::Finish(Record &record, Outcome outcome)
{
    m_error.clear();
    if (!IsOpen() && !Open())
        return false;
    if (!m_db.transaction())
        return Fail(QStringLiteral("не начинается транзакция"), m_db.lastError().text());
    QSqlQuery q(m_db);
    const bool fresh = record.number == 0;
    if (fresh) {
        q.prepare(
            QStringLiteral("INSERT INTO runs (serial, model, started, finished, outcome, verdict, verifier, "
                           "bench, record) VALUES (?, ?, ?, ?, ?, ?, ?, ?, '') RETURNING number"));
    } else {
        q.prepare(
            QStringLiteral("UPDATE runs SET serial = ?, model = ?, started = ?, finished = ?, outcome = ?, "
                           "verdict = ?, verifier = ?, bench = ? WHERE number = ?"));
    }
    q.addBindValue(Text(record.settings.serial));
    q.addBindValue(Text(record.model));
    q.addBindValue(Stamp(record.started.isValid() ? record.started : QDateTime::currentDateTime()));
    q.addBindValue(outcome == Outcome::Interrupted ? QVariant(QMetaType(QMetaType::QString))
                                                   : QVariant(Stamp(record.finished)));
    q.addBindValue(OutcomeName(outcome));
    q.addBindValue(Verdict(record));
    q.addBindValue(Text(record.settings.verifier));
    q.addBindValue(Text(QSysInfo::machineHostName()));
    if (!fresh)
        q.addBindValue(record.number);
    const auto fail = [&](const QString &detail) {
        m_db.rollback();
        return Fail(QStringLiteral("запись не сделана"), detail);
    };
    if (!q.exec())
        return fail(q.lastError().text());
    int number = record.number;
    if (fresh) {
        if (!q.next())
            return fail(q.lastError().text());
        number = q.value(0).toInt();
        q.finish(); // SQLite commits no transaction with a statement still open
    } else if (q.numRowsAffected() != 1) {
        return fail(QStringLiteral("нет записи № %1").arg(number));
    }
    Record kept = record;
    kept.number = number;
    QSqlQuery json(m_db);
    json.prepare(QStringLiteral("UPDATE runs SET record = ? WHERE number = ?"));
    json.addBindValue(QString::fromUtf8(RecordJson::Write(kept)));
    json.addBindValue(number);
    if (!json.exec())
        return fail(json.lastError().text());
    if (!m_db.commit())
        return fail(m_db.lastError().text());
    record.number = number;
    return true;
}

QList<JournalEntry> Journal::List(const JournalFilter &filter)
{
    m_error.clear();
    QList<JournalEntry> out;
    if (!IsOpen() && !Open())
        return out;
    QStringList where;
    QVariantList values;
    if (filter.from.isValid()) {
        where << QStringLiteral("started >= ?");
        values << Stamp(filter.from.startOfDay());
    }
    if (filter.to.isValid()) {
        where << QStringLiteral("started < ?");
        values << Stamp(filter.to.addDays(1).startOfDay());
    }
    if (filter.verdict) {
        where << QStringLiteral("verdict = ?");
        values << Text(*filter.verdict);
    }
    QString sql =
        QStringLiteral("SELECT number, serial, model, started, finished, outcome, verdict, verifier, bench "
                       "FROM runs");
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY number DESC");
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        Fail(QStringLiteral("не читается"), q.lastError().text());
        return out;
    }
    const QString serial = filter.serial.trimmed();
    while (q.next()) {
        JournalEntry e;
        e.serial = q.value(1).toString();
        // SQLite folds the case of Latin letters only; serials may be Cyrillic.
        if (!serial.isEmpty() && !e.serial.contains(serial, Qt::CaseInsensitive))
            continue;
        e.number = q.value(0).toInt();
        e.model = q.value(2).toString();
        e.started = Stamp(q.value(3));
        e.finished = Stamp(q.value(4));
        e.outcome = q.value(5).toString();
        e.verdict = q.value(6).toString();
        e.verifier = q.value(7).toString();
        e.bench = q.value(8).toString();
        out << e;
    }
    return out;
}

QStringList Journal::Verdicts()
{
    QStringList out;
    if (!IsOpen() && !Open())
        return out;
    QSqlQuery q(m_db);
    if (q.exec(QStringLiteral("SELECT DISTINCT verdict FROM runs WHERE verdict <> '' ORDER BY verdict")))
        while (q.next())
            out << q.value(0).toString();
    return out;
}

std::optional<Record> Journal::Load(int number)
{
    m_error.clear();
    if (!IsOpen() && !Open())
        return std::nullopt;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT record FROM runs WHERE number = ?"));
    q.addBindValue(number);
    if (!q.exec()) {
        Fail(QStringLiteral("не читается"), q.lastError().text());
        return std::nullopt;
    }
    if (!q.next()) {
        Fail(QStringLiteral("нет записи № %1").arg(number), QString());
        return std::nullopt;
    }
    auto record = RecordJson::Read(q.value(0).toString().toUtf8());
    if (!record) {
        Fail(QStringLiteral("запись № %1 не читается этой версией программы").arg(number), QString());
        return std::nullopt;
    }
    record->number = number;
    return record;
}
