#pragma once

#include <QChar>
#include <QLocale>
#include <QString>
#include <QVariant>

// Register data type codes of the task server.
enum DataTypeCode : int {
    dtInt16 = 2,
    dtInt32 = 3,
    dtFloat32 = 4,
    dtFloat64 = 5,
    dtBool = 11,
    dtInt8 = 16,
    dtUInt8 = 17,
    dtUInt16 = 18,
    dtUInt32 = 19,
};

// A read handed over for address 0: a read has no broadcast form, so the link
// refuses it instead of reporting a success without data.
constexpr int kResultBroadcastRead = 17;

// Result code text: 0 "Ок", 1 "Прибор не отвечает", ... 14 and unknown "Неизвестная ошибка".
QString ResultText(int code);

// Source converted to the type of the code, as a QVariant of that metatype
// (qint8, quint8, qint16, quint16, qint32, quint32, float, double, bool).
// Integer codes cut to width (a fractional source rounds half to even first);
// 19 goes through 64 bits. Unknown code: invalid QVariant.
QVariant TypedValue(const QVariant &source, int code);
// The data type code of a value built by TypedValue (0 when it has none).
int TypeCodeOf(const QVariant &value);

// Key filters: return the character to keep, or QChar() (null) to discard it.
QChar edtInt(QChar key);
QChar edtFloat(QChar key, const QLocale &locale = QLocale());

// Decimal text with either separator; ok=false (and 0) when it does not convert.
// Digit grouping, "nan" and "inf" are not numbers an operator types.
double ParseDecimal(const QString &text, bool *ok, const QLocale &locale = QLocale());

// Number patterns "0.###", "0.####", "0.#####" with the locale's separator:
// at least one integer digit, at most `decimals` decimals, rounded, trailing zeros
// and a bare separator dropped.
QString FormatDecimals(double value, int decimals, const QLocale &locale = QLocale());
// A text whose lines are separated by "\r\n" or a lone "\r", with "\n" between
// lines as the screen shows them.
QString DisplayLines(QString text);
inline QString Fmt3(double v, const QLocale &l = QLocale())
{
    return FormatDecimals(v, 3, l);
}
inline QString Fmt4(double v, const QLocale &l = QLocale())
{
    return FormatDecimals(v, 4, l);
}
inline QString Fmt5(double v, const QLocale &l = QLocale())
{
    return FormatDecimals(v, 5, l);
}
// "0.####%": a value already in percent with a percent sign.
QString FmtPercent4(double percent, const QLocale &l = QLocale());
// The general number format (shortest text that reads back the same, up to 15 digits).
QString FmtGeneral(double value, const QLocale &l = QLocale());

// Half-to-even rounding to an integer.
qint64 RoundHalfEven(double v);
