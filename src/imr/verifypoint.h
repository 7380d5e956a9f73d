#pragma once

// The bench verifies its own imitation with the fixed divisor 256 instead of the
// flowmeter's autocirculation count.
constexpr int kVerifyPointDivisor = 256;

struct VerifyPointResult {
    float p = 0;      // exact number of delayed pulses
    int n = 0;        // the number written, 0..256
    double ImitQ = 0; // the flow rate n represents, m3/h
};

// Delayed pulses of the verification point q (m3/h) for a delay step in ns.
VerifyPointResult ComputeVerifyPoint(int q, double delayStep);
