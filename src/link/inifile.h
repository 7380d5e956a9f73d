#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// Folder of the settings files: $QTM_CONFIG_DIR if set, else the executable's
// folder when it is writable and not an installation, else the user's configuration folder.
QString ConfigDir();

// Windows-1251 text as written by older installations.
QString DecodeWindows1251(const QByteArray &bytes);

// One INI file, read at construction, written back by UpdateFile(). Section and
// key names match without regard to case; the first of repeated keys counts, as
// with the system's own INI reader. Everything else in the file (other sections,
// keys, comments, lines not understood, each line's own line end) is kept as it was.
// Keys under a "[" line without "]" belong to no section. A file in UTF-16 or with a
// UTF-8 byte order mark is written back in the same form; new files are UTF-8.
// A file that exists but cannot be read, or is larger than any settings file, is
// read as empty and never written over, so its contents are not lost.
class IniFile
{
public:
    // A bare name ("QTM.ini", "color.ini") lives in ConfigDir(); a path is used as is.
    explicit IniFile(const QString &name);
    // The text of a file, as the fuzzer and tests feed it; FileName() stays empty.
    static IniFile FromData(const QByteArray &data);
    ~IniFile();
    IniFile(IniFile &&) noexcept;
    IniFile(const IniFile &) = delete;
    IniFile &operator=(const IniFile &) = delete;

    // Larger files are not settings files; reading one would take memory for nothing.
    static constexpr qint64 kMaxBytes = 1024 * 1024;

    QString FileName() const { return m_path; }
    bool Exists() const;
    // What the operator should know about reading the file, in Russian: why it could
    // not be read, or which section headers lack their "]". Empty when all is well.
    QString ReadProblem() const;

    QString ReadString(const QString &section, const QString &key, const QString &def = QString()) const;
    int ReadInteger(const QString &section, const QString &key, int def = 0) const;
    double ReadFloat(const QString &section, const QString &key, double def = 0.0) const;
    bool ReadBool(const QString &section, const QString &key, bool def = false) const;
    bool ValueExists(const QString &section, const QString &key) const;
    bool SectionExists(const QString &section) const;

    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void WriteFloat(const QString &section, const QString &key, double value);
    void WriteBool(const QString &section, const QString &key, bool value);

    QStringList Sections() const;
    QStringList Keys(const QString &section) const;
    void EraseSection(const QString &section);
    void DeleteKey(const QString &section, const QString &key);

    // The file's bytes as UpdateFile() writes them.
    QByteArray Data() const;
    // Writes the file through a temporary that is flushed to disk before it replaces
    // the old one; false on failure, with the reason in ErrorText().
    bool UpdateFile();
    // Whether a failed save is told again when the same file failed and was told before.
    // Saves the operator did not ask for (window places) tell a file's failure once,
    // until a save of that file succeeds again.
    enum class Tell { Always, Once };
    // UpdateFile(), and on failure the operator is told which file was not written and why.
    bool Save(Tell tell = Tell::Always);
    // Why the last UpdateFile() failed, in Russian.
    QString ErrorText() const { return m_error; }

private:
    IniFile();
    struct Store;
    QString m_path;
    QString m_error;
    QString m_readError; // why an existing file was not read
    std::unique_ptr<Store> m_store;
};
