#include "session/benchqidnames.h"

#include "session/benchqids.h"

QString BenchQidName(int qid)
{
    switch (qid) {
    case BenchQid::WriteModuleAddress:
        return QStringLiteral("WriteModuleAddress");
    case BenchQid::WriteModuleSpeed:
        return QStringLiteral("WriteModuleSpeed");
    case BenchQid::WriteModuleRts:
        return QStringLiteral("WriteModuleRts");
    case BenchQid::WriteDefaults:
        return QStringLiteral("WriteDefaults");
    case BenchQid::DeviceName:
        return QStringLiteral("DeviceName");
    case BenchQid::WriteEmulBit:
        return QStringLiteral("WriteEmulBit");
    case BenchQid::ReadEmulBit:
        return QStringLiteral("ReadEmulBit");
    case BenchQid::WritePolarity:
        return QStringLiteral("WritePolarity");
    case BenchQid::WriteFosc:
        return QStringLiteral("WriteFosc");
    case BenchQid::WriteT0:
        return QStringLiteral("WriteT0");
    case BenchQid::WriteT1:
        return QStringLiteral("WriteT1");
    case BenchQid::ReadImrStatus:
        return QStringLiteral("ReadImrStatus");
    case BenchQid::ReadDa1:
        return QStringLiteral("ReadDa1");
    case BenchQid::ReadAutoCirc:
        return QStringLiteral("ReadAutoCirc");
    case BenchQid::ReadAccTime:
        return QStringLiteral("ReadAccTime");
    case BenchQid::ReadCalib:
        return QStringLiteral("ReadCalib");
    case BenchQid::WriteImrCmd:
        return QStringLiteral("WriteImrCmd");
    case BenchQid::WriteConvCount:
        return QStringLiteral("WriteConvCount");
    case BenchQid::WritePulseCount:
        return QStringLiteral("WritePulseCount");
    case BenchQid::WriteImitTime:
        return QStringLiteral("WriteImitTime");
    case BenchQid::ReadFosc:
        return QStringLiteral("ReadFosc");
    case BenchQid::ReadTimes:
        return QStringLiteral("ReadTimes");
    case BenchQid::ReadUsiModes:
        return QStringLiteral("ReadUsiModes");
    case BenchQid::ReadUsiCounts:
        return QStringLiteral("ReadUsiCounts");
    case BenchQid::WriteUsiCmd:
        return QStringLiteral("WriteUsiCmd");
    case BenchQid::WriteUsiMode:
        return QStringLiteral("WriteUsiMode");
    case BenchQid::ReadIptRaw:
        return QStringLiteral("ReadIptRaw");
    case BenchQid::ReadIptCur:
        return QStringLiteral("ReadIptCur");
    case BenchQid::ReadIptCurCal:
        return QStringLiteral("ReadIptCurCal");
    case BenchQid::WriteIptCmd:
        return QStringLiteral("WriteIptCmd");
    case BenchQid::WriteIptDac:
        return QStringLiteral("WriteIptDac");
    case BenchQid::WriteIptScale:
        return QStringLiteral("WriteIptScale");
    case BenchQid::WriteIptOffset:
        return QStringLiteral("WriteIptOffset");
    }
    return {};
}
