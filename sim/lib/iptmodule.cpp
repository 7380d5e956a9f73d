#include "iptmodule.h"

#include "flowmeter.h"
#include "simclock.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kRaw = 0x8000, kCurrents = 0xC000, kDac = 0x4000, kScale = 0xC000, kOffset = 0xC008;
// The converters as built: each channel's own gain and zero, which its factory
// scale and offset registers hold.
constexpr double kHwScale[4] = {3.0e-5, 3.0012e-5, 2.9988e-5, 3.0006e-5};
constexpr double kHwOffset[4] = {-3.0, -2.99, -3.01, -3.0};
} // namespace

IptModule::IptModule(int address, Noise &noise)
    : BenchModule(address, "ЦТМ-ИПТ ТЕВОР ЦТМ ИПТ 31.04.03.01"), noise_(noise)
{
    Define(Space::Input, kRaw, 8, false);
    Define(Space::Input, kCurrents, 8, false);
    Define(Space::Holding, 3, 1, true);
    Define(Space::Holding, kDac, 1, true);
    Define(Space::Holding, kScale, 16, true);
    for (int ch = 0; ch < 4; ++ch) {
        SetFloat(Space::Holding, kScale + 2 * ch, float(kHwScale[ch]));
        SetFloat(Space::Holding, kOffset + 2 * ch, float(kHwOffset[ch]));
    }
}

double IptModule::ReferenceMa() const
{
    return Get(Space::Holding, kDac) / 65535.0 * kFullScaleMa;
}

double IptModule::InputMa(int channel) const
{
    const int mode = Get(Space::Holding, 3);
    if (mode == channel + 1 || channel == 2)
        return ReferenceMa();
    constexpr int kOutputOf[4] = {0, 1, -1, 2};
    if (flowmeter_ && channel >= 0 && channel < 4 && kOutputOf[channel] >= 0)
        return flowmeter_->OutputCurrent(kOutputOf[channel]);
    return 0.0;
}

void IptModule::BeforeRead(Space space, int, int)
{
    if (space != Space::Input)
        return;
    for (int ch = 0; ch < 4; ++ch) {
        const double raw = (InputMa(ch) - kHwOffset[ch]) / kHwScale[ch] + noise_.Uniform(15.0);
        const quint32 sum = quint32(std::lround(std::clamp(raw, 0.0, 4.0e9)));
        Set32(Space::Input, kRaw + 2 * ch, sum);
        const double ma = double(GetFloat(Space::Holding, kScale + 2 * ch)) * sum +
                          double(GetFloat(Space::Holding, kOffset + 2 * ch));
        SetFloat(Space::Input, kCurrents + 2 * ch, float(ma));
    }
}

quint8 IptModule::CheckWrite(Space space, int address, const QList<quint16> &values)
{
    if (quint8 ex = BenchModule::CheckWrite(space, address, values))
        return ex;
    return space == Space::Holding && !InRange(address, values, 3, 1, 0, 4) ? quint8(exIllegalValue)
                                                                            : quint8(exOk);
}
