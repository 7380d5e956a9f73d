#include "flowmeter.h"

#include "faultplan.h"

#include "imrmodule.h"
#include "simclock.h"
#include "win1251.h"

#include <algorithm>
#include <cmath>

namespace
{

struct ModelRow {
    const char *name;
    int divisor; // autocirculations the measurement divides by
    int counted; // what the ИМР counts on the signal
    int offset;  // offset of the delayed-pulse count the model expects
};

// Row 6 sends one start pass more than it circulates, so the ИМР counts one extra.
const ModelRow kRowsTable[Flowmeter::kRows] = {
    {"ЛКТВ-210Н", 256, 256, 0},
    {"Тевор ДН (портативный)", 128, 128, 0},
    {"ГС 130/150", 256, 256, 0},
    {"Тевор ДН (переносной)", 256, 256, 16},
    {"ЛТКВ 210Н с АРУ", 256, 256, 0},
    {"ГС310", 256, 256, 0},
    {"GC", 256, 257, 0},
};

// Row 2 registers.
constexpr int kZeroShift2 = 24, kCutoff2 = 31, kReset2 = 27, kStatus2 = 254;
constexpr int kFlow2[2] = {210, 235}, kVolume2[2] = {219, 244};
// Row 6 registers.
constexpr int kChannels6 = 26, kMode6 = 29, kAc6 = 16480, kFlow6 = 49592, kVolume6 = 49600;
constexpr int kSlotType6 = 7, kCalMode6 = 60, kCalPoint6 = 62, kVerify6 = 74, kChannel6 = 75, kReset6 = 83,
              kMedian6 = 280, kAverage6 = 284, kTable6 = 49196, kUzs6 = 49864, kShift6 = 49872,
              kCutoff6 = 49880;
constexpr double kCalPoints[4] = {0.0, 4.0, 5.0, 20.0};
constexpr int kStoredChannels6 = 4;
// Each channel's own autocirculation count, so a channel change shows in the imitation.
constexpr quint16 kAcPerChannel6[kStoredChannels6] = {256, 240, 224, 208};

} // namespace

Flowmeter::Flowmeter(int address, int row, double errorPercent, const SimClock &clock, Noise &noise)
    : address_(address), row_(std::clamp(row, 0, kRows - 1)), gain_(1.0 + errorPercent / 100.0),
      clock_(clock), noise_(noise)
{
    lastMs_ = clock_.NowMs();
    Define(Space::Coil, 2, 1, true); // channel 2 selection, written by every polling start
    if (row_ == 2)
        DefineTwoChannel();
    else if (row_ == 6)
        DefineMultiChannel();
    else
        DefineSingle();
}

QString Flowmeter::ModelName(int row)
{
    return QString::fromUtf8(kRowsTable[std::clamp(row, 0, kRows - 1)].name);
}

QByteArray Flowmeter::Identification() const
{
    return ToWindows1251(ModelName(row_));
}

int Flowmeter::CountedCirculations() const
{
    const ModelRow &m = kRowsTable[row_];
    return Divisor() + (m.counted - m.divisor);
}

int Flowmeter::Divisor() const
{
    if (row_ == 6)
        return Get(Space::Input, kAc6 + std::clamp(MeasuringChannel(), 0, kStoredChannels6 - 1));
    return kRowsTable[row_].divisor;
}

void Flowmeter::SetGsChannels(int channels)
{
    gsChannels_ = std::clamp(channels, 1, 255);
    if (row_ == 6)
        Set(Space::Input, kChannels6, quint16(gsChannels_));
}

void Flowmeter::SetSlotError(double percent, double mA)
{
    slotErrorPercent_ = percent;
    slotErrorMa_ = mA;
}

void Flowmeter::DefineSingle()
{
    Define(Space::Holding, FlowRegister(0), 2, false);
    Define(Space::Holding, VolumeRegister(0), 2, false);
    if (row_ == 1)
        Define(Space::Holding, 112, 1, false, quint16(kRowsTable[row_].divisor));
    if (row_ == 3)
        Define(Space::Holding, 0, 1, false, quint16(kRowsTable[row_].divisor));
}

void Flowmeter::DefineTwoChannel()
{
    Define(Space::Holding, 0, 1, false, quint16(kRowsTable[row_].divisor));
    Define(Space::Holding, 15, 1, true);
    Define(Space::Holding, 21, 1, true);
    Define(Space::Holding, kZeroShift2, 2, true);
    Define(Space::Holding, kReset2, 2, true);
    Define(Space::Holding, kCutoff2, 2, true);
    Define(Space::Holding, 78, 1, true);
    Define(Space::Holding, 161, 1, true);
    for (int ch = 0; ch < 2; ++ch) {
        Define(Space::Holding, kFlow2[ch], 2, false);
        Define(Space::Holding, kVolume2[ch], 2, false);
    }
    Define(Space::Holding, kStatus2, 2, false);
    Define(Space::Coil, 3, 1, true, 1); // imitator input connected
}

