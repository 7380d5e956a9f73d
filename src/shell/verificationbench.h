#pragma once

#include "protocol/autorun.h"
#include "shell/tmainfrm.h"


// The bench and the flowmeter of the main window, as an automatic run sees them.
class MainVerificationBench : public VerificationBench
{
public:
    explicit MainVerificationBench(TMainFrm &main) : m_main(main) {}

    QString NotReady() const override;
    bool LinksUp() const override;
    void StartMeasurements(bool current, bool pulses) override;
    std::optional<double> StartFlow(double q) override;
    void StopAll() override;
    std::optional<int> StartVolume(double volume, double q) override;
    bool VolumeRunning() const override;
    double ImitatedVolume() const override;
    quint64 FlowReadings() const override;
    double Flow() const override;
    quint64 VolumeReadings() const override;
    double FlowmeterVolume() const override;
    quint64 CurrentReadings() const override;
    double Current() const override;
    quint64 PulseReadings() const override;
    double Pulses() const override;
    QStringList Modules() const override;
    double DelayStep() const override;
    QString Model() const override;
    QString Flowmeter() const override;
    QString Software() const override;

    // What the run needs besides the links: current meter, pulse counter.
    bool needCurrent = true;
    bool needPulses = true;

private:
    CalcInputs &Inputs() const { return m_main.Session().Calc(); }

    TMainFrm &m_main;
};
