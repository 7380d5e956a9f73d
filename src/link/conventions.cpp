#include "link/conventions.h"

#include <QMetaType>

#include <cmath>
#include <limits>

QString ResultText(int code)
{
    switch (code) {
    case 0:
        return QStringLiteral("Ок");
    case 1:
        return QStringLiteral("Прибор не отвечает");
    case 2:
        return QStringLiteral("Ошибка контрольной суммы");
    case 3:
        return QStringLiteral("Не удается отправить запрос");
    case 4:
        return QStringLiteral("Недопустимая функция");
    case 5:
        return QStringLiteral("Недопустимые данные");
    case 6:
        return QStringLiteral("Прибор неисправен");
    case 7:
        return QStringLiteral("Начало долговременной операции");
    case 8:
        return QStringLiteral("Прибор занят");
    case 9:
        return QStringLiteral("Выполнение функции невозможно");
    case 10:
        return QStringLiteral("Ошибка четности");
    case 11:
        return QStringLiteral("Недопустимый адрес данных");
    case 12:
        return QStringLiteral("Не совпадает адрес ModBus");
    case 13:
        return QStringLiteral("Не совпадает номер функции");
    case 15:
        return QStringLiteral("Неверный тип данных");
    case 16:
        return QStringLiteral("Недостаточно данных");
    case kResultBroadcastRead:
        return QStringLiteral("Чтение по адресу 0 невозможно: у чтения нет широковещательной формы");
    default:
        return QStringLiteral("Неизвестная ошибка");
    }
}

namespace
{

bool IsFloating(const QVariant &v)
{
    const int id = v.metaType().id();
    return id == QMetaType::Double || id == QMetaType::Float;
}

// The integer value of a source: fractions round half to even, as a
// variant-to-integer conversion of the operator program always did.
qint64 IntegerOf(const QVariant &source)
{
    if (IsFloating(source))
        return RoundHalfEven(source.toDouble());
    if (source.metaType().id() == QMetaType::QString) {
        bool ok = false;
        const qint64 i = source.toString().trimmed().toLongLong(&ok);
        if (ok)
            return i;
        return RoundHalfEven(ParseDecimal(source.toString(), &ok));
    }
    if (source.metaType().id() == QMetaType::ULongLong)
        return static_cast<qint64>(source.toULongLong());
    return source.toLongLong();
}

bool NonZero(const QVariant &source)
{
    if (IsFloating(source))
        return source.toDouble() != 0.0;
    if (source.metaType().id() == QMetaType::QString) {
        bool ok = false;
        const double d = ParseDecimal(source.toString(), &ok);
        return ok ? d != 0.0 : source.toBool();
    }
    return IntegerOf(source) != 0;
}

double FloatOf(const QVariant &source)
{
    if (source.metaType().id() == QMetaType::QString) {
        bool ok = false;
        const double d = ParseDecimal(source.toString(), &ok);
        return ok ? d : 0.0;
    }
    return source.toDouble();
}

} // namespace

QVariant TypedValue(const QVariant &source, int code)
{
    // Cutting to width keeps the low bits, as the register holds them.
    const auto low = [&source]() { return static_cast<quint64>(IntegerOf(source)); };
    switch (code) {
    case dtInt16:
        return QVariant::fromValue(static_cast<qint16>(static_cast<quint16>(low())));
    case dtInt32:
        return QVariant::fromValue(static_cast<qint32>(static_cast<quint32>(low())));
    case dtFloat32:
        return QVariant::fromValue(static_cast<float>(FloatOf(source)));
    case dtFloat64:
        return QVariant::fromValue(FloatOf(source));
    case dtBool:
        return QVariant::fromValue(NonZero(source));
    case dtInt8:
        return QVariant::fromValue(static_cast<qint8>(static_cast<quint8>(low())));
    case dtUInt8:
        return QVariant::fromValue(static_cast<quint8>(low()));
    case dtUInt16:
        return QVariant::fromValue(static_cast<quint16>(low()));
    case dtUInt32:
        return QVariant::fromValue(static_cast<quint32>(low()));
    default:
        return QVariant();
    }
}

int TypeCodeOf(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Short:
        return dtInt16;
    case QMetaType::Int:
        return dtInt32;
    case QMetaType::Float:
        return dtFloat32;
    case QMetaType::Double:
        return dtFloat64;
    case QMetaType::Bool:
        return dtBool;
    case QMetaType::SChar:
        return dtInt8;
    case QMetaType::UChar:
        return dtUInt8;
    case QMetaType::UShort:
        return dtUInt16;
    case QMetaType::UInt:
        return dtUInt32;
    default:
        return 0;
    }
}