void Flowmeter::DefineMultiChannel()
{
    Define(Space::Input, kChannels6, 1, false, 4);
    Define(Space::Input, kMode6, 1, false);
    Define(Space::Input, kAc6, kStoredChannels6, false);
    for (int ch = 0; ch < kStoredChannels6; ++ch)
        Set(Space::Input, kAc6 + ch, kAcPerChannel6[ch]);
    Define(Space::Input, kFlow6, 8, false);
    Define(Space::Input, kVolume6, 8, false);
    Define(Space::Holding, kSlotType6, 1, true, 2);     // current output
    Define(Space::Holding, kSlotType6 + 1, 1, true, 1); // universal output
    Define(Space::Holding, kCalMode6, 4, true);
    Define(Space::Holding, kVerify6, 1, true, 1);
    Define(Space::Holding, kChannel6, 1, true);
    Define(Space::Holding, kReset6, 4, true);
    Define(Space::Holding, kMedian6, 4, true, 5);
    Define(Space::Holding, kAverage6, 4, true, 10);
    Define(Space::Holding, kTable6, 16, true);
    for (int k = 0; k < 4; ++k)
        for (int s = 0; s < 2; ++s)
            SetFloat(Space::Holding, kTable6 + 4 * k + 2 * s, float(kCalPoints[k]));
    Define(Space::Holding, kUzs6, 24, true);
    for (int k = 0; k < 4; ++k)
        SetFloat(Space::Holding, kUzs6 + 2 * k, 1480.0f);
}

int Flowmeter::Channels() const
{
    return row_ == 2 ? 2 : row_ == 6 ? 4 : 1;
}

int Flowmeter::FlowRegister(int ch) const
{
    switch (row_) {
    case 1:
    case 3:
        return 127;
    case 2:
        return kFlow2[ch];
    case 6:
        return kFlow6 + 2 * ch;
    default:
        return 0;
    }
}

int Flowmeter::VolumeRegister(int ch) const
{
    switch (row_) {
    case 1:
    case 3:
        return 170;
    case 2:
        return kVolume2[ch];
    case 6:
        return kVolume6 + 2 * ch;
    default:
        return 2;
    }
}

int Flowmeter::MeasuringChannel() const
{
    if (row_ == 2)
        return Get(Space::Coil, 2) ? 1 : 0;
    if (row_ == 6)
        return Get(Space::Holding, kChannel6);
    return 0;
}

bool Flowmeter::HasSignal(int channel) const
{
    if (channel != MeasuringChannel())
        return false;
    return row_ != 2 || Get(Space::Coil, 3) != 0;
}

double Flowmeter::ImitatedFlow() const
{
    if (!imr_ || !imr_->FeedsFlowmeter())
        return 0;
    const ModelRow &m = kRowsTable[row_];
    const int pulses = imr_->DelayedPulses() - m.offset + 1;
    if (pulses <= 0)
        return 0;
    return double(pulses) / Divisor() * kFlowPerPulseNs * imr_->DelayNs();
}

double Flowmeter::ShownFlow(int channel) const
{
    double q = HasSignal(channel) ? ImitatedFlow() * gain_ : 0.0;
    double cutoff = 0;
    if (row_ == 2) {
        q += GetFloat(Space::Holding, kZeroShift2);
        cutoff = GetFloat(Space::Holding, kCutoff2);
    } else if (row_ == 6) {
        q += GetFloat(Space::Holding, kShift6 + 2 * channel);
        if (Get(Space::Holding, kVerify6) == 2)
            cutoff = GetFloat(Space::Holding, kCutoff6 + 2 * channel);
    }
    return std::fabs(q) < cutoff ? 0.0 : q;
}

void Flowmeter::Integrate(double nowMs)
{
    const double hours = std::max(0.0, nowMs - lastMs_) / 3.6e6;
    lastMs_ = std::max(lastMs_, nowMs);
    for (int ch = 0; ch < Channels(); ++ch) {
        const double dv = ShownFlow(ch) * hours;
        if (!std::isfinite(dv))
            continue; // a zero shift of inf or NaN written to the meter measures nothing
        volume_[size_t(ch)] += dv;
        if (ch == MeasuringChannel() && dv > 0)
            pulseVolume_ += dv;
    }
}

double Flowmeter::PulseVolume(int output)
{
    constexpr double kVolume[kPulseOutputs] = {kLitrePerPulse, 0.01, 0.0001, 0.1};
    return output >= 0 && output < kPulseOutputs ? kVolume[output] : 0.0;
}

bool Flowmeter::PulseOutputActive(int output)
{
    return output % 2 == 0;
}

quint32 Flowmeter::PulsesEmitted(int output) const
{
    const double v = PulseVolume(output);
    if (!(v > 0))
        return 0;
    const double pulses = std::floor(pulseVolume_ / v);
    return quint32(std::fmod(pulses, 4294967296.0));
}

void Flowmeter::SetMainCurrentError(double percent, double mA)
{
    mainErrorPercent_ = percent;
    mainErrorMa_ = mA;
}

