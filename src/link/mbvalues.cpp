#include "link/mbvalues.h"

#include "link/conventions.h"

#include <cstring>

namespace MbValues
{
namespace
{

void SetError(Error *error, Error e)
{
    if (error)
        *error = e;
}

// Appends the words of a 64-bit image, high word first, `words` of them.
void AppendWords(QList<quint16> &out, quint64 bits, int words)
{
    for (int i = words - 1; i >= 0; --i)
        out.append(quint16(bits >> (16 * i)));
}

quint64 JoinWords(const QList<quint16> &in, qsizetype at, int words)
{
    quint64 bits = 0;
    for (int i = 0; i < words; ++i)
        bits = (bits << 16) | in.at(at + i);
    return bits;
}

bool AppendOne(QList<quint16> &out, const QVariant &v)
{
    switch (TypeCodeOf(v)) {
    case dtInt8:
        out.append(quint16(qint16(v.value<qint8>())));
        return true;
    case dtUInt8:
        out.append(quint16(v.value<quint8>()));
        return true;
    case dtInt16:
        out.append(quint16(v.value<qint16>()));
        return true;
    case dtUInt16:
        out.append(v.value<quint16>());
        return true;
    case dtBool:
        out.append(v.toBool() ? 1 : 0);
        return true;
    case dtInt32:
        AppendWords(out, quint32(v.value<qint32>()), 2);
        return true;
    case dtUInt32:
        AppendWords(out, v.value<quint32>(), 2);
        return true;
    case dtFloat32: {
        const float f = v.value<float>();
        quint32 bits;
        std::memcpy(&bits, &f, sizeof bits);
        AppendWords(out, bits, 2);
        return true;
    }
    case dtFloat64: {
        const double d = v.toDouble();
        quint64 bits;
        std::memcpy(&bits, &d, sizeof bits);
        AppendWords(out, bits, 4);
        return true;
    }
    default:
        return false;
    }
}

QVariant DecodeOne(const QList<quint16> &in, qsizetype at, int typeCode)
{
    switch (typeCode) {
    case dtInt8:
        return QVariant::fromValue(qint8(in.at(at) & 0xFF));
    case dtUInt8:
        return QVariant::fromValue(quint8(in.at(at) & 0xFF));
    case dtInt16:
        return QVariant::fromValue(qint16(in.at(at)));
    case dtUInt16:
        return QVariant::fromValue(quint16(in.at(at)));
    case dtBool:
        return QVariant(in.at(at) != 0);
    case dtInt32:
        return QVariant::fromValue(qint32(quint32(JoinWords(in, at, 2))));
    case dtUInt32:
        return QVariant::fromValue(quint32(JoinWords(in, at, 2)));
    case dtFloat32: {
        const quint32 bits = quint32(JoinWords(in, at, 2));
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return QVariant::fromValue(f);
    }
    case dtFloat64: {
        const quint64 bits = JoinWords(in, at, 4);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return QVariant(d);
    }
    default:
        return {};
    }
}

QVariant OneOrList(const QVariantList &values)
{
    if (values.size() == 1)
        return values.first();
    return values;
}

} // namespace

int RegistersPerValue(int typeCode)
{
    switch (typeCode) {
    case dtInt8:
    case dtUInt8:
    case dtInt16:
    case dtUInt16:
    case dtBool:
        return 1;
    case dtInt32:
    case dtUInt32:
    case dtFloat32:
        return 2;
    case dtFloat64:
        return 4;
    default:
        return 0;
    }
}

QList<quint16> Encode(const QVariant &value, Error *error)
{
    SetError(error, Error::None);
    QList<quint16> out;
    const QVariantList items =
        value.metaType().id() == QMetaType::QVariantList ? value.toList() : QVariantList{value};
    for (const QVariant &v : items) {
        if (!AppendOne(out, v)) {
            SetError(error, Error::UnknownType);
            return {};
        }
    }
    if (out.isEmpty())
        SetError(error, Error::UnknownType);
    return out;
}

QList<quint16> EncodeAs(const QVariant &value, int typeCode, Error *error)
{
    const QVariant typed = TypedValue(value, typeCode);
    if (!typed.isValid()) {
        SetError(error, Error::UnknownType);
        return {};
    }
    return Encode(typed, error);
}

QVariant Decode(const QList<quint16> &registers, int typeCode, int count, Error *error)
{
    SetError(error, Error::None);
    const int per = RegistersPerValue(typeCode);
    if (per == 0) {
        SetError(error, Error::UnknownType);
        return {};
    }
    if (count < 1 || registers.size() < qsizetype(per) * count) {
        SetError(error, Error::TooShort);
        return {};
    }
    QVariantList values;
    values.reserve(count);
    for (int i = 0; i < count; ++i)
        values.append(DecodeOne(registers, qsizetype(i) * per, typeCode));
    return OneOrList(values);
}

QList<bool> EncodeBits(const QVariant &value, Error *error)
{
    SetError(error, Error::None);
    QList<bool> out;
    const QVariantList items =
        value.metaType().id() == QMetaType::QVariantList ? value.toList() : QVariantList{value};
    for (const QVariant &v : items) {
        bool ok = false;
        if (v.metaType().id() == QMetaType::Bool) {
            out.append(v.toBool());
            continue;
        }
        const double d = v.toDouble(&ok);
        if (!ok) {
            SetError(error, Error::UnknownType);
            return {};
        }
        out.append(d != 0);
    }
    if (out.isEmpty())
        SetError(error, Error::UnknownType);
    return out;
}

QVariant DecodeBits(const QList<bool> &bits, int count, Error *error)
{
    SetError(error, Error::None);
    if (count < 1 || bits.size() < count) {
        SetError(error, Error::TooShort);
        return {};
    }
    QVariantList values;
    values.reserve(count);
    for (int i = 0; i < count; ++i)
        values.append(QVariant(bits.at(i)));
    return OneOrList(values);
}

} // namespace MbValues