namespace
{

QChar DecimalChar(const QLocale &locale)
{
    const QString d = locale.decimalPoint();
    return d.isEmpty() ? QChar('.') : d.at(0);
}

} // namespace

QChar edtInt(QChar key)
{
    if (key == QChar('\b') || key == QChar('-') || (key >= QChar('0') && key <= QChar('9')))
        return key;
    return QChar();
}

QChar edtFloat(QChar key, const QLocale &locale)
{
    if (key == QChar(',') || key == QChar('.'))
        return DecimalChar(locale);
    return edtInt(key);
}

double ParseDecimal(const QString &text, bool *ok, const QLocale &locale)
{
    const QChar sep = DecimalChar(locale);
    QString t = text;
    qsizetype first = -1;
    for (const QChar c : {QChar('.'), QChar(',')}) {
        if (c == sep)
            continue;
        const qsizetype at = t.indexOf(c);
        if (at >= 0 && (first < 0 || at < first))
            first = at;
    }
    if (first >= 0)
        t[first] = sep;

    // Thousands separators would let "1,500" mean 1500 under one locale and
    // 1.5 under the other; a decimal field never groups digits.
    QLocale strict = locale;
    strict.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool good = false;
    double v = strict.toDouble(t.trimmed(), &good);
    if (good && !std::isfinite(v))
        good = false;
    if (!good)
        v = 0.0;
    if (ok)
        *ok = good;
    return v;
}

namespace
{

QLocale Ungrouped(const QLocale &l)
{
    QLocale u = l;
    u.setNumberOptions(l.numberOptions() | QLocale::OmitGroupSeparator);
    return u;
}

// "-0" is what a tiny negative rounds to; the operator should see "0".
QString DropNegativeZero(const QString &s, const QLocale &l)
{
    const QString minus = l.negativeSign();
    if (!s.startsWith(minus))
        return s;
    for (qsizetype i = minus.size(); i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c.isDigit() && c != QChar('0'))
            return s;
        if (c.isLetter())
            return s; // exponents, "inf"
    }
    return s.mid(minus.size());
}

} // namespace

QString DisplayLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString FormatDecimals(double value, int decimals, const QLocale &locale)
{
    const QLocale l = Ungrouped(locale);
    if (!std::isfinite(value))
        return l.toString(value);
    QString s = l.toString(value, 'f', qMax(0, decimals));
    const QString sep = l.decimalPoint();
    if (decimals > 0 && s.contains(sep)) {
        while (s.endsWith(QChar('0')))
            s.chop(1);
        if (s.endsWith(sep))
            s.chop(sep.size());
    }
    return DropNegativeZero(s, l);
}

QString FmtPercent4(double percent, const QLocale &l)
{
    return Fmt4(percent, l) + QChar('%');
}

QString FmtGeneral(double value, const QLocale &l)
{
    if (!std::isfinite(value))
        return Ungrouped(l).toString(value);
    if (value == 0.0)
        return QStringLiteral("0");
    // Shortest of up to 15 significant digits, in the C form first so the
    // exponent can be written the operator program's way ("1E-5", "1,5E20").
    QString s = QString::number(value, 'g', 15);
    const qsizetype e = s.indexOf(QChar('e'));
    if (e >= 0) {
        QString mant = s.left(e);
        QString exp = s.mid(e + 1);
        bool neg = exp.startsWith(QChar('-'));
        if (exp.startsWith(QChar('-')) || exp.startsWith(QChar('+')))
            exp.remove(0, 1);
        while (exp.size() > 1 && exp.startsWith(QChar('0')))
            exp.remove(0, 1);
        s = mant + QChar('E') + (neg ? QStringLiteral("-") : QString()) + exp;
    }
    s.replace(QChar('.'), l.decimalPoint());
    if (s.startsWith(QChar('-')))
        s.replace(0, 1, l.negativeSign());
    return s;
}

qint64 RoundHalfEven(double v)
{
    if (std::isnan(v))
        return 0;
    constexpr double lim = 9223372036854774784.0; // largest double below 2^63
    if (v >= lim)
        return std::numeric_limits<qint64>::max();
    if (v <= -lim)
        return std::numeric_limits<qint64>::min();
    double r = std::floor(v);
    const double diff = v - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0))
        r += 1.0;
    return static_cast<qint64>(r);
}
