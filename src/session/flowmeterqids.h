#pragma once

// Task identifiers of the flowmeter client MBCM1 (a QID space of its own) that more
// than one class knows; each line names who hands the task over and who owns its
// result. The flowmeter windows keep the QIDs of their own fields beside them.
namespace FlowQid
{
constexpr int DeviceName = 1;     // link test; FlowmeterLink sends, owner FlowmeterLink
constexpr int Volume = 2;         // polled, period 1000; FlowmeterLink sends, owner FlowmeterLink
constexpr int AutoCirc = 3;       // autocirculation count, once; FlowmeterLink sends, owner FlowmeterLink
constexpr int FlowRate = 4;       // polled, period 1000; FlowmeterLink sends, owner FlowmeterLink
constexpr int UzsStatus = 15;     // both channels' status words, period 2000 (two-channel model); FlowmeterLink
constexpr int Mode = 19;          // operating mode, period 1000 (GC model); FlowmeterLink sends, owner FlowmeterLink
constexpr int CalcSlotTypes = 41; // types of the additional slots; TcalcFrm sends, owner TcalcFrm
constexpr int CalcToki = 42;      // current output calibration table; TcalcFrm sends, owner TcalcFrm
constexpr int WriteCanal = -5;    // coil 2 at each polling start; FlowmeterLink sends, not handled

constexpr int PollPeriodMs = 1000;
constexpr int UzsPeriodMs = 2000;
} // namespace FlowQid
