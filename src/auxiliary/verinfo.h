#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <exception>

enum TVerInfoType {
    viCompanyName,
    viFileDescription,
    viFileVersion,
    viInternalName,
    viLegalCopyright,
    viLegalTrademarks,
    viOriginalFilename,
    viProductName,
    viProductVersion,
    viComments
};

// Errors of reading the version information; each carries only its message.
class EVerInfoBase : public std::exception
{
public:
    explicit EVerInfoBase(const QString &message) : Message(message), m_what(message.toUtf8()) {}
    const char *what() const noexcept override { return m_what.constData(); }
    QString Message;

private:
    QByteArray m_what;
};

class ENoVerInfoError : public EVerInfoBase
{
public:
    using EVerInfoBase::EVerInfoBase;
};

class EVerInfoError : public EVerInfoBase
{
public:
    using EVerInfoBase::EVerInfoBase;
};

class eNoFixeVerInfo : public EVerInfoBase
{
public:
    using EVerInfoBase::EVerInfoBase;
};

// The version information of an executable: translation, strings by key, fixed block.
class TVerInfoRes
{
public:
    // Reads the version block of the file; throws one of the errors above.
    explicit TVerInfoRes(const QString &AFileName);
    // The same on a block as the platform would return it (empty: the file has none).
    TVerInfoRes(const QString &AFileName, const QByteArray &block);
    TVerInfoRes(const TVerInfoRes &) = delete;
    TVerInfoRes &operator=(const TVerInfoRes &) = delete;

    QString GetPreDefKeyString(TVerInfoType AVerKind) const;
    QString GetUserDefKeyString(const QString &AKey) const;
    QString FileVersion() const;
    QString ProductVersion() const;
    const QStringList &FileFlags() const { return FFileFlags; }
    QString FileOS() const;

    static QString KeyText(TVerInfoType kind);

private:
    void Create(bool haveBlock);
    quint32 Fixed(int index) const; // DWORD of the fixed block
    QString Version(int msIndex) const;

    quint32 Handle = 0;
    qint32 Size = 0;
    QByteArray RezBuffer;
    const uchar *TransTable = nullptr;
    const uchar *FixedFileInfoBuf = nullptr;
    QStringList FFileFlags;
    QString FFileName;
};