double Flowmeter::OutputCurrent(int output) const
{
    const auto scale = [](double q) { return std::clamp(4.0 + 16.0 * q / 300.0, 3.8, 20.5); };
    if (output == 0)
        return std::clamp(scale(ShownFlow(MeasuringChannel())) * (1.0 + mainErrorPercent_ / 100.0) +
                              mainErrorMa_,
                          0.0, 24.0);
    if (row_ != 6)
        return FixedOutputCurrent(output, ShownFlow(MeasuringChannel()));
    const int slot = output - 1;
    if (slot < 0 || slot > 1 || Get(Space::Holding, kSlotType6 + slot) != 2)
        return 0.0;
    if (Get(Space::Holding, kCalMode6 + slot))
        return SlotRaw(kCalPoints[std::min<int>(3, Get(Space::Holding, kCalPoint6 + slot))]);
    return SlotRaw(SlotCommand(slot, scale(ShownFlow(MeasuringChannel()))));
}

double Flowmeter::SlotRaw(double nominalMa) const
{
    return std::clamp(nominalMa * (1.0 + slotErrorPercent_ / 100.0) + slotErrorMa_, 0.0, 24.0);
}

double Flowmeter::SlotCommand(int slot, double wantedMa) const
{
    // The table says what the output delivered at each nominal point; between the
    // points the output is taken as straight, so the command is read back off it.
    double t[4];
    for (int k = 0; k < 4; ++k) {
        t[k] = GetFloat(Space::Holding, kTable6 + 4 * k + 2 * slot);
        if (!std::isfinite(t[k]) || (k > 0 && t[k] <= t[k - 1]))
            return wantedMa; // a table that cannot be inverted is not applied
    }
    const int a = wantedMa <= t[1] ? 0 : wantedMa <= t[2] ? 1 : 2;
    return kCalPoints[a] + (wantedMa - t[a]) * (kCalPoints[a + 1] - kCalPoints[a]) / (t[a + 1] - t[a]);
}

double Flowmeter::FixedOutputCurrent(int output, double q)
{
    // The main output spans 0..300 m³/h on 4..20 mA; the others show other ranges
    // of the same flow, so each ИПТ channel reads a current of its own.
    switch (output) {
    case 0:
        return std::clamp(4.0 + 16.0 * q / 300.0, 3.8, 20.5);
    case 1:
        return std::clamp(4.0 + 16.0 * q / 150.0, 3.8, 20.5);
    case 2:
        return std::clamp(20.0 * q / 600.0, 0.0, 20.5);
    default:
        return 0.0;
    }
}

void Flowmeter::BeforeRead(Space space, int, int)
{
    if (space == Space::Coil)
        return;
    for (int ch = 0; ch < Channels(); ++ch) {
        const double q = ShownFlow(ch);
        SetFloat(ValueSpace(), FlowRegister(ch), float(q == 0 ? 0 : q * (1.0 + noise_.Uniform(0.001))));
        SetFloat(ValueSpace(), VolumeRegister(ch), float(volume_[size_t(ch)]));
    }
    if (row_ == 2)
        for (int ch = 0; ch < 2; ++ch)
            Set(Space::Holding, kStatus2 + ch, HasSignal(ch) ? 0 : 0x0008);
    if (row_ == 6)
        Set(Space::Input, kMode6, Get(Space::Holding, kVerify6) == 2 ? 1 : 0);
}

quint8 Flowmeter::CheckWrite(Space space, int address, const QList<quint16> &values)
{
    if (space != Space::Holding)
        return exOk;
    if (faults_)
        if (const int code = faults_->Refusal(Address(), address, values))
            return quint8(code);
    for (int i = 0; i < values.size(); ++i) {
        const int a = address + i;
        const quint16 v = values[i];
        bool ok = true;
        if (row_ == 2)
            ok = !((a == 15 || a == 21) && v > 1) && !((a == kReset2 || a == kReset2 + 1) && v > 255);
        if (row_ == 6) {
            if (a == kSlotType6 || a == kSlotType6 + 1)
                ok = v <= 3;
            else if (a == kCalMode6 || a == kCalMode6 + 1)
                ok = v <= 1;
            else if (a == kCalPoint6 || a == kCalPoint6 + 1)
                ok = v <= 3;
            else if (a == kVerify6)
                ok = v == 1 || v == 2;
            else if (a == kChannel6)
                ok = v < std::min(gsChannels_, kStoredChannels6);
            else if ((a >= kReset6 && a < kReset6 + 4) || (a >= kMedian6 && a < kAverage6 + 4))
                ok = v <= 255;
        }
        if (!ok)
            return exIllegalValue;
    }
    return exOk;
}

void Flowmeter::AfterWrite(Space space, int address, int count)
{
    if (space != Space::Holding)
        return;
    for (int a = address; a < address + count; ++a) {
        if (row_ == 2 && (a == kReset2 || a == kReset2 + 1)) {
            if (Get(space, a) == 2)
                volume_[size_t(a - kReset2)] = 0;
            Set(space, a, 0);
        }
        if (row_ == 6 && a >= kReset6 && a < kReset6 + 4) {
            if (Get(space, a) == 1)
                volume_[size_t(a - kReset6)] = 0;
            Set(space, a, 0);
        }
    }
}
