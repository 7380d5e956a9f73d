#include "auxiliary/verinfo.h"

#include "auxiliary/versionblock.h"
#include "auxiliary/versionresource.h"

#include <QtEndian>

namespace
{
constexpr int kFixedSize = 52; // VS_FIXEDFILEINFO
// DWORD indexes in the fixed block
constexpr int kFileVersionMS = 2, kProductVersionMS = 4, kFlagsMask = 6, kFlags = 7, kFileOS = 8;
} // namespace

TVerInfoRes::TVerInfoRes(const QString &AFileName) : FFileName(AFileName)
{
    Size = VersionResourceSize(FFileName, &Handle);
    if (Size <= 0)
        throw ENoVerInfoError(QStringLiteral("No Version Info Available."));
    Create(ReadVersionResource(FFileName, Handle, Size, &RezBuffer));
}

TVerInfoRes::TVerInfoRes(const QString &AFileName, const QByteArray &block) : FFileName(AFileName)
{
    Size = qint32(block.size());
    if (Size <= 0)
        throw ENoVerInfoError(QStringLiteral("No Version Info Available."));
    RezBuffer = block;
    Create(VersionBlock(RezBuffer).IsWellFormed());
}

void TVerInfoRes::Create(bool haveBlock)
{
    if (!haveBlock)
        throw EVerInfoError(QStringLiteral("Cannot obtain version info."));
    const VersionBlock block(RezBuffer);
    const auto *base = reinterpret_cast<const uchar *>(RezBuffer.constData());
    const VersionBlock::Value trans = block.Query(QStringLiteral("\\VarFileInfo\\Translation"));
    if (!trans.found || trans.size < 4)
        throw EVerInfoError(QStringLiteral("No language info."));
    TransTable = base + trans.offset;
    const VersionBlock::Value fixed = block.Query(QStringLiteral("\\"));
    if (!fixed.found || fixed.size < kFixedSize)
        throw eNoFixeVerInfo(QStringLiteral("No fixed file info"));
    FixedFileInfoBuf = base + fixed.offset;
    const quint32 f = Fixed(kFlags) & Fixed(kFlagsMask);
    if (f & 2)
        FFileFlags.append(QStringLiteral("Pre-release"));
    if (f & 8)
        FFileFlags.append(QStringLiteral("Private build"));
    if (f & 32)
        FFileFlags.append(QStringLiteral("Special build"));
    if (f & 1)
        FFileFlags.append(QStringLiteral("Debug"));
}

QString TVerInfoRes::KeyText(TVerInfoType kind)
{
    static const char *const keys[] = {
        "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
        "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments"};
    return QString::fromLatin1(keys[kind]);
}

QString TVerInfoRes::GetPreDefKeyString(TVerInfoType AVerKind) const
{
    return GetUserDefKeyString(KeyText(AVerKind));
}

QString TVerInfoRes::GetUserDefKeyString(const QString &AKey) const
{
    const quint32 trans = qFromLittleEndian<quint32>(TransTable);
    const QString path = QStringLiteral("\\StringFileInfo\\%1%2\\%3")
                             .arg(trans & 0xFFFF, 4, 16, QLatin1Char('0'))
                             .arg(trans >> 16, 4, 16, QLatin1Char('0'))
                             .arg(AKey) +
                         QChar(0);
    return VersionBlock(RezBuffer).QueryText(path);
}

quint32 TVerInfoRes::Fixed(int index) const
{
    return qFromLittleEndian<quint32>(FixedFileInfoBuf + 4 * index);
}

QString TVerInfoRes::Version(int msIndex) const
{
    const quint32 ms = Fixed(msIndex), ls = Fixed(msIndex + 1);
    return QStringLiteral("%1.%2.%3.%4").arg(ms >> 16).arg(ms & 0xFFFF).arg(ls >> 16).arg(ls & 0xFFFF);
}

QString TVerInfoRes::FileVersion() const
{
    return Version(kFileVersionMS);
}

QString TVerInfoRes::ProductVersion() const
{
    return Version(kProductVersionMS);
}

QString TVerInfoRes::FileOS() const
{
    switch (Fixed(kFileOS)) {
    case 1:
        return QStringLiteral("Designed for 16-bit Windows");
    case 2:
        return QStringLiteral("Designed for 16-bit PM");
    case 3:
        return QStringLiteral("Designed for 32-bit PM");
    case 4:
        return QStringLiteral("Designed for 32-bit Windows");
    case 0x10000:
        return QStringLiteral("Designed for MS-DOS");
    case 0x10001:
        return QStringLiteral("Designed for 16-bit Windows, running on MS-DOS");
    case 0x10004:
        return QStringLiteral("Designed for Win32 API, running on MS-DOS");
    case 0x20000:
        return QStringLiteral("Designed for 16-bit OS/2");
    case 0x20002:
        return QStringLiteral("Designed for 16-bit PM, running on 16-bit OS/2");
    case 0x30000:
        return QStringLiteral("Designed for 32-bit OS/2");
    case 0x30003:
        return QStringLiteral("Designed for 32-bit PM, running on 32-bit OS/2");
    case 0x40000:
        return QStringLiteral("Designed for Windows NT");
    case 0x40004:
        return QStringLiteral("Designed for Win32 API, running on Windows/NT");
    default:
        return QStringLiteral("Unknown");
    }
}
