#pragma once

#include <array>

// The arithmetic of a current output calibration: four reference points per slot,
// their tolerances and where the flowmeter keeps the measured table.
namespace CurrentCalibration
{
constexpr int kPoints = 4;
constexpr std::array<double, kPoints> kReferenceMa = {0.0, 4.0, 5.0, 20.0};
constexpr int kTableReg = 49196;

// Table entry of point k (0..3) of slot s (0..1); the slots' entries interleave.
constexpr int TableRegister(int k, int s)
{
    return kTableReg + 4 * k + 2 * s;
}

// Point 0 within 0.2 mA of zero, the others within 5 % of their reference.
// A value that is not a number fails.
bool PointWithinTolerance(int k, float measuredMa);
bool WithinTolerance(const std::array<float, kPoints> &measuredMa);
} // namespace CurrentCalibration
