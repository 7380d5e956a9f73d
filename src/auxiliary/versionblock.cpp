#include "auxiliary/versionblock.h"

#include <QtEndian>

namespace
{

constexpr int kHeader = 6; // wLength, wValueLength, wType

int Align4(int offset)
{
    return (offset + 3) & ~3;
}

void PutWord(QByteArray &out, int at, quint16 value)
{
    qToLittleEndian(value, out.data() + at);
}

void AppendWord(QByteArray &out, quint16 value)
{
    char b[2];
    qToLittleEndian(value, b);
    out.append(b, 2);
}

void AppendDword(QByteArray &out, quint32 value)
{
    char b[4];
    qToLittleEndian(value, b);
    out.append(b, 4);
}

QByteArray Utf16(const QString &text)
{
    QByteArray out;
    for (const QChar c : text)
        AppendWord(out, c.unicode());
    return out;
}

void PadTo4(QByteArray &out)
{
    while (out.size() % 4)
        out.append('\0');
}

} // namespace

bool VersionBlock::ReadNode(int start, int limit, Node *node) const
{
    if (start + kHeader > limit)
        return false;
    const auto *p = reinterpret_cast<const uchar *>(m_bytes.constData());
    const int length = qFromLittleEndian<quint16>(p + start);
    const int valueLength = qFromLittleEndian<quint16>(p + start + 2);
    const int type = qFromLittleEndian<quint16>(p + start + 4);
    if (length < kHeader || start + length > limit)
        return false;
    node->start = start;
    node->end = start + length;
    node->key.clear();
    int pos = start + kHeader;
    for (;; pos += 2) {
        if (pos + 2 > node->end)
            return false;
        const quint16 c = qFromLittleEndian<quint16>(p + pos);
        if (c == 0)
            break;
        node->key.append(QChar(c));
    }
    pos = Align4(pos + 2);
    node->text = type == 1;
    node->valueOffset = qMin(pos, node->end);
    // Text lengths count characters (rc.exe); some writers count bytes, so keep to the node.
    const int valueBytes = node->text ? valueLength * 2 : valueLength;
    node->valueSize = qMin(valueBytes, node->end - node->valueOffset);
    node->childrenStart = Align4(node->valueOffset + node->valueSize);
    return true;
}

bool VersionBlock::IsWellFormed() const
{
    Node root;
    return ReadNode(0, int(m_bytes.size()), &root) && root.key == QLatin1String("VS_VERSION_INFO");
}

VersionBlock::Value VersionBlock::Query(QString path) const
{
    Value result;
    while (path.endsWith(QChar(0)))
        path.chop(1);
    Node node;
    if (!ReadNode(0, int(m_bytes.size()), &node))
        return result;
    const QStringList keys = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString &key : keys) {
        bool found = false;
        Node child;
        for (int pos = node.childrenStart; pos + kHeader <= node.end; pos = Align4(child.end)) {
            if (!ReadNode(pos, node.end, &child))
                break;
            if (child.key.compare(key, Qt::CaseInsensitive) == 0) {
                found = true;
                break;
            }
        }
        if (!found)
            return result;
        node = child;
    }
    result.found = true;
    result.offset = node.valueOffset;
    result.size = node.valueSize;
    result.text = node.text;
    return result;
}

QString VersionBlock::QueryText(const QString &path) const
{
    const Value v = Query(path);
    if (!v.found)
        return QString();
    const auto *p = reinterpret_cast<const uchar *>(m_bytes.constData()) + v.offset;
    QString text;
    for (int i = 0; i + 1 < v.size; i += 2) {
        const quint16 c = qFromLittleEndian<quint16>(p + i);
        if (c == 0)
            break;
        text.append(QChar(c));
    }
    return text;
}

VersionNode VersionNode::Text(const QString &key, const QString &value)
{
    VersionNode n;
    n.key = key;
    n.text = true;
    n.value = Utf16(value);
    return n;
}

QByteArray VersionNode::Serialize() const
{
    // Containers (StringFileInfo, a string table) are text nodes without a value.
    const bool textValue = text && (children.isEmpty() || !value.isEmpty());
    QByteArray out;
    AppendWord(out, 0); // length, set below
    AppendWord(out, quint16(textValue ? value.size() / 2 + 1 : text ? 0 : value.size()));
    AppendWord(out, text ? 1 : 0);
    out.append(Utf16(key));
    AppendWord(out, 0);
    PadTo4(out);
    out.append(value);
    if (textValue)
        AppendWord(out, 0);
    for (const VersionNode &child : children) {
        PadTo4(out);
        out.append(child.Serialize());
    }
    PutWord(out, 0, quint16(out.size()));
    return out;
}

QByteArray FixedFileInfo(const VersionValues &v)
{
    const quint32 ms = quint32(v.version[0]) << 16 | v.version[1];
    const quint32 ls = quint32(v.version[2]) << 16 | v.version[3];
    QByteArray out;
    for (const quint32 d :
         {0xFEEF04BDu, 0x00010000u, ms, ls, ms, ls, v.flagsMask, v.flags, v.fileOS, v.fileType, 0u, 0u, 0u})
        AppendDword(out, d);
    return out;
}

VersionNode VersionTree(const VersionValues &v)
{
    VersionNode table;
    table.key = QStringLiteral("%1%2")
                    .arg(v.language, 4, 16, QLatin1Char('0'))
                    .arg(v.codePage, 4, 16, QLatin1Char('0'))
                    .toUpper();
    table.text = true;
    for (const auto &[key, value] : v.strings)
        table.children.append(VersionNode::Text(key, value));
    VersionNode strings;
    strings.key = QStringLiteral("StringFileInfo");
    strings.text = true;
    strings.children.append(table);

    VersionNode translation;
    translation.key = QStringLiteral("Translation");
    AppendWord(translation.value, v.language);
    AppendWord(translation.value, v.codePage);
    VersionNode vars;
    vars.key = QStringLiteral("VarFileInfo");
    vars.text = true;
    vars.children.append(translation);

    VersionNode root;
    root.key = QStringLiteral("VS_VERSION_INFO");
    root.value = FixedFileInfo(v);
    root.children = {strings, vars};
    return root;
}
