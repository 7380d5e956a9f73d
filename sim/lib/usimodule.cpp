#include "usimodule.h"

#include "flowmeter.h"

namespace
{
constexpr int kCounts = 0x8000;
}

UsiModule::UsiModule(int address) : BenchModule(address, "ЦТМ-УСИ ТЕВОР ЦТМ УСИ 31.03.04.00")
{
    Define(Space::Input, kCounts, 8, false);
    Define(Space::Holding, 3, 1, true);
    Define(Space::Coil, 0, 4, true, 1); // passive inputs
}

quint32 UsiModule::Emitted(int channel) const
{
    return flowmeter_ ? flowmeter_->PulsesEmitted(channel) : 0;
}

bool UsiModule::Counts(int channel) const
{
    const bool passiveInput = Get(Space::Coil, channel) != 0;
    return passiveInput == Flowmeter::PulseOutputActive(channel);
}

void UsiModule::Update()
{
    for (int ch = 0; ch < 4; ++ch) {
        const quint32 now = Emitted(ch);
        if (Counts(ch))
            counts_[size_t(ch)] += now - seen_[size_t(ch)];
        seen_[size_t(ch)] = now;
    }
}

quint32 UsiModule::Count(int channel) const
{
    return counts_[size_t(channel)];
}

void UsiModule::BeforeRead(Space space, int, int)
{
    if (space != Space::Input)
        return;
    Update();
    for (int ch = 0; ch < 4; ++ch)
        Set32(Space::Input, kCounts + 2 * ch, Count(ch));
}

quint8 UsiModule::CheckWrite(Space space, int address, const QList<quint16> &values)
{
    if (quint8 ex = BenchModule::CheckWrite(space, address, values))
        return ex;
    if (space == Space::Holding && !InRange(address, values, 3, 1, 0, 5))
        return exIllegalValue;
    // Pulses until now were counted in the mode before this write.
    Update();
    return exOk;
}

void UsiModule::AfterWrite(Space space, int address, int count)
{
    BenchModule::AfterWrite(space, address, count);
    if (space != Space::Holding || address > 3 || address + count <= 3)
        return;
    const int cmd = Get(Space::Holding, 3);
    for (int ch = 0; ch < 4; ++ch)
        if (cmd == 5 || cmd == ch + 1)
            counts_[size_t(ch)] = 0;
    Set(Space::Holding, 3, 0);
}
