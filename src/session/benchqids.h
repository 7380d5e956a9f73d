#pragma once

// Task identifiers of the bench client MBCM. Every result of one of these tasks
// arrives in BenchSession, which stores its mailbox, decodes reads and hands it
// to the QID's owner. Each line names the register, the class that hands the task
// over, and who takes the result: "waits" = the sender waits on the mailbox named,
// "owner" = the class subscribed to the result.
namespace BenchQid {

// Common module registers.
constexpr int WriteModuleAddress = 1;   // holding 0, byte; TPropertyFrm waits (ResAdr)
constexpr int WriteModuleSpeed = 2;     // holding 1, byte; TPropertyFrm waits (ResSpeed)
constexpr int WriteModuleRts = 3;       // holding 2, byte; TPropertyFrm waits (ResRts)
constexpr int WriteDefaults = -1;       // holding 0..2 broadcast, three bytes; TFrmInit sends, owner TFrmInit
constexpr int DeviceName = 17;          // identification text, addresses 1..10; ModuleSearch sends, owner ModuleSearch

// ИМР
constexpr int WriteEmulBit = 11;        // coil 2; ImrController waits (ResEmulBit)
constexpr int ReadEmulBit = -11;        // coil 2, 1 coil; ImrController waits (ResEmulBit), owner ImrController
constexpr int WritePolarity = 12;       // coil 1; ImrTuningPage waits (ResPolarity)
constexpr int WriteFosc = 232775;       // holding 32774; ImrTuningPage sends, owner ImrTuningPage
constexpr int WriteT0 = 249153;         // holding 0xC000; ImrTuningPage sends, owner ImrTuningPage
constexpr int WriteT1 = 249155;         // holding 0xC002; ImrTuningPage sends, owner ImrTuningPage
constexpr int ReadImrStatus = 300002;   // input 1..3, 3 x byte; ImrController waits (ResImrStatus)
constexpr int ReadDa1 = 300007;         // input 6, byte, period 500; ImrTuningPage sends, owner ImrTuningPage
constexpr int ReadAutoCirc = 316385;    // input 0x4000, word; ImrController waits (ResAutoCirc)
constexpr int ReadAccTime = 332771;     // input 32770, longword; VolumeImit sends and waits (ResAccTime), owner VolumeImit
constexpr int ReadCalib = 332773;       // input 32772, 10 x longword; ImrController waits (ResCalib)
constexpr int WriteImrCmd = 400004;     // holding 3, byte; ImrController waits (ResImrCmd)
constexpr int WriteConvCount = 416386;  // holding 16385, word; ImrController waits (ResConvCount)
constexpr int WritePulseCount = 416387; // holding 16386, word; ImrController waits (ResPulseCount)
constexpr int WriteImitTime = 432773;   // holding 32772, longword; ImrController waits (ResImitTime)
constexpr int ReadFosc = 432775;        // holding 32774, longword; ImrController waits (ResFosc)
constexpr int ReadTimes = 449153;       // holding 0xC000, 2 x float; ImrController waits (ResTimes)

// УСИ
constexpr int ReadUsiModes = 500011;    // coils 0..3; UsiGroup sends, owner UsiGroup
constexpr int ReadUsiCounts = 532769;   // input 0x8000, 4 x longword, period 1000; UsiGroup sends, owner UsiGroup
constexpr int WriteUsiCmd = 600004;     // holding 3, byte; UsiGroup sends; not routed
constexpr int WriteUsiMode = 600011;    // one coil (channel - 1); UsiGroup waits (ResUsiMode)

// ИПТ
constexpr int ReadIptRaw = 732769;      // input 0x8000, 4 x longword; IptTuningPage waits (ResIptRaw)
constexpr int ReadIptCur = 749153;      // input 0xC000, 4 x float, period 1000; IptGroup sends, owner IptGroup
constexpr int ReadIptCurCal = 749154;   // input 0xC000, 4 x float, once; TGsCalibTokForm sends and waits
                                        // (ResIptCurCal), owner IptGroup (its signal feeds the calibration)
constexpr int WriteIptCmd = 800004;     // holding 3, byte; IptTuningPage waits (ResIptCmd)
constexpr int WriteIptDac = 816385;     // holding 0x4000; IptTuningPage waits (ResIptDac)
constexpr int WriteIptScale = 849153;   // holding 49150 + 2 x channel, float; IptTuningPage waits (ResIptScale)
constexpr int WriteIptOffset = 849161;  // holding 49158 + 2 x channel, float; IptTuningPage waits (ResIptOffset)

} // namespace BenchQid
