#pragma once

// Task identifiers of the bench client MBCM. Every result of one of these tasks
// arrives in BenchSession, which stores its mailbox, decodes reads and hands it
// to the QID's owner.
namespace BenchQid {

// Common module registers (module properties and default settings windows).
constexpr int WriteModuleAddress = 1;   // holding 0, byte
constexpr int WriteModuleSpeed = 2;     // holding 1, byte
constexpr int WriteModuleRts = 3;       // holding 2, byte
constexpr int WriteDefaults = -1;       // holding 0..2 broadcast, three bytes
constexpr int DeviceName = 17;          // identification text, addresses 1..10

// ИМР
constexpr int WriteEmulBit = 11;        // coil 2
constexpr int ReadEmulBit = -11;        // coil 2, 1 coil
constexpr int WritePolarity = 12;       // coil 1
constexpr int WriteFosc = 232775;       // holding 32774
constexpr int WriteT0 = 249153;         // holding 0xC000
constexpr int WriteT1 = 249155;         // holding 0xC002
constexpr int ReadImrStatus = 300002;   // input 1..3, 3 x byte
constexpr int ReadDa1 = 300007;         // input 6, byte, period 500
constexpr int ReadAutoCirc = 316385;    // input 0x4000, word
constexpr int ReadAccTime = 332771;     // input 32770, longword
constexpr int ReadCalib = 332773;       // input 32772, 10 x longword
constexpr int WriteImrCmd = 400004;     // holding 3, byte
constexpr int WriteConvCount = 416386;  // holding 16385, word
constexpr int WritePulseCount = 416387; // holding 16386, word
constexpr int WriteImitTime = 432773;   // holding 32772, longword
constexpr int ReadFosc = 432775;        // holding 32774, longword
constexpr int ReadTimes = 449153;       // holding 0xC000, 2 x float

// УСИ
constexpr int ReadUsiModes = 500011;    // coils 0..3
constexpr int ReadUsiCounts = 532769;   // input 0x8000, 4 x longword, period 1000
constexpr int WriteUsiCmd = 600004;     // holding 3, byte; not routed
constexpr int WriteUsiMode = 600011;    // one coil (channel - 1)

// ИПТ
constexpr int ReadIptRaw = 732769;      // input 0x8000, 4 x longword
constexpr int ReadIptCur = 749153;      // input 0xC000, 4 x float, period 1000
constexpr int ReadIptCurCal = 749154;   // input 0xC000, 4 x float, once
constexpr int WriteIptCmd = 800004;     // holding 3, byte
constexpr int WriteIptDac = 816385;     // holding 0x4000
constexpr int WriteIptScale = 849153;   // holding 49150 + 2 x channel, float
constexpr int WriteIptOffset = 849161;  // holding 49158 + 2 x channel, float

} // namespace BenchQid
