#include "imr/imitflow.h"

#include "link/conventions.h"

#include <cmath>

int EffectiveAutoCirc(int pribType, int autoCircCount)
{
    return pribType == kOffsetPribType ? 256 : autoCircCount;
}

ImitFlowResult ComputeImitFlow(const ImitFlowInput &in)
{
    ImitFlowResult r;
    r.N = EffectiveAutoCirc(in.pribType, in.autoCircCount);
    if (r.N < 1) {
        r.status = ImitFlowResult::NoAutoCirc;
        return r;
    }
    if (!(in.delayStep > 0) || !std::isfinite(in.delayStep)) {
        r.status = ImitFlowResult::NoDelayStep;
        return r;
    }
    const double divisor = in.verifyMode ? kVerifyDivisor : r.N;
    const double step = kFlowPerPulse * in.delayStep;
    r.d = divisor * double(in.Q) / step - 1;

    if (!(r.d <= kMaxPulseCount))
        r.c = kMaxPulseCount;
    else if (r.d < 0)
        r.c = 0;
    else // the next integer above d; a whole d of 1023 must still stay in range
        r.c = int(qMin<qint64>(RoundHalfEven(r.d + 0.5), kMaxPulseCount));
    if (r.c + 1 > r.N)
        r.c = r.N - 1;

    r.v = in.pribType == kOffsetPribType ? r.c + kPribTypeOffset : r.c;
    r.ImitQ = double(r.c + 1) / divisor * step;
    return r;
}

QString ImitFlowRefusalText(ImitFlowResult::Status status)
{
    switch (status) {
    case ImitFlowResult::NoAutoCirc:
        return QStringLiteral("Не подсчитано число автоциркуляций поверяемого прибора: "
                              "нажмите \"Подсчитать\"");
    case ImitFlowResult::NoDelayStep:
        return QStringLiteral("Линия задержки не откалибрована");
    case ImitFlowResult::Ok:
        break;
    }
    return QString();
}

int ImitLengthSeconds(double volumeSet, double imitQ)
{
    const float t = float(volumeSet / imitQ * 3600);
    return int(RoundHalfEven(t)) + 1;
}
