// Register values: any registers decoded as any type code, encoded back, and the
// typed values the program builds from operator text.
#include "fuzzcheck.h"
#include "link/conventions.h"
#include "link/mbvalues.h"

#include <QLocale>

#include <cmath>

namespace
{

// The register a decoded value comes back as: bytes keep their low byte, sign- or
// zero-extended; Booleans become 0 or 1.
quint16 Expected(quint16 reg, int code)
{
    switch (code) {
    case dtInt8:
        return quint16(qint16(qint8(reg & 0xFF)));
    case dtUInt8:
        return reg & 0xFF;
    case dtBool:
        return reg ? 1 : 0;
    default:
        return reg;
    }
}

bool IsNan(const QVariant &v)
{
    const int id = v.metaType().id();
    return (id == QMetaType::Float || id == QMetaType::Double) && std::isnan(v.toDouble());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    static const int codes[] = {dtInt16, dtInt32, dtFloat32, dtFloat64, dtBool,
                                dtInt8,  dtUInt8, dtUInt16,  dtUInt32,  0};
    const int code = data[0] < 200 ? codes[data[0] % 10] : int(data[0]); // mostly known codes
    const int count = int(data[1] % 64) - 1;                             // -1 .. 62
    QList<quint16> regs;
    for (size_t i = 2; i + 1 < size; i += 2)
        regs.append(quint16((data[i] << 8) | data[i + 1]));

    MbValues::Error error = MbValues::Error::None;
    const QVariant decoded = MbValues::Decode(regs, code, count, &error);
    const int per = MbValues::RegistersPerValue(code);
    if (per == 0) {
        FUZZ_CHECK(error == MbValues::Error::UnknownType && !decoded.isValid());
    } else if (count < 1 || regs.size() < qsizetype(per) * count) {
        FUZZ_CHECK(error == MbValues::Error::TooShort && !decoded.isValid());
    } else {
        FUZZ_CHECK(error == MbValues::Error::None && decoded.isValid());
        const QList<quint16> again = MbValues::Encode(decoded, &error);
        FUZZ_CHECK(error == MbValues::Error::None);
        FUZZ_CHECK(again.size() == qsizetype(per) * count);
        const QVariantList values = count == 1 ? QVariantList{decoded} : decoded.toList();
        FUZZ_CHECK(values.size() == count);
        for (int i = 0; i < count; ++i) {
            const QVariant &v = values[i];
            FUZZ_CHECK(TypeCodeOf(v) == code);
            // A typed value is already of its type: TypedValue leaves it as it is.
            const QVariant same = TypedValue(v, code);
            FUZZ_CHECK(TypeCodeOf(same) == code);
            FUZZ_CHECK(IsNan(v) ? IsNan(same) : same == v);
            if (IsNan(v))
                continue; // a NaN's payload is not promised
            for (int w = 0; w < per; ++w) {
                const qsizetype at = qsizetype(i) * per + w;
                FUZZ_CHECK(again[at] == Expected(regs[at], code));
            }
        }
    }

    // Operator text typed into a field and written as each type.
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    for (const QLocale &l : {QLocale(QLocale::Russian), QLocale::c()}) {
        QLocale::setDefault(l);
        for (const int c : codes) {
            const QVariant v = TypedValue(text, c);
            FUZZ_CHECK(c == 0 ? !v.isValid() : TypeCodeOf(v) == c);
            if (c != 0)
                FUZZ_CHECK(MbValues::EncodeAs(v, c).size() == MbValues::RegistersPerValue(c));
        }
    }
    return 0;
}
