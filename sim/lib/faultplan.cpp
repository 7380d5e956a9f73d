#include "faultplan.h"

#include <QStringList>

namespace
{

bool ParsePercent(const QString &text, double *out)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || v < 0 || v > 100)
        return false;
    *out = v;
    return true;
}

bool ParseInt(const QString &text, int lo, int hi, int *out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

} // namespace

bool FaultPlan::Add(const QString &text, QString *error)
{
    const QStringList parts = text.split(':');
    const QString kind = parts.value(0);
    bool ok = false;
    if (kind == "no-answer" && parts.size() == 2) {
        int addr = 0;
        ok = ParseInt(parts[1], 1, 247, &addr);
        if (ok)
            silentAddresses.insert(addr);
    } else if (kind == "crc" && parts.size() == 2) {
        ok = ParsePercent(parts[1], &crcPercent);
    } else if (kind == "exception" && parts.size() == 3) {
        ExceptionFault f;
        ok = ParseInt(parts[1], 1, 255, &f.code) && ParsePercent(parts[2], &f.percent);
        if (ok)
            exceptions.append(f);
    } else if (kind == "slow" && parts.size() == 2) {
        ok = ParseInt(parts[1], 0, 60000, &slowMs);
    }
    if (!ok && error)
        *error = QString("неверное описание сбоя \"%1\" (ожидается no-answer:ADDR, crc:PERCENT, "
                         "exception:CODE:PERCENT или slow:MS)")
                     .arg(text);
    return ok;
}
