#pragma once

#include "session/benchtypes.h"

#include <QtGlobal>

// Number of conversions of one calibration; the module is told this before each run.
constexpr int kCalibConversions = 10;

// What the module returned for one calibration.
struct DelayLineInput {
    quint32 Fosc = 0; // units of 10^-8 MHz
    double T0 = 0;    // ns
    double T1 = 0;    // ns
};

struct DelayLineResult {
    double Tosc = 0;    // ns
    double DacStep = 0; // ns per code step
    double FineCorr = 0;
    int chosen = 0; // channel whose delay became the step
    double DelayStep = 0;
    bool valid = false; // false when the figures give no usable delay (e.g. Fosc 0)
};

// Fills A, Xm, sX2, Ym, sY2 and unstable of a channel from its sums.
void DeriveChannel(TCalibChannel &ch);

// Channel to use (0 or 1) from two derived channels.
int ChooseChannel(const TCalibChannel &ch0, const TCalibChannel &ch1);

// The whole computation: derives both channels (D included) and picks the delay of
// one delayed pulse. fineCorr is the value kept from the previous calibration.
DelayLineResult ComputeDelayLine(const DelayLineInput &in, TCalibChannel ch[2], double fineCorr);
