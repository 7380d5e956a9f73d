#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The version block of an executable in the binary layout of a Windows version
// resource (VS_VERSIONINFO): nodes of {wLength, wValueLength, wType, key, value,
// children}, each on a 32-bit boundary, UTF-16LE keys and texts.

// Reads a block the way the platform's VerQueryValue does.
class VersionBlock
{
public:
    explicit VersionBlock(const QByteArray &bytes) : m_bytes(bytes) {}

    // The root node is a "VS_VERSION_INFO" node that fits into the bytes.
    bool IsWellFormed() const;

    struct Value {
        bool found = false;
        int offset = 0; // of the value in the block
        int size = 0;   // bytes
        bool text = false;
    };
    // Path of keys separated by backslashes, matched without regard to case;
    // "\" is the root's own value (the fixed block). Trailing NULs are ignored.
    Value Query(QString path) const;
    // A text value up to its terminating NUL; empty when not found.
    QString QueryText(const QString &path) const;

private:
    struct Node {
        int start = 0, end = 0;
        QString key;
        int valueOffset = 0, valueSize = 0;
        bool text = false;
        int childrenStart = 0;
    };
    bool ReadNode(int start, int limit, Node *node) const;

    QByteArray m_bytes;
};

// A node to be written; the build turns the program's version values into one.
struct VersionNode {
    QString key;
    bool text = false; // value is a NUL-terminated UTF-16 text
    QByteArray value;  // binary value, or the UTF-16LE text without its NUL
    QList<VersionNode> children;

    static VersionNode Text(const QString &key, const QString &value);
    QByteArray Serialize() const;
};

struct VersionValues {
    quint16 version[4] = {0, 0, 0, 0}; // file and product version
    quint32 flagsMask = 0x3F;
    quint32 flags = 0;
    quint32 fileOS = 4;   // 32-bit Windows
    quint32 fileType = 1; // application
    quint16 language = 0x0409;
    quint16 codePage = 1252;
    QList<QPair<QString, QString>> strings; // key, value
};

// The 52-byte fixed block (VS_FIXEDFILEINFO).
QByteArray FixedFileInfo(const VersionValues &v);
// Root node with the fixed block, one string table for the translation and the translation entry.
VersionNode VersionTree(const VersionValues &v);
