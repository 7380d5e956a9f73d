#pragma once

#include "benchmodule.h"

class Flowmeter;
class Noise;
class SimClock;

// The flow imitation module: its automaton, the imitation clock, the delay-line
// calibration sums, the autocirculation count and the tuning modes.
class ImrModule : public BenchModule
{
public:
    enum State {
        Idle = 0,
        Entering = 1,
        Imitating = 2,
        Leaving = 3,
        Counting = 4,
        TuningDa2 = 5,
        TuningDa1 = 6,
        CheckingLine = 7,
        CheckingPulses = 8
    };

    ImrModule(int address, double delayNs, const SimClock &clock, Noise &noise);
    void SetFlowmeter(const Flowmeter *flowmeter) { flowmeter_ = flowmeter; }

    int StateCode() const { return state_; }
    int LastCommand() const { return last_; }
    // The delayed pulses reach the flowmeter only while imitating towards it.
    bool FeedsFlowmeter() const { return state_ == Imitating && Get(Space::Coil, 2) != 0; }
    int DelayedPulses() const { return Get(Space::Holding, 16386); }
    double DelayNs() const { return delayNs_; }
    quint32 ImitationMs(double nowMs) const;

    // Time of the next change the module makes by itself (infinity if none).
    double NextEventMs() const;
    // Makes the changes due at `nowMs`.
    void Step(double nowMs);

    // How long the entry, exit and counting states last at most, and after how many
    // status reads they end at the latest (a flowmeter's TEXT signal falls quickly).
    static constexpr double kTransientMs = 20.0;
    static constexpr int kTransientReads = 3;

protected:
    void BeforeRead(Space space, int address, int count) override;
    quint8 CheckWrite(Space space, int address, const QList<quint16> &values) override;
    void AfterWrite(Space space, int address, int count) override;

private:
    void Command(int code, double nowMs);
    void StartTransient(int state, int runningCode, int thenState, int thenCode, double nowMs);
    void EndTransient(double nowMs);
    void StopClock(double nowMs);
    void Calibrate();
    void Refuse(int errorCode);

    const SimClock &clock_;
    Noise &noise_;
    const Flowmeter *flowmeter_ = nullptr;
    double delayNs_;
    int state_ = Idle, error_ = 0, last_ = 0;
    // Pending end of an entry, exit or counting state.
    double transientEnd_ = 0;
    int transientReads_ = 0, thenState_ = Idle, thenCode_ = 0;
    // Imitation clock: runs from `clockStart_` while imitating, else holds `clockHeld_`.
    bool clockRunning_ = false;
    double clockStart_ = 0;
    quint32 clockHeld_ = 0;
    quint8 sar_ = 0;
};
