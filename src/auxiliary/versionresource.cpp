#include "auxiliary/versionresource.h"

#include "auxiliary/versionblock.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>

qint32 VersionResourceSize(const QString &fileName, quint32 *handle)
{
    DWORD h = 0;
    const DWORD size = GetFileVersionInfoSizeW(reinterpret_cast<LPCWSTR>(fileName.utf16()), &h);
    *handle = h;
    return qint32(size);
}

bool ReadVersionResource(const QString &fileName, quint32 handle, qint32 size, QByteArray *out)
{
    out->resize(size);
    return GetFileVersionInfoW(reinterpret_cast<LPCWSTR>(fileName.utf16()), handle, DWORD(size), out->data());
}

#else
#include <QFile>
#include <QtEndian>

namespace
{

struct Section {
    qint64 offset = 0;
    qint64 size = 0;
};

// Reads n bytes at offset; false past the end of the file.
bool ReadAt(QFile &file, qint64 offset, qint64 n, QByteArray *out)
{
    if (offset < 0 || n < 0 || offset + n > file.size() || !file.seek(offset))
        return false;
    *out = file.read(n);
    return out->size() == n;
}

template <class T> T Field(const QByteArray &bytes, int at, bool little)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData()) + at;
    return little ? qFromLittleEndian<T>(p) : qFromBigEndian<T>(p);
}

// The named section of an ELF file, 32 or 64 bit, either byte order.
bool FindElfSection(QFile &file, const QByteArray &name, Section *found)
{
    QByteArray ident;
    if (!ReadAt(file, 0, 64, &ident) && !ReadAt(file, 0, 52, &ident))
        return false;
    if (!ident.startsWith("\x7f"
                          "ELF"))
        return false;
    const bool is64 = ident[4] == 2;
    const bool little = ident[5] == 1;
    const qint64 shoff =
        is64 ? qint64(Field<quint64>(ident, 0x28, little)) : Field<quint32>(ident, 0x20, little);
    const int shentsize = Field<quint16>(ident, is64 ? 0x3A : 0x2E, little);
    const int shnum = Field<quint16>(ident, is64 ? 0x3C : 0x30, little);
    const int shstrndx = Field<quint16>(ident, is64 ? 0x3E : 0x32, little);
    const int minEntry = is64 ? 64 : 40;
    QByteArray headers;
    if (shentsize < minEntry || shstrndx >= shnum ||
        !ReadAt(file, shoff, qint64(shentsize) * shnum, &headers))
        return false;
    auto header = [&](int i, int *nameOffset, Section *s) {
        const int at = i * shentsize;
        *nameOffset = int(Field<quint32>(headers, at, little));
        s->offset = is64 ? qint64(Field<quint64>(headers, at + 0x18, little))
                         : Field<quint32>(headers, at + 0x10, little);
        s->size = is64 ? qint64(Field<quint64>(headers, at + 0x20, little))
                       : Field<quint32>(headers, at + 0x14, little);
    };
    int unused = 0;
    Section strtab;
    header(shstrndx, &unused, &strtab);
    QByteArray names;
    if (!ReadAt(file, strtab.offset, strtab.size, &names))
        return false;
    for (int i = 0; i < shnum; ++i) {
        int nameOffset = 0;
        Section s;
        header(i, &nameOffset, &s);
        if (nameOffset >= 0 && nameOffset < names.size() &&
            QByteArray(names.constData() + nameOffset) == name) {
            *found = s;
            return true;
        }
    }
    return false;
}

} // namespace

qint32 VersionResourceSize(const QString &fileName, quint32 *handle)
{
    *handle = 0;
    QFile file(fileName);
    Section s;
    if (!file.open(QIODevice::ReadOnly) || !FindElfSection(file, kVersionSection, &s))
        return 0;
    return qint32(qMin<qint64>(s.size, 0x7FFFFFFF));
}

bool ReadVersionResource(const QString &fileName, quint32, qint32 size, QByteArray *out)
{
    QFile file(fileName);
    Section s;
    if (!file.open(QIODevice::ReadOnly) || !FindElfSection(file, kVersionSection, &s) || s.size != size ||
        !ReadAt(file, s.offset, s.size, out))
        return false;
    // The platform's reader refuses what is not a version block.
    return VersionBlock(*out).IsWellFormed();
}
#endif
