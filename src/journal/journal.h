#pragma once

#include "record/verification.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

class IniFile;

// Where the journal lives: a SQLite file on this computer, or a PostgreSQL server
// that several benches of a lab share. Section "Journal" of "QTM.ini".
struct JournalConfig {
    bool server = false;
    QString file; // SQLite; empty: the default place
    QString host;
    int port = 5432;
    QString database = QStringLiteral("qtm");
    QString user;
    // Not kept in "QTM.ini": it goes to the PostgreSQL password file of the user, where
    // the client library finds it (see SavePassword).
    QString password;

    static JournalConfig Read(const IniFile &ini);
    void Write(IniFile &ini) const;
    // The SQLite file used when none is set: beside the settings when QTM_CONFIG_DIR is
    // set (tests, portable use), else in the user's data folder.
    static QString DefaultFile();
    QString SqliteFile() const { return file.isEmpty() ? DefaultFile() : file; }
    // The place as the operator reads it (file path, or user@host:port/database).
    QString Describe() const;
};

// libpq's password file: $PGPASSFILE, else ~/.pgpass (%APPDATA%\postgresql\pgpass.conf).
QString PgPassFile();
// Puts the password of host:port:database:user into that file (readable by the user
// only), replacing an older one; an error text, empty on success.
QString SavePassword(const JournalConfig &config);

enum class Outcome { Interrupted, Completed, Stopped, Failed };
// "прервана" (begun, never finished: the program ended), "завершена", "остановлена", "ошибка".
QString OutcomeName(Outcome outcome);
Outcome OutcomeOf(const Verification::Record &record, bool stopAsked);

// One line of the list.
struct JournalEntry {
    int number = 0;
    QString serial;
    QString model;
    QDateTime started;
    QDateTime finished;
    QString outcome;
    QString verdict; // empty when the run concluded nothing
    QString verifier;
    QString bench;
};

struct JournalFilter {
    QString serial;                 // part of the serial number, any case
    QDate from, to;                 // inclusive; a null date does not limit
    std::optional<QString> verdict; // "" = runs without a verdict
};

// The register of verification runs: every run is begun at its start, so a run the
// program never finished stays "прервана", and finished at its end with its whole
// record. The number of a run is given by the database (an identity column), so two
// benches writing to one server at once never get the same number.
class Journal
{
public:
    // 1: the runs; 2: the bench computer of each run and the indexes of the filters.
    static constexpr int kSchemaVersion = 2;

    explicit Journal(const JournalConfig &config);
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // Connects and brings the schema up to this program's version; false with Error().
    bool Open();
    bool IsOpen() const;
    // Why the last operation failed, in Russian; empty after a success.
    QString Error() const { return m_error; }

    // Records the start of a run ("прервана" until finished); its number, 0 on failure.
    int Begin(const Verification::Record &record);
    // Records the end of a run under record.number, or as a new run when it has none
    // yet (Begin failed); sets record.number. False on failure.
    bool Finish(Verification::Record &record, Outcome outcome);

    QList<JournalEntry> List(const JournalFilter &filter);
    // The verdicts found in the journal, for the filter's choice.
    QStringList Verdicts();
    // The record of a run as it was kept.
    std::optional<Verification::Record> Load(int number);

    // The schema version of an open database (0 when it has none yet).
    int SchemaVersion();

private:
    bool Fail(const QString &what, const QString &detail);
    bool Migrate();
    bool Exec(const QString &sql);

    JournalConfig m_config;
    QString m_name;
    QSqlDatabase m_db;
    QString m_error;
};
