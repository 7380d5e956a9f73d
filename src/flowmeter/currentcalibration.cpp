#include "flowmeter/currentcalibration.h"

#include <cmath>

namespace CurrentCalibration
{
namespace
{
// The table holds single-precision values: a current typed exactly on a limit
// must not fail for the last bit of its float.
constexpr double kSlack = 1e-4;
} // namespace

bool PointWithinTolerance(int k, float measuredMa)
{
    const double i = measuredMa;
    if (!std::isfinite(i) || k < 0 || k >= kPoints)
        return false;
    if (k == 0)
        return std::fabs(i) <= 0.2 + kSlack;
    const double ref = kReferenceMa[size_t(k)];
    return std::fabs(i - ref) / ref * 100.0 <= 5.0 + kSlack;
}

bool WithinTolerance(const std::array<float, kPoints> &measuredMa)
{
    for (int k = 0; k < kPoints; ++k)
        if (!PointWithinTolerance(k, measuredMa[size_t(k)]))
            return false;
    return true;
}
} // namespace CurrentCalibration
