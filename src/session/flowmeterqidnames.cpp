#include "session/flowmeterqidnames.h"

#include "session/flowmeterqids.h"

QString FlowQidName(int qid)
{
    switch (qid) {
    case FlowQid::DeviceName:
        return QStringLiteral("DeviceName");
    case FlowQid::Volume:
        return QStringLiteral("Volume");
    case FlowQid::AutoCirc:
        return QStringLiteral("AutoCirc");
    case FlowQid::FlowRate:
        return QStringLiteral("FlowRate");
    case FlowQid::UzsStatus:
        return QStringLiteral("UzsStatus");
    case FlowQid::Mode:
        return QStringLiteral("Mode");
    case FlowQid::CalcSlotTypes:
        return QStringLiteral("CalcSlotTypes");
    case FlowQid::CalcToki:
        return QStringLiteral("CalcToki");
    case FlowQid::WriteCanal:
        return QStringLiteral("WriteCanal");
    }
    return {};
}
