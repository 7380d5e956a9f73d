#pragma once

#include "simdevice.h"

#include <QString>
#include <array>

class ImrModule;
class Noise;
class SimClock;

// The flowmeter under test, one of the model rows 0..6 with its register map. It
// measures the flow rate the ИМР imitates towards it, accumulates volume and drives
// a pulse output (0.001 m³ a pulse) and 4..20 mA current outputs (0..300 m³/h).
struct FaultPlan;

class Flowmeter : public RegisterDevice
{
public:
    static constexpr int kRows = 7;
    static constexpr double kFlowPerPulseNs = 0.4913328; // m³/h per pulse, circulation and ns
    static constexpr double kLitrePerPulse = 0.001;      // m³ of one output pulse

    Flowmeter(int address, int row, double errorPercent, const SimClock &clock, Noise &noise);
    void SetImr(const ImrModule *imr) { imr_ = imr; }

    int Address() const override { return address_; }
    QByteArray Identification() const override;
    static QString ModelName(int row);

    // Autocirculations the ИМР counts on this flowmeter's signal.
    int CountedCirculations() const;
    // Accumulates the volume up to `nowMs`.
    void Integrate(double nowMs);
    // Flow rate the measuring channel shows, without noise, m³/h.
    double ShownFlow(int channel) const;
    int MeasuringChannel() const;
    // Volume accumulated by the measuring channel, m³.
    double Volume() const { return volume_[size_t(MeasuringChannel())]; }
    // The measuring channel sends its TEXT signal through the imitator.
    bool SendsText() const { return HasSignal(MeasuringChannel()); }
    // Pulse outputs 0..3 (УСИ channels 1..4): each its own volume a pulse; an active
    // output drives its own voltage, a passive one is an open collector.
    static constexpr int kPulseOutputs = 4;
    static double PulseVolume(int output);
    static bool PulseOutputActive(int output);
    // Pulses of an output so far, as a 32-bit counter counts them: past 4 294 967 295
    // it starts again from 0.
    quint32 PulsesEmitted(int output) const;
    // Current of output 0 (main), 1 and 2, mA (ИПТ channels 1, 2 and 4 are wired to them);
    // for row 6, outputs 1 and 2 are the additional slots 1 and 2 when they hold a current board.
    double OutputCurrent(int output) const;
    // Row 6: the channel count it reports (the register map has room for four
    // channels' settings; further channels exist but have no registers).
    void SetGsChannels(int channels);
    // Row 6: the error of its slot current outputs before calibration.
    void SetSlotError(double percent, double mA);
    // The error of its main current output (output 0), any row.
    void SetMainCurrentError(double percent, double mA);

    // Refusals aimed at its address, as the modules have; the plan must outlive it.
    void SetFaults(const FaultPlan *faults) { faults_ = faults; }

protected:
    void BeforeRead(Space space, int address, int count) override;
    quint8 CheckWrite(Space space, int address, const QList<quint16> &values) override;
    void AfterWrite(Space space, int address, int count) override;

private:
    const FaultPlan *faults_ = nullptr;
    void DefineSingle();
    void DefineTwoChannel();
    void DefineMultiChannel();
    double ImitatedFlow() const;
    static double FixedOutputCurrent(int output, double q);
    int Divisor() const;
    // Current a slot delivers when told to deliver `nominalMa`, with its own error.
    double SlotRaw(double nominalMa) const;
    // What the slot is told so that, by its calibration table, it delivers `wantedMa`.
    double SlotCommand(int slot, double wantedMa) const;
    bool HasSignal(int channel) const;
    int Channels() const;
    // Register of channel `ch`'s flow rate / volume for this row, -1 if none.
    int FlowRegister(int ch) const;
    int VolumeRegister(int ch) const;
    Space ValueSpace() const { return row_ == 6 ? Space::Input : Space::Holding; }

    int address_;
    int row_;
    double gain_;
    const SimClock &clock_;
    Noise &noise_;
    const ImrModule *imr_ = nullptr;
    std::array<double, 4> volume_{};
    double pulseVolume_ = 0;
    double lastMs_ = 0;
    int gsChannels_ = 4;
    double slotErrorPercent_ = 0;
    double slotErrorMa_ = 0;
    double mainErrorPercent_ = 0;
    double mainErrorMa_ = 0;
};
