#include "imr/delayline.h"

#include <cmath>

namespace
{

constexpr double kM = kCalibConversions;
constexpr double kUnstableVariance = 5.0;

double Variance(quint32 sum, quint32 sumSq)
{
    const double s = sum;
    return (double(sumSq) - s * s / kM) / (kM - 1);
}

// True when a is not greater than b; a NaN on either side says no.
bool NotGreater(double a, double b)
{
    return !std::isnan(a) && !std::isnan(b) && a <= b;
}

} // namespace

void DeriveChannel(TCalibChannel &ch)
{
    ch.A = double(ch.S0) / (8 * kM);
    ch.Xm = double(ch.S1) / kM;
    ch.sX2 = Variance(ch.S1, ch.S2);
    ch.Ym = double(ch.S3) / kM;
    ch.sY2 = Variance(ch.S3, ch.S4);
    ch.unstable = !(ch.sY2 <= kUnstableVariance);
}

int ChooseChannel(const TCalibChannel &ch0, const TCalibChannel &ch1)
{
    if (ch0.unstable != ch1.unstable)
        return ch0.unstable ? 1 : 0;
    if (!ch0.unstable)
        return NotGreater(std::fabs(ch1.Ym - 128), std::fabs(ch0.Ym - 128)) ? 1 : 0;
    return NotGreater(ch1.sY2, ch0.sY2) ? 1 : 0;
}

DelayLineResult ComputeDelayLine(const DelayLineInput &in, TCalibChannel ch[2], double fineCorr)
{
    DelayLineResult r;
    r.Tosc = 1000.0 / (double(in.Fosc) / 1e8);
    r.DacStep = (in.T1 - in.T0) / 255.0;
    DeriveChannel(ch[0]);
    DeriveChannel(ch[1]);

    TCalibChannel &c0 = ch[0];
    c0.D = (c0.A + 1) * r.Tosc - c0.Ym * r.DacStep;
    // A noisy first code keeps the correction of the last good calibration.
    if (!(c0.sX2 >= 5))
        fineCorr = c0.Xm * r.DacStep;
    if (fineCorr >= r.Tosc / 2)
        c0.D -= r.Tosc - fineCorr;
    else
        c0.D += fineCorr;
    r.FineCorr = fineCorr;

    TCalibChannel &c1 = ch[1];
    c1.D = (c1.A + 0.5) * r.Tosc - c1.Ym * r.DacStep - (r.Tosc / 2 - c1.Xm * r.DacStep);

    r.chosen = ChooseChannel(c0, c1);
    r.DelayStep = ch[r.chosen].D;
    // A zero quartz frequency or a broken reading must not become a delay the
    // imitation divides by.
    r.valid = std::isfinite(r.DelayStep) && r.DelayStep > 0;
    return r;
}
