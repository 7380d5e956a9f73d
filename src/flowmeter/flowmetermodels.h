#pragma once

// What one row of the model selector sets up. Rows are bound by index, not by
// text, so the texts may come from the flowmeter type list.
struct FlowmeterModelRow {
    int RegAc;
    int RegQ;
    int RegV;
    int PribType;
    int BenchInterByte; // applied to the bench client, not to the flowmeter link
    const char *AcText; // shown in "Число автоциркуляций"
    int AutoCircCount;
    bool RestartPolling; // false: the model's window restarts it when a channel is chosen
};

constexpr int kFlowmeterModelCount = 7;

// nullptr for an index outside 0..6.
const FlowmeterModelRow *FlowmeterModel(int index);

// Behaviour classes of PribType with a window of their own.
constexpr int kPribTypeGs130 = 2; // two channels, TFlowMeterForm
constexpr int kPribTypeGc = 6;    // up to four channels on input registers, TFlowMeterFormGS
