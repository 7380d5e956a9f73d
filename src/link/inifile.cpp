#include "link/inifile.h"

#include "link/conventions.h"
#include "link/messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <vector>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

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

// Names and values are kept as the file's bytes; decoding is ours (UTF-8, else
// Windows-1251), so a file mixing both keeps every untouched value byte for byte.
QString Decode(const QByteArray &bytes)
{
    // A leading U+FEFF in a value is text, not a byte order mark.
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1251(bytes);
}

bool IsAscii(const QByteArray &s)
{
    for (const char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Names match without regard to case in Cyrillic too, and a name stored in
// Windows-1251 by an older installation matches the same name asked in UTF-8.
bool SameName(const QByteArray &stored, const QByteArray &asked)
{
    if (IsAscii(stored) && IsAscii(asked))
        return stored.compare(asked, Qt::CaseInsensitive) == 0;
    return QString::compare(Decode(stored), Decode(asked), Qt::CaseInsensitive) == 0;
}

enum class Encoding { Bytes, Utf8Bom, Utf16Le, Utf16Be };

enum class Kind {
    Other,  // blank, comment, or not understood: written back as it was
    Header, // "[name]"
    Entry,  // "key=value"
};

struct Line {
    Kind kind = Kind::Other;
    int block = 0;    // the section the line lies in
    QByteArray raw;   // as in the file, without the line end
    QByteArray name;  // Header: section name; Entry: key
    QByteArray value; // Entry
    QByteArray end;   // the line's own end as read ("\r\n", "\n"); empty: the file's
};

// A run of lines under one header. Block 0 holds the lines before the first header;
// a "[" line without "]" opens a block of no name, so its keys reach no section.
struct Block {
    QByteArray name;
    bool named = false;
};

QByteArray Utf8(const QString &s)
{
    return s.toUtf8();
}

} // namespace

struct IniFile::Store {
    Encoding encoding = Encoding::Bytes;
#ifdef Q_OS_WIN
    QByteArray eol = "\r\n";
#else
    QByteArray eol = "\n";
#endif
    std::vector<Block> blocks{Block{}};
    std::vector<Line> lines;

    void Parse(QByteArray data);
    QByteArray Serialize() const;

    bool InSection(const Line &l, const QByteArray &section) const
    {
        const Block &b = blocks[size_t(l.block)];
        return b.named && SameName(b.name, section);
    }
    // Index of the first entry of the key in the section, -1 if none.
    int FindEntry(const QByteArray &section, const QByteArray &key) const
    {
        for (size_t i = 0; i < lines.size(); ++i) {
            const Line &l = lines[i];
            if (l.kind == Kind::Entry && InSection(l, section) && SameName(l.name, key))
                return int(i);
        }
        return -1;
    }
    int FindHeader(const QByteArray &section) const
    {
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].kind == Kind::Header && InSection(lines[i], section))
                return int(i);
        return -1;
    }
};

void IniFile::Store::Parse(QByteArray data)
{
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        encoding = data.startsWith("\xFF\xFE") ? Encoding::Utf16Le : Encoding::Utf16Be;
        QStringDecoder utf16(encoding == Encoding::Utf16Le ? QStringConverter::Utf16LE
                                                           : QStringConverter::Utf16BE,
                             QStringConverter::Flag::ConvertInitialBom);
        data = Utf8(utf16(data.mid(2)));
    } else if (data.startsWith("\xEF\xBB\xBF")) {
        encoding = Encoding::Utf8Bom;
        data.remove(0, 3);
    }
    QList<QByteArray> rows = data.split('\n');
    if (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    if (!rows.isEmpty())
        eol = rows.first().endsWith('\r') ? "\r\n" : "\n";
    lines.reserve(size_t(rows.size()));
    const bool lastEnded = data.endsWith('\n');
    int block = 0;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        QByteArray &row = rows[r];
        qsizetype crs = 0;
        while (row.endsWith('\r')) {
            row.chop(1);
            ++crs;
        }
        Line line;
        line.raw = row;
        // A file edited on both systems keeps each line's end as it was.
        if (r + 1 < rows.size() || lastEnded)
            line.end = QByteArray(crs, '\r') + '\n';
        const QByteArray t = row.trimmed();
        if (t.startsWith('[')) {
            const qsizetype close = t.indexOf(']');
            Block b;
            if (close > 0) {
                b.name = t.mid(1, close - 1).trimmed();
                b.named = true;
                line.kind = Kind::Header;
                line.name = b.name;
            }
            blocks.push_back(b);
            block = int(blocks.size()) - 1;
        } else if (!t.startsWith(';') && !t.startsWith('#')) {
            const qsizetype eq = t.indexOf('=');
            const QByteArray key = eq > 0 ? t.left(eq).trimmed() : QByteArray();
            if (!key.isEmpty()) {
                line.kind = Kind::Entry;
                line.name = key;
                line.value = t.mid(eq + 1).trimmed();
            }
        }
        line.block = block;
        lines.push_back(std::move(line));
    }
}

