#pragma once

#include <QString>

// Flow rate, m3/h, of one delayed pulse per autocirculation and per ns of delay.
constexpr double kFlowPerPulse = 0.4913328;
// Largest number of delayed pulses minus one that is written.
constexpr int kMaxPulseCount = 1023;
// Takes the place of the autocirculation count while the imitation is verified.
constexpr int kVerifyDivisor = 256;
// Behaviour class of the flowmeter whose count is offset, and the offset.
constexpr int kOffsetPribType = 3;
constexpr int kPribTypeOffset = 16;

struct ImitFlowInput {
    int Q = 0; // m3/h
    bool verifyMode = false;
    int pribType = 0;
    int autoCircCount = 0;
    double delayStep = 0; // ns
};

struct ImitFlowResult {
    enum Status { Ok, NoAutoCirc, NoDelayStep };
    Status status = Ok;
    int N = 0;        // autocirculations used as the limit
    double d = 0;     // exact count of delayed pulses minus one
    int c = 0;        // written count before the class offset
    int v = 0;        // the value written to the module
    double ImitQ = 0; // the flow rate the count really represents
};

// The autocirculation count the conversion uses for this flowmeter class.
int EffectiveAutoCirc(int pribType, int autoCircCount);

// Count c from the exact count d: the next integer above d, within 0..1023 and
// below the autocirculation count n.
int PulseCountOf(double d, int n);

// Converts a requested flow rate (Q not 0) into the delayed-pulse count.
ImitFlowResult ComputeImitFlow(const ImitFlowInput &in);

// Text of a refused conversion, for the operator.
QString ImitFlowRefusalText(ImitFlowResult::Status status);

// Longest imitation the module's length register (ms, 32 bits) holds, in whole seconds.
constexpr int kMaxImitSeconds = 4294967;

// Imitation length in whole seconds for a volume at the flow rate imitQ; -1 for a
// negative volume or a length the module cannot hold.
int ImitLengthSeconds(double volumeSet, double imitQ);
