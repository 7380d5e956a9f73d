#include "link/inifile.h"

#include "link/conventions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

// Values are raw bytes; decoding is ours (UTF-8, else Windows-1251).
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <string>

// An installed program (its bin folder beside the share folder that holds its desktop
// entry) never writes into the installation, even when run with the rights to.
static bool IsInstalledProgram(const QString &exeDir)
{
    return QFileInfo::exists(exeDir + QStringLiteral("/../share/applications/qtm-monitor.desktop"));
}

QString ConfigDir()
{
    const QString env = qEnvironmentVariable("QTM_CONFIG_DIR");
    if (!env.isEmpty()) {
        QDir().mkpath(env);
        return QDir(env).absolutePath();
    }
    if (QCoreApplication::instance()) {
        const QString exeDir = QCoreApplication::applicationDirPath();
        if (QFileInfo(exeDir).isWritable() && !IsInstalledProgram(exeDir))
            return exeDir;
    }
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(user);
    return user;
}

QString DecodeWindows1251(const QByteArray &bytes)
{
    // Upper half of the code page; 0x98 is unassigned and kept as a C1 control.
    static const char16_t upper[128] = {
        0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
        0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
        0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
        0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
        0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    };
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out.append(QChar(b));
        else if (b < 0xC0)
            out.append(QChar(upper[b - 0x80]));
        else
            out.append(QChar(char16_t(0x0410 + (b - 0xC0)))); // А..я are contiguous
    }
    return out;
}

namespace
{

QString Decode(const char *raw)
{
    const QByteArray bytes(raw);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1251(bytes);
}

// The parser reads a "[" line without "]" as a section name running into the
// following lines, which would swallow readable keys; such lines are dropped.
QByteArray WithoutBrokenHeaders(const QByteArray &data)
{
    QByteArray out;
    out.reserve(data.size());
    for (const QByteArray &line : data.split('\n')) {
        const QByteArray t = line.trimmed();
        if (t.startsWith('[') && !t.contains(']'))
            continue;
        out += line;
        out += '\n';
    }
    return out;
}

std::string Encode(const QString &s)
{
    return s.toUtf8().toStdString();
}

bool IsAscii(const char *s)
{
    for (; *s; ++s) {
        if (static_cast<unsigned char>(*s) >= 0x80)
            return false;
    }
    return true;
}

// Names match without regard to case in Cyrillic too, and a name stored in
// Windows-1251 by an older installation matches the same name asked in UTF-8.
struct TextNoCase {
    bool operator()(const char *left, const char *right) const
    {
        if (IsAscii(left) && IsAscii(right))
            return SI_GenericNoCase<char>()(left, right);
        return QString::compare(Decode(left), Decode(right), Qt::CaseInsensitive) < 0;
    }
};

using Ini = CSimpleIniTempl<char, TextNoCase, SI_ConvertA<char>>;

} // namespace

struct IniFile::Store {
    Ini ini{false, false, false};
};

IniFile::IniFile(const QString &name) : m_store(std::make_unique<Store>())
{
    m_path =
        (name.contains(QChar('/')) || QDir::isAbsolutePath(name)) ? name : ConfigDir() + QChar('/') + name;
    m_store->ini.SetSpaces(false);

    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray data = file.readAll();
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    // A stray NUL would end the parse early; the rest of the file is still text.
    data.replace('\0', ' ');
    data = WithoutBrokenHeaders(data);
    m_store->ini.LoadData(data.constData(), static_cast<size_t>(data.size()));
}

IniFile::~IniFile() = default;

bool IniFile::Exists() const
{
    return QFileInfo::exists(m_path);
}

QString IniFile::ReadString(const QString &section, const QString &key, const QString &def) const
{
    const char *v = m_store->ini.GetValue(Encode(section).c_str(), Encode(key).c_str(), nullptr);
    return v ? Decode(v) : def;
}

int IniFile::ReadInteger(const QString &section, const QString &key, int def) const
{
    const QString s = ReadString(section, key).trimmed();
    if (s.isEmpty())
        return def;
    bool ok = false;
    int v = 0;
    if (s.startsWith(QChar('$')))
        v = s.mid(1).toInt(&ok, 16);
    else if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = s.mid(2).toInt(&ok, 16);
    else
        v = s.toInt(&ok, 10);
    return ok ? v : def;
}

double IniFile::ReadFloat(const QString &section, const QString &key, double def) const
{
    const QString s = ReadString(section, key).trimmed();
    if (s.isEmpty())
        return def;
    bool ok = false;
    const double v = ParseDecimal(s, &ok);
    return ok ? v : def;
}

bool IniFile::ReadBool(const QString &section, const QString &key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::ValueExists(const QString &section, const QString &key) const
{
    return m_store->ini.GetValue(Encode(section).c_str(), Encode(key).c_str(), nullptr) != nullptr;
}

bool IniFile::SectionExists(const QString &section) const
{
    return m_store->ini.GetSection(Encode(section).c_str()) != nullptr;
}

void IniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    // Line breaks would split the entry into a broken line and a new key.
    QString flat = value;
    flat.replace(QChar('\r'), QChar(' ')).replace(QChar('\n'), QChar(' '));
    m_store->ini.SetValue(Encode(section).c_str(), Encode(key).c_str(), Encode(flat).c_str());
}

void IniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteFloat(const QString &section, const QString &key, double value)
{
    WriteString(section, key, FmtGeneral(value));
}

void IniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteInteger(section, key, value ? 1 : 0);
}

QStringList IniFile::Sections() const
{
    Ini::TNamesDepend names;
    m_store->ini.GetAllSections(names);
    names.sort(Ini::Entry::LoadOrder());
    QStringList out;
    for (const auto &n : names)
        out << Decode(n.pItem);
    return out;
}

QStringList IniFile::Keys(const QString &section) const
{
    Ini::TNamesDepend names;
    m_store->ini.GetAllKeys(Encode(section).c_str(), names);
    names.sort(Ini::Entry::LoadOrder());
    QStringList out;
    for (const auto &n : names)
        out << Decode(n.pItem);
    return out;
}

void IniFile::EraseSection(const QString &section)
{
    m_store->ini.Delete(Encode(section).c_str(), nullptr);
}

void IniFile::DeleteKey(const QString &section, const QString &key)
{
    m_store->ini.Delete(Encode(section).c_str(), Encode(key).c_str());
}

bool IniFile::UpdateFile()
{
    std::string text;
    if (m_store->ini.Save(text) < 0)
        return false;
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const auto size = static_cast<qint64>(text.size());
    if (file.write(text.data(), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
