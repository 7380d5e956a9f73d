#pragma once

#include "benchmodule.h"

class Flowmeter;
class Noise;

// The current meter: four channels that turn raw sums into mA with their scale and
// offset registers, and the AD420 reference current output. Channels 1, 2 and 4 are
// wired to the flowmeter's current outputs 0, 1 and 2, channel 3 to the reference
// output; in calibration mode n the reference drives channel n.
class IptModule : public BenchModule
{
public:
    static constexpr double kFullScaleMa = 23.999334;

    IptModule(int address, Noise &noise);
    // Converter faults a technician meets: a gain off by a factor, a channel stuck.
    void SetConverterFaults(double gain, int stuckChannel) { gain_ = gain; stuck_ = stuckChannel; }
    void SetFlowmeter(const Flowmeter *flowmeter) { flowmeter_ = flowmeter; }
    double ReferenceMa() const;
    double InputMa(int channel) const;
    // The calibration of channel 1..4 as its registers hold it.
    float Scale(int channel) const { return GetFloat(Space::Holding, 0xC000 + 2 * (channel - 1)); }
    float Offset(int channel) const { return GetFloat(Space::Holding, 0xC008 + 2 * (channel - 1)); }

protected:
    void BeforeRead(Space space, int address, int count) override;
    quint8 CheckWrite(Space space, int address, const QList<quint16> &values) override;

private:
    Noise &noise_;
    const Flowmeter *flowmeter_ = nullptr;
    double gain_ = 1.0;
    int stuck_ = 0;
};