QByteArray IniFile::Store::Serialize() const
{
    QByteArray text;
    for (const Line &l : lines)
        text += l.raw + (l.end.isEmpty() ? eol : l.end);
    switch (encoding) {
    case Encoding::Bytes:
        return text;
    case Encoding::Utf8Bom:
        return "\xEF\xBB\xBF" + text;
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
        const bool le = encoding == Encoding::Utf16Le;
        QStringEncoder utf16(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return QByteArray(le ? "\xFF\xFE" : "\xFE\xFF") + QByteArray(utf16(Decode(text)));
    }
    }
    return text;
}

IniFile::IniFile() : m_store(std::make_unique<Store>()) {}

IniFile::IniFile(const QString &name) : m_store(std::make_unique<Store>())
{
    m_path =
        (name.contains(QChar('/')) || QDir::isAbsolutePath(name)) ? name : ConfigDir() + QChar('/') + name;
    const QFileInfo info(m_path);
    if (!info.exists())
        return;
    QFile file(m_path);
    if (info.isDir())
        m_readError = QStringLiteral("на месте файла папка");
    else if (info.size() > kMaxBytes)
        m_readError = QStringLiteral("файл занимает %1 МБ, а файл настроек не бывает больше %2 МБ")
                          .arg(QString::number(double(info.size()) / kMaxBytes, 'f', 1))
                          .arg(kMaxBytes / (1024 * 1024));
    else if (!file.open(QIODevice::ReadOnly))
        m_readError = QStringLiteral("нет доступа к файлу");
    else {
        const QByteArray data = file.read(kMaxBytes + 1);
        if (file.error() != QFileDevice::NoError)
            m_readError = QStringLiteral("ошибка чтения с диска");
        else if (data.size() > kMaxBytes)
            m_readError = QStringLiteral("файл больше %1 МБ").arg(kMaxBytes / (1024 * 1024));
        else
            m_store->Parse(data);
    }
}

IniFile IniFile::FromData(const QByteArray &data)
{
    IniFile ini;
    ini.m_store->Parse(data);
    return ini;
}

IniFile::~IniFile() = default;
IniFile::IniFile(IniFile &&) noexcept = default;

bool IniFile::Exists() const
{
    return !m_path.isEmpty() && QFileInfo::exists(m_path);
}

QString IniFile::ReadProblem() const
{
    const QString name = QDir::toNativeSeparators(m_path);
    if (!m_readError.isEmpty())
        return QStringLiteral("Не удалось прочитать файл %1: %2. Его настройки не действуют, "
                              "программа работает с настройками по умолчанию.")
            .arg(name, m_readError);
    QStringList broken;
    for (size_t i = 0; i < m_store->lines.size(); ++i) {
        const Line &l = m_store->lines[i];
        if (l.kind == Kind::Other && l.raw.trimmed().startsWith('['))
            broken << QStringLiteral("строка %1 \"%2\"").arg(i + 1).arg(Decode(l.raw.trimmed()));
    }
    if (broken.isEmpty())
        return QString();
    constexpr int kShown = 5;
    const qsizetype more = broken.size() - kShown;
    if (more > 0)
        broken = broken.mid(0, kShown) << QStringLiteral("и ещё %1").arg(more);
    return QStringLiteral("В файле %1 заголовок раздела без \"]\" (%2): настройки под ним не прочитаны, "
                          "действуют настройки по умолчанию. Исправьте файл.")
        .arg(name, broken.join(QStringLiteral(", ")));
}

QString IniFile::ReadString(const QString &section, const QString &key, const QString &def) const
{
    const int i = m_store->FindEntry(Utf8(section), Utf8(key));
    return i < 0 ? def : Decode(m_store->lines[size_t(i)].value);
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
    return m_store->FindEntry(Utf8(section), Utf8(key)) >= 0;
}

bool IniFile::SectionExists(const QString &section) const
{
    return m_store->FindHeader(Utf8(section)) >= 0;
}

void IniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    // Line breaks would split the entry into a broken line and a new key.
    QString flat = value.trimmed();
    flat.replace(QChar('\r'), QChar(' ')).replace(QChar('\n'), QChar(' '));
    const QByteArray s = Utf8(section), k = Utf8(key), v = Utf8(flat);
    Store &st = *m_store;
    const int found = st.FindEntry(s, k);
    if (found >= 0) {
        Line &l = st.lines[size_t(found)];
        if (Decode(l.value) != flat) { // an equal old value keeps its bytes
            l.value = v;
            l.raw = l.name + '=' + v;
        }
        return;
    }
    Line entry{Kind::Entry, 0, k + '=' + v, k, v, {}};
    int header = st.FindHeader(s);
    if (header < 0) {
        if (!st.lines.empty() && !st.lines.back().raw.trimmed().isEmpty())
            st.lines.push_back(Line{Kind::Other, st.lines.back().block, {}, {}, {}, {}});
        st.blocks.push_back(Block{s, true});
        const int block = int(st.blocks.size()) - 1;
        st.lines.push_back(Line{Kind::Header, block, '[' + s + ']', s, {}, {}});
        entry.block = block;
        st.lines.push_back(std::move(entry));
        return;
    }
    // After the section's last key, so blank lines and comments before the next section stay there.
    entry.block = st.lines[size_t(header)].block;
    size_t at = size_t(header) + 1;
    for (size_t i = at; i < st.lines.size() && st.lines[i].block == entry.block; ++i)
        if (st.lines[i].kind == Kind::Entry)
            at = i + 1;
    st.lines.insert(st.lines.begin() + qsizetype(at), std::move(entry));
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
    QStringList out;
    QList<QByteArray> seen;
    for (const Line &l : m_store->lines) {
        if (l.kind != Kind::Header)
            continue;
        if (std::none_of(seen.cbegin(), seen.cend(),
                         [&](const QByteArray &n) { return SameName(n, l.name); })) {
            seen << l.name;
            out << Decode(l.name);
        }
    }
    return out;
}

