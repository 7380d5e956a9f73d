#include "session/benchrouter.h"

#include "session/benchqids.h"

using namespace BenchQid;

namespace
{

// Element i of a result value: the list element, or the value itself for i 0.
QVariant ValueAt(const QVariant &value, int i)
{
    if (value.typeId() == QMetaType::QVariantList) {
        const QVariantList list = value.toList();
        return i >= 0 && i < list.size() ? list.at(i) : QVariant();
    }
    return i == 0 ? value : QVariant();
}

// Number of values a result holds.
int ValueCount(const QVariant &value)
{
    if (value.typeId() == QMetaType::QVariantList)
        return int(value.toList().size());
    return value.isValid() ? 1 : 0;
}

} // namespace

Mailbox *BenchRouter::MailboxOf(int qid)
{
    BenchMailboxes &s = m_box;
    switch (qid) {
    case WriteModuleAddress: return &s.ResAdr;
    case WriteModuleSpeed: return &s.ResSpeed;
    case WriteModuleRts: return &s.ResRts;
    case WriteEmulBit:
    case ReadEmulBit: return &s.ResEmulBit;
    case WritePolarity: return &s.ResPolarity;
    case ReadImrStatus: return &s.ResImrStatus;
    case ReadAutoCirc: return &s.ResAutoCirc;
    case ReadAccTime: return &s.ResAccTime;
    case ReadCalib: return &s.ResCalib;
    case WriteImrCmd: return &s.ResImrCmd;
    case WriteConvCount: return &s.ResConvCount;
    case WritePulseCount: return &s.ResPulseCount;
    case WriteImitTime: return &s.ResImitTime;
    case ReadFosc: return &s.ResFosc;
    case ReadTimes: return &s.ResTimes;
    case WriteUsiMode: return &s.ResUsiMode;
    case ReadIptRaw: return &s.ResIptRaw;
    case ReadIptCur: return &s.ResIptCur;
    case ReadIptCurCal: return &s.ResIptCurCal;
    case WriteIptCmd: return &s.ResIptCmd;
    case WriteIptDac: return &s.ResIptDac;
    case WriteIptScale: return &s.ResIptScale;
    case WriteIptOffset: return &s.ResIptOffset;
    default: return nullptr;
    }
}

static bool IsBenchTask(int qid)
{
    switch (qid) {
    case WriteDefaults: case DeviceName: case WriteFosc: case WriteT0: case WriteT1:
    case ReadDa1: case ReadUsiModes: case ReadUsiCounts:
        return true;
    default:
        return false;
    }
}

bool BenchRouter::Decode(int qid, const QVariant &value)
{
    BenchValues &s = m_values;
    auto enough = [&](int n) { return ValueCount(value) >= n; };
    switch (qid) {
    case ReadEmulBit:
        if (!enough(1)) return false;
        s.EmulBit = ValueAt(value, 0).toBool();
        return true;
    case ReadImrStatus:
        if (!enough(3)) return false;
        s.ImrState = ValueAt(value, 0).toInt();
        s.ImrErrors = ValueAt(value, 1).toInt();
        s.ImrLastCmd = ValueAt(value, 2).toInt();
        return true;
    case ReadAutoCirc:
        if (!enough(1)) return false;
        s.AutoCircCount = ValueAt(value, 0).toInt();
        return true;
    case ReadAccTime:
        if (!enough(1)) return false;
        s.AccTimeMs = qint32(ValueAt(value, 0).toLongLong());
        return true;
    case ReadCalib: {
        if (!enough(10)) return false;
        for (int ch = 0; ch < 2; ++ch) {
            TCalibChannel &c = s.CalibData[ch];
            quint32 *sums[5] = {&c.S0, &c.S1, &c.S2, &c.S3, &c.S4};
            for (int k = 0; k < 5; ++k)
                *sums[k] = quint32(ValueAt(value, ch * 5 + k).toLongLong());
        }
        return true;
    }
    case ReadFosc:
        if (!enough(1)) return false;
        s.Fosc = qint32(ValueAt(value, 0).toLongLong());
        return true;
    case ReadTimes:
        if (!enough(2)) return false;
        s.T0 = ValueAt(value, 0).toDouble();
        s.T1 = ValueAt(value, 1).toDouble();
        return true;
    case ReadIptRaw:
        if (!enough(4)) return false;
        for (int k = 0; k < 4; ++k)
            s.IptRaw[k] = qint32(ValueAt(value, k).toLongLong());
        return true;
    default:
        return true;
    }
}

bool BenchRouter::Store(int qid, const QVariant &value, int &result)
{
    Mailbox *box = MailboxOf(qid);
    if (!box)
        return IsBenchTask(qid);
    if (result == 0 && !Decode(qid, value))
        result = kShortReply;
    if (qid == ReadImrStatus && result != 0)
        m_values.ImrState = 255;
    *box = result;
    return true;
}
