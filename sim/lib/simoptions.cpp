#include "simoptions.h"

#include <QSet>

namespace
{

bool ToInt(const QString &text, int lo, int hi, int *out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

bool ToDouble(const QString &text, double lo, double hi, double *out)
{
    bool ok = false;
    const double v = QString(text).replace(',', '.').toDouble(&ok);
    if (!ok || !(v >= lo && v <= hi))
        return false;
    *out = v;
    return true;
}

// "2%" or "2" is a relative error, "0.3mA" an offset; either replaces the other.
bool ParseOutputError(QString text, double *percent, double *mA)
{
    text = text.trimmed();
    if (text.endsWith("mA", Qt::CaseInsensitive) ||
        text.endsWith(QString::fromUtf8("мА"), Qt::CaseInsensitive)) {
        double v = 0;
        if (!ToDouble(text.chopped(2).trimmed(), -2.0, 2.0, &v))
            return false;
        *mA = v;
        *percent = 0;
        return true;
    }
    if (text.endsWith('%'))
        text.chop(1);
    double v = 0;
    if (!ToDouble(text.trimmed(), -20.0, 20.0, &v))
        return false;
    *percent = v;
    *mA = 0;
    return true;
}

} // namespace

QString SimOptions::Usage()
{
    return QStringLiteral(
        "Использование: qtm-bench-sim [--bench ENDPOINT] [--flowmeter ENDPOINT]\n"
        "  [--imr-address N] [--usi-address N] [--ipt-address N] [--flowmeter-address N]\n"
        "  [--model ROW] [--delay-ns X] [--flow-error-percent X] [--exact]\n"
        "  [--gc-channels N] [--slot-error X%|XmA] [--current-error X%|XmA]\n"
        "  [--ipt-gain X] [--ipt-stuck CHANNEL] [--line-speed BAUD] [--fault FAULT]... [--trace]\n"
        "ENDPOINT: tcp://HOST:PORT (порт 0 - любой свободный) или последовательный порт (RTU).\n"
        "По умолчанию: --bench tcp://127.0.0.1:1502 --flowmeter tcp://127.0.0.1:1503,\n"
        "  адреса ИМР 1, УСИ 2, ИПТ 3, расходомер 1, модель 0, задержка 600 нс,\n"
        "  погрешность расходомера 0 %, с шумом, без скорости линии (последовательный порт 9600),\n"
        "  у модели GC 4 канала и погрешность токовых слотов 1.5%, основной токовый выход без погрешности.\n"
        "FAULT: no-answer:ADDR | crc:PERCENT | exception:CODE:PERCENT | slow:MS\n"
        "  | refuse:ADDR:REG[:VALUE[:CODE]] | state:ADDR:CMD:STATE | error:ADDR:CMD:ERROR\n"
        "  | last:ADDR:CMD:CODE\n"
        "--trace: каждый принятый запрос и отправленный ответ - на стандартный вывод.\n");
}

bool SimOptions::Parse(const QStringList &args, QString *error, bool *help)
{
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    const QSet<QString> valued = {"--bench",        "--flowmeter",   "--imr-address",
                                  "--usi-address",  "--ipt-address", "--flowmeter-address",
                                  "--model",        "--delay-ns",    "--flow-error-percent",
                                  "--line-speed",   "--fault",       "--gc-channels",
                                  "--slot-error",   "--ipt-gain",    "--ipt-stuck",
                                  "--current-error"};
    for (int i = 0; i < args.size(); ++i) {
        QString name = args[i], value;
        const int eq = name.indexOf('=');
        const bool inlineValue = name.startsWith("--") && eq > 0;
        if (inlineValue) {
            value = name.mid(eq + 1);
            name = name.left(eq);
        }
        if (name == "--help" || name == "-h") {
            if (help)
                *help = true;
            continue;
        }
        if (name == "--exact") {
            exact = true;
            continue;
        }
        if (name == "--trace") {
            trace = true;
            continue;
        }
        if (!valued.contains(name))
            return fail(QString("неизвестный параметр \"%1\"").arg(args[i]));
        if (!inlineValue) {
            if (i + 1 >= args.size())
                return fail(QString("у параметра %1 нет значения").arg(name));
            value = args[++i];
        }
        const QString bad = QString("неверное значение параметра %1: \"%2\"").arg(name, value);
        if (name == "--bench")
            bench = value;
        else if (name == "--flowmeter")
            flowmeter = value;
        else if (name == "--imr-address" && !ToInt(value, 1, 247, &imrAddress))
            return fail(bad + " (ожидается адрес 1..247)");
        else if (name == "--usi-address" && !ToInt(value, 1, 247, &usiAddress))
            return fail(bad + " (ожидается адрес 1..247)");
        else if (name == "--ipt-address" && !ToInt(value, 1, 247, &iptAddress))
            return fail(bad + " (ожидается адрес 1..247)");
        else if (name == "--flowmeter-address" && !ToInt(value, 1, 247, &flowmeterAddress))
            return fail(bad + " (ожидается адрес 1..247)");
        else if (name == "--model" && !ToInt(value, 0, 6, &model))
            return fail(bad + " (ожидается строка модели 0..6)");
        else if (name == "--delay-ns" && !ToDouble(value, 1.0, 100000.0, &delayNs))
            return fail(bad + " (ожидается задержка 1..100000 нс)");
        else if (name == "--flow-error-percent" && !ToDouble(value, -50.0, 50.0, &flowErrorPercent))
            return fail(bad + " (ожидается -50..50 %)");
        else if (name == "--gc-channels" && !ToInt(value, 1, 8, &gcChannels))
            return fail(bad + " (ожидается 1..8 каналов)");
        else if (name == "--slot-error" && !ParseOutputError(value, &slotErrorPercent, &slotErrorMa))
            return fail(bad + " (ожидается -20..20% или -2..2mA)");
        else if (name == "--current-error" && !ParseOutputError(value, &currentErrorPercent, &currentErrorMa))
            return fail(bad + " (ожидается -20..20% или -2..2mA)");
        else if (name == "--line-speed" && !ToInt(value, 300, 1000000, &lineSpeed))
            return fail(bad + " (ожидается скорость 300..1000000 бод)");
        else if (name == "--ipt-gain" && !ToDouble(value, 0.01, 100.0, &iptGain))
            return fail(bad + " (ожидается множитель 0.01..100)");
        else if (name == "--ipt-stuck" && !ToInt(value, 1, 4, &iptStuck))
            return fail(bad + " (ожидается канал 1..4)");
        else if (name == "--fault") {
            QString why;
            if (!faults.Add(value, &why))
                return fail(why);
        }
    }
    if (bench.isEmpty() || flowmeter.isEmpty())
        return fail("адрес линии не может быть пустым");
    if (imrAddress == usiAddress || imrAddress == iptAddress || usiAddress == iptAddress)
        return fail("у модулей ИМР, УСИ и ИПТ должны быть разные адреса");
    if (bench == flowmeter && !bench.endsWith(":0"))
        return fail("линии стенда и расходомера должны быть разными");
    return true;
}