QStringList IniFile::Keys(const QString &section) const
{
    const QByteArray s = Utf8(section);
    QStringList out;
    QList<QByteArray> seen;
    for (const Line &l : m_store->lines) {
        if (l.kind != Kind::Entry || !m_store->InSection(l, s))
            continue;
        if (std::none_of(seen.cbegin(), seen.cend(),
                         [&](const QByteArray &n) { return SameName(n, l.name); })) {
            seen << l.name;
            out << Decode(l.name);
        }
    }
    return out;
}

void IniFile::EraseSection(const QString &section)
{
    const QByteArray s = Utf8(section);
    auto &lines = m_store->lines;
    lines.erase(
        std::remove_if(lines.begin(), lines.end(), [&](const Line &l) { return m_store->InSection(l, s); }),
        lines.end());
}

void IniFile::DeleteKey(const QString &section, const QString &key)
{
    const QByteArray s = Utf8(section), k = Utf8(key);
    auto &lines = m_store->lines;
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [&](const Line &l) {
                                   return l.kind == Kind::Entry && m_store->InSection(l, s) &&
                                          SameName(l.name, k);
                               }),
                lines.end());
}

QByteArray IniFile::Data() const
{
    return m_store->Serialize();
}

namespace
{

// The new file's bytes reach the disk before it replaces the old one, so a power
// cut leaves the old file or the new one, never an empty one.
bool FlushToDisk(int fd)
{
#ifdef Q_OS_WIN
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
#else
    return ::fsync(fd) == 0 || errno == EINVAL; // EINVAL: a file system without sync
#endif
}

// The rename itself is recorded in the folder; Windows writes it through on its own.
void FlushFolder(const QString &folder)
{
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

// The file system says more than the error class Qt reports: a read-only file and a
// read-only folder come back as other classes than their names suggest.
QString Reason(const QString &path, QFileDevice::FileError error)
{
    const QFileInfo file(path);
    if (file.isDir())
        return QStringLiteral("на месте файла папка");
    if (file.exists() && !file.isWritable())
        return QStringLiteral("файл только для чтения");
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("нет папки %1").arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
    if (!folder.isWritable())
        return QStringLiteral("папка %1 закрыта для записи")
            .arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
    switch (error) {
    case QFileDevice::PermissionsError:
    case QFileDevice::OpenError:
        return QStringLiteral("нет доступа к папке или файлу");
    case QFileDevice::ResourceError:
        return QStringLiteral("нет места на диске");
    case QFileDevice::RenameError:
        return QStringLiteral("старый файл не удалось заменить");
    default:
        return QStringLiteral("ошибка записи на диск");
    }
}

} // namespace

bool IniFile::UpdateFile()
{
    m_error.clear();
    if (!m_readError.isEmpty()) {
        m_error = QStringLiteral("файл не удалось прочитать (%1), и запись стёрла бы его").arg(m_readError);
        return false;
    }
    const QByteArray bytes = Data();
    const QFileInfo info(m_path);
    if (m_path.isEmpty() || !QDir().mkpath(info.absolutePath())) {
        m_error = Reason(m_path, QFileDevice::OpenError);
        return false;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = Reason(m_path, file.error());
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.flush() || !FlushToDisk(file.handle())) {
        m_error =
            Reason(m_path, file.error() == QFileDevice::NoError ? QFileDevice::WriteError : file.error());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        m_error = Reason(m_path, file.error());
        return false;
    }
    FlushFolder(info.absolutePath());
    return true;
}

namespace
{
// Files whose failed save the operator has been told of since they were last written.
QStringList &ToldFailures()
{
    static QStringList told;
    return told;
}
} // namespace

bool IniFile::Save(Tell tell)
{
    const QString key = QFileInfo(m_path).absoluteFilePath();
    if (UpdateFile()) {
        ToldFailures().removeAll(key);
        return true;
    }
    if (tell == Tell::Once && ToldFailures().contains(key))
        return false;
    if (!ToldFailures().contains(key))
        ToldFailures() << key;
    Messages::Show(QStringLiteral("Не удалось записать файл %1: %2. Настройки не сохранены.")
                       .arg(QDir::toNativeSeparators(m_path), m_error));
    return false;
}
