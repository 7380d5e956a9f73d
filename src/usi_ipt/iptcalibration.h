#pragma once

#include <QtGlobal>

// The two-point calibration of a current meter channel: raw sums at the reference
// currents 0 and full scale give the line I = scale · s + offset.
namespace IptCalibration
{

constexpr double kFullScaleMa = 23.999334;
constexpr int kDacFullScale = 65535;

enum class Fit { Ok, EqualSums, OutOfLimits };

struct Line {
    double scale = 0;
    double offset = 0;
};

// Least squares through (x1, 0) and (x2, kFullScaleMa) in extended precision, then the
// limits 2e-5 ≤ scale ≤ 4e-5 and −4 ≤ offset ≤ −2 (inclusive; NaN fails).
Fit FitLine(double x1, double x2, Line *line);

// DAC code of a reference current of p whole mA (0 to 24): p · 65535 / 24, halves to even.
quint16 DacCode(int p);

// Holding registers of channel n (1 to 4).
constexpr int ScaleRegister(int n)
{
    return 0xC000 + 2 * (n - 1);
}
constexpr int OffsetRegister(int n)
{
    return 0xC008 + 2 * (n - 1);
}

} // namespace IptCalibration
