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
// key names match without regard to case; everything else in the file
// (other sections, keys, comments) is kept.
class IniFile
{
public:
    // A bare name ("QTM.ini", "color.ini") lives in ConfigDir(); a path is used as is.
    explicit IniFile(const QString &name);
    ~IniFile();
    IniFile(const IniFile &) = delete;
    IniFile &operator=(const IniFile &) = delete;

    QString FileName() const { return m_path; }
    bool Exists() const;

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

    // Writes the file through a temporary that replaces the old one; false on failure.
    bool UpdateFile();

private:
    struct Store;
    QString m_path;
    std::unique_ptr<Store> m_store;
};
