#pragma once

#include <QtGlobal>
#include <array>

class Noise;

// Raw sums of one delay-line calibration: per channel S0 (coarse counts, 8 per
// quartz period), S1/S2 (sum and sum of squares of the first code X) and S3/S4
// (the same of the second code Y), channel 0 first.
using CalibrationSums = std::array<quint32, 10>;

// The sums a delay line of `delayNs` gives over `conversions` conversions with the
// quartz frequency `fosc` (units of 1e-8 MHz) and DAC times t0, t1 (ns). False when
// the converter cannot work with these settings (no end of conversion): no quartz,
// t1 not above t0, or a step so fine (t1 - t0 near 0) that a code would pass the
// 16 bits of its counter.
bool MakeCalibrationSums(double delayNs, quint32 fosc, double t0, double t1, int conversions, Noise &noise,
                         CalibrationSums *out);
