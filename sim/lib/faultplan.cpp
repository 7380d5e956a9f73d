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
    } else if (kind == "refuse" && parts.size() >= 3 && parts.size() <= 5) {
        WriteRefusal f;
        ok = ParseInt(parts[1], 1, 247, &f.address) && ParseInt(parts[2], 0, 65535, &f.reg) &&
             (parts.size() < 4 || parts[3] == "*" || ParseInt(parts[3], 0, 65535, &f.value)) &&
             (parts.size() < 5 || ParseInt(parts[4], 1, 255, &f.code));
        if (ok)
            refusals.append(f);
    } else if ((kind == "state" || kind == "error" || kind == "last") && parts.size() == 4) {
        CommandOutcome f;
        int value = 0;
        ok = ParseInt(parts[1], 1, 247, &f.address) && ParseInt(parts[2], 1, 15, &f.command) &&
             ParseInt(parts[3], 0, 255, &value);
        if (ok) {
            // Forms for the same command add up: state, error and last code together.
            CommandOutcome *same = nullptr;
            for (CommandOutcome &o : outcomes)
                if (o.address == f.address && o.command == f.command)
                    same = &o;
            if (!same)
                same = &outcomes.emplace_back(f);
            (kind == "state" ? same->state : kind == "error" ? same->error : same->last) = value;
        }
    }
    if (!ok && error)
        *error = QString("неверное описание сбоя \"%1\" (ожидается no-answer:ADDR, crc:PERCENT, "
                         "exception:CODE:PERCENT, slow:MS, refuse:ADDR:REG[:VALUE[:CODE]], "
                         "state:ADDR:CMD:STATE, error:ADDR:CMD:ERROR или last:ADDR:CMD:CODE)")
                     .arg(text);
    return ok;
}

int FaultPlan::Refusal(int address, int first, const QList<quint16> &values) const
{
    for (const WriteRefusal &f : refusals) {
        const int i = f.reg - first;
        if (f.address == address && i >= 0 && i < values.size() && (f.value < 0 || values[i] == f.value))
            return f.code;
    }
    return 0;
}

const FaultPlan::CommandOutcome *FaultPlan::Outcome(int address, int command) const
{
    for (const CommandOutcome &f : outcomes)
        if (f.address == address && f.command == command)
            return &f;
    return nullptr;
}
