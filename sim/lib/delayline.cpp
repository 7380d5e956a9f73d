#include "delayline.h"

#include "simclock.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr double kMaxCode = 65535.0; // the fine codes' counters are 16 bits wide

struct ChannelTarget {
    double coarse; // A, quartz periods
    double x;      // mean of X, codes
    double y;      // mean of Y, codes
};

// Puts M integer samples around `mean` (jittered by the noise) into sum and sum of squares.
void Accumulate(double mean, int m, Noise &noise, quint32 *sum, quint32 *squares)
{
    const double base = std::floor(mean);
    const int ups = int(std::lround((mean - base) * m));
    quint32 s = 0, q = 0;
    for (int i = 0; i < m; ++i) {
        const qint64 v = std::max<qint64>(0, qint64(base) + (i < ups ? 1 : 0) + noise.Step());
        s += quint32(v);
        q += quint32(v * v);
    }
    *sum = s;
    *squares = q;
}

// S0 is a 32-bit sum and the codes have 16-bit counters: a delay the converter
// would need more counts for never ends its conversion.
bool Fits(const ChannelTarget &t, int m)
{
    const auto code = [](double v) { return v >= 0.0 && v <= kMaxCode; }; // false for NaN too
    const double s0 = t.coarse * 8.0 * m;
    return s0 >= 0.0 && s0 <= 4294967295.0 && code(t.x) && code(t.y);
}

void Fill(const ChannelTarget &t, int m, Noise &noise, quint32 *sums)
{
    sums[0] = quint32(std::llround(t.coarse * 8.0 * m)); // long is 32 bits on Windows
    Accumulate(t.x, m, noise, &sums[1], &sums[2]);
    Accumulate(t.y, m, noise, &sums[3], &sums[4]);
}

} // namespace

bool MakeCalibrationSums(double delayNs, quint32 fosc, double t0, double t1, int conversions, Noise &noise,
                         CalibrationSums *out)
{
    if (fosc == 0 || conversions < 1 || !(t1 > t0) || !std::isfinite(t1 - t0) || !(delayNs > 0))
        return false;
    const double tosc = 1000.0 / (fosc / 1e8);
    const double step = (t1 - t0) / 255.0;
    // Whole periods plus a remainder in (-T/2, T/2] that the two codes make up.
    const double n = std::floor(delayNs / tosc + 0.5);
    const double c = (delayNs - n * tosc) / step; // X - Y in codes
    const double half = tosc / 2.0 / step;        // codes of half a period
    const double margin = 4.0;                    // keeps the noise off the branch edge
    // The fine ramp has to span half a quartz period within its 16-bit counter.
    if (!(half + margin <= kMaxCode))
        return false;

    // Channel 1: D = (A + 0.5)T - Y*s - (T/2 - X*s) = A*T + (X - Y)*s.
    double x1 = 128.0 + c / 2.0, y1 = 128.0 - c / 2.0;
    const double lift = std::max(0.0, 2.0 - std::min(x1, y1));
    x1 += lift;
    y1 += lift;
    const ChannelTarget ch1{n, x1, y1};

    // Channel 0: with X*s below T/2 the fine correction is added, D = (A + 1)T + (X - Y)s;
    // above it, it is subtracted, D = A*T + (X - Y)s.
    ChannelTarget ch0;
    const double lo = std::max(2.0, 2.0 + c), hi = half - margin;
    if (n >= 1 && lo <= hi) {
        const double x0 = std::clamp(x1, lo, hi);
        ch0 = {n - 1, x0, x0 - c};
    } else {
        const double x0 = std::max({x1, half + margin, c + 2.0});
        ch0 = {n, x0, x0 - c};
    }
    if (!Fits(ch0, conversions) || !Fits(ch1, conversions))
        return false;
    Fill(ch0, conversions, noise, out->data());
    Fill(ch1, conversions, noise, out->data() + 5);
    return true;
}
