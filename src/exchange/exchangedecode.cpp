#include "exchange/exchangedecode.h"

#include "link/conventions.h"
#include "link/exceptionresult.h"
#include "link/mbvalues.h"

#include <QLocale>
#include <QStringList>

namespace
{
int Word(const QByteArray &b, int at)
{
    return b.size() >= at + 2 ? (quint8(b.at(at)) << 8 | quint8(b.at(at + 1))) : -1;
}

QString TypeName(int dataType)
{
    switch (dataType) {
    case dtInt16:
        return QStringLiteral("int16");
    case dtInt32:
        return QStringLiteral("int32");
    case dtFloat32:
        return QStringLiteral("float32");
    case dtFloat64:
        return QStringLiteral("float64");
    case dtBool:
        return QStringLiteral("bool");
    case dtInt8:
        return QStringLiteral("int8");
    case dtUInt8:
        return QStringLiteral("uint8");
    case dtUInt16:
        return QStringLiteral("uint16");
    case dtUInt32:
        return QStringLiteral("uint32");
    }
    return {};
}

QString ValueText(const QVariant &v)
{
    const int id = v.metaType().id();
    if (id == QMetaType::Float || id == QMetaType::Double)
        return QLocale().toString(v.toDouble(), 'g', id == QMetaType::Float ? 7 : 15);
    if (id == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return v.toString();
}

// The registers in the task's data type when they fit it, else as hexadecimal words.
QString Values(const QByteArray &data, int dataType)
{
    QList<quint16> regs;
    for (int i = 0; i + 1 < data.size(); i += 2)
        regs.append(quint16(Word(data, i)));
    const int per = MbValues::RegistersPerValue(dataType);
    if (per > 0 && !regs.isEmpty() && regs.size() % per == 0) {
        MbValues::Error e = MbValues::Error::None;
        const int count = int(regs.size()) / per;
        const QVariant v = MbValues::Decode(regs, dataType, count, &e);
        if (e == MbValues::Error::None) {
            QStringList out;
            for (const QVariant &one : count == 1 ? QVariantList{v} : v.toList())
                out.append(ValueText(one));
            return QStringLiteral("%1 (%2)").arg(out.join(QStringLiteral("; ")), TypeName(dataType));
        }
    }
    QStringList words;
    for (quint16 w : regs)
        words.append(QStringLiteral("%1").arg(w, 4, 16, QLatin1Char('0')).toUpper());
    return words.join(QLatin1Char(' '));
}

QString Bits(const QByteArray &bytes, int count)
{
    QString out;
    for (int i = 0; i < count && i / 8 < bytes.size(); ++i)
        out += (quint8(bytes.at(i / 8)) >> (i % 8)) & 1 ? QLatin1Char('1') : QLatin1Char('0');
    return out;
}

QString Range(int first, int count)
{
    return count == 1 ? QString::number(first) : QStringLiteral("%1..%2 (%3)").arg(first).arg(first + count - 1).arg(count);
}

void Request(const ExchangeRecord &r, QStringList &lines)
{
    const QByteArray &q = r.request;
    const int start = Word(q, 2), second = Word(q, 4);
    switch (r.function) {
    case 1:
        lines << QStringLiteral("Дискретные выходы: %1").arg(Range(start, second));
        break;
    case 3:
        lines << QStringLiteral("Регистры хранения: %1").arg(Range(start, second));
        break;
    case 4:
        lines << QStringLiteral("Входные регистры: %1").arg(Range(start, second));
        break;
    case 5:
        lines << QStringLiteral("Дискретный выход %1 := %2").arg(start).arg(second == 0xFF00 ? 1 : 0);
        break;
    case 6:
        lines << QStringLiteral("Регистр хранения %1 := %2").arg(start).arg(Values(q.mid(4, 2), r.dataType));
        break;
    case 15:
        lines << QStringLiteral("Дискретные выходы %1 := %2").arg(Range(start, second), Bits(q.mid(7), second));
        break;
    case 16:
        lines << QStringLiteral("Регистры хранения %1 := %2").arg(Range(start, second), Values(q.mid(7), r.dataType));
        break;
    }
}

void Reply(const ExchangeRecord &r, QStringList &lines)
{
    if (!r.note.isEmpty())
        lines << QStringLiteral("Ответ отброшен: %1").arg(r.note);
    const QByteArray &a = r.reply;
    if (a.isEmpty()) {
        if (r.note.isEmpty() && r.Sent())
            lines << QStringLiteral("Ответа нет");
        return;
    }
    if (r.IsException()) {
        const int code = quint8(a.at(2));
        lines << QStringLiteral("Исключение %1: %2").arg(code).arg(ResultText(ExceptionResult(code)));
        return;
    }
    switch (r.function) {
    case 1:
        lines << QStringLiteral("Ответ: %1").arg(Bits(a.mid(3), Word(r.request, 4)));
        break;
    case 3:
    case 4:
        lines << QStringLiteral("Ответ: %1").arg(Values(a.mid(3), r.dataType));
        break;
    case 17:
        lines << QStringLiteral("Ответ: %1 байт данных").arg(a.size() - 3);
        break;
    default:
        lines << QStringLiteral("Ответ подтверждает запрос");
    }
}
} // namespace

QString FunctionName(int function)
{
    switch (function) {
    case 1:
        return QStringLiteral("Чтение дискретных выходов");
    case 3:
        return QStringLiteral("Чтение регистров хранения");
    case 4:
        return QStringLiteral("Чтение входных регистров");
    case 5:
        return QStringLiteral("Запись одного дискретного выхода");
    case 6:
        return QStringLiteral("Запись одного регистра");
    case 15:
        return QStringLiteral("Запись дискретных выходов");
    case 16:
        return QStringLiteral("Запись регистров");
    case 17:
        return QStringLiteral("Идентификация устройства");
    }
    return {};
}

QString DecodeExchange(const ExchangeRecord &r, const QString &qidName)
{
    QStringList lines;
    lines << QStringLiteral("Линия %1, адрес %2").arg(r.link).arg(r.device);
    lines << QStringLiteral("Функция %1: %2")
                 .arg(QStringLiteral("%1").arg(r.function, 2, 16, QLatin1Char('0')).toUpper(), FunctionName(r.function));
    lines << (qidName.isEmpty() ? QStringLiteral("QID %1").arg(r.qid) : QStringLiteral("QID %1: %2").arg(r.qid).arg(qidName));
    Request(r, lines);
    Reply(r, lines);
    return lines.join(QLatin1Char('\n'));
}
