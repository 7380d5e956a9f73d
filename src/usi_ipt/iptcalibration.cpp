#include "usi_ipt/iptcalibration.h"

#include <cmath>

namespace IptCalibration
{

Fit FitLine(double x1, double x2, Line *line)
{
    using R = long double;
    const R y1 = 0.0L;
    const R y2 = R(kFullScaleMa);
    const R sx = R(x1) + R(x2);
    const R sy = y1 + y2;
    const R sxx = R(x1) * R(x1) + R(x2) * R(x2);
    const R sxy = R(x1) * y1 + R(x2) * y2;
    const R d = sx * sx - 2 * sxx;
    if (d == 0)
        return Fit::EqualSums;
    const R scale = (sx * sy - 2 * sxy) / d;
    const R offset = (sy - scale * sx) / 2;
    line->scale = double(scale);
    line->offset = double(offset);
    const bool inside = scale >= 2e-5L && scale <= 4e-5L && offset >= -4.0L && offset <= -2.0L;
    return inside ? Fit::Ok : Fit::OutOfLimits;
}

quint16 DacCode(int p)
{
    if (p <= 0)
        return 0;
    return quint16(std::nearbyint(qMin(p, 24) * 2730.625));
}

} // namespace IptCalibration
