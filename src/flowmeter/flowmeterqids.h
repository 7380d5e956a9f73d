#pragma once

// Task identifiers of the flowmeter client MBCM1 (a QID space of its own).
namespace FlowQid
{
constexpr int DeviceName = 1;     // link test
constexpr int Volume = 2;         // polled, period 1000
constexpr int AutoCirc = 3;       // autocirculation count, once
constexpr int FlowRate = 4;       // polled, period 1000
constexpr int UzsStatus = 15;     // status words of both channels, period 2000 (two-channel model)
constexpr int Mode = 19;          // operating mode, period 1000 (GC model)
constexpr int CalcSlotTypes = 41; // types of the additional slots, for the calculator
constexpr int CalcToki = 42;      // current output calibration table, for the calculator
constexpr int WriteCanal = -5;    // coil 2 at each polling start; not handled

constexpr int PollPeriodMs = 1000;
constexpr int UzsPeriodMs = 2000;
} // namespace FlowQid
