#include "imr/imitflow.h"

#include "link/conventions.h"

#include <cmath>

int EffectiveAutoCirc(int pribType, int autoCircCount)
{
    return pribType == kOffsetPribType ? 256 : autoCircCount;
}

int PulseCountOf(double d, int n)
{
    int c = 0;
    if (!(d <= kMaxPulseCount))
        c = kMaxPulseCount;
    else if (d >= 0) // a whole d of 1023 must still stay in range
        c = int(qMin<qint64>(RoundHalfEven(d + 0.5), kMaxPulseCount));
    return c + 1 > n ? n - 1 : c;
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

    r.c = PulseCountOf(r.d, r.N);
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
    // Written as ms to a 32-bit register: a negative or huge length would wrap.
    if (!(t >= 0 && t < float(kMaxImitSeconds)))
        return -1;
    const qint64 seconds = RoundHalfEven(t) + 1;
    return seconds <= kMaxImitSeconds ? int(seconds) : -1;
}
