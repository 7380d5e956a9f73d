#pragma once

#include "record/verification.h"

#include <QObject>

#include <optional>

// What an automatic run needs of the bench and the flowmeter under test.
class VerificationBench
{
public:
    virtual ~VerificationBench() = default;

    // Why a run cannot start (links, modules, model), empty when it can.
    virtual QString NotReady() const = 0;
    // Both links are still open.
    virtual bool LinksUp() const = 0;
    // Starts the counts and currents the run reads.
    virtual void StartMeasurements(bool current, bool pulses) = 0;

    // Imitates a flow rate as "Начать имитацию" does; the flow rate really imitated, or
    // empty when the start failed (the bench has said why).
    virtual std::optional<double> StartFlow(double q) = 0;
    // Brings the ИМР to idle.
    virtual void StopAll() = 0;
    // Imitates a volume at a flow rate, ended by the module's own clock; the planned
    // seconds, or empty when the start failed.
    virtual std::optional<int> StartVolume(double volume, double q) = 0;
    virtual bool VolumeRunning() const = 0;
    // The volume the module imitated in the last volume run, m3.
    virtual double ImitatedVolume() const = 0;

    // Polled values; each counter grows with every fresh reading of its value.
    virtual quint64 FlowReadings() const = 0;
    virtual double Flow() const = 0;
    virtual quint64 VolumeReadings() const = 0;
    virtual double FlowmeterVolume() const = 0;
    virtual quint64 CurrentReadings() const = 0;
    virtual double Current() const = 0;
    virtual quint64 PulseReadings() const = 0;
    virtual double Pulses() const = 0;

    // For the protocol.
    virtual QStringList Modules() const = 0;
    virtual double DelayStep() const = 0;
    virtual QString Model() const = 0;
    virtual QString Flowmeter() const = 0;
    // Name and version of this program.
    virtual QString Software() const = 0;
};

// One automatic verification: every point, its readings, then the volume check. Runs
// inside the event loop like the program's other sequences; Stop(), a lost link or any
// failure ends it at once with the ИМР idle.
class AutoRun : public QObject
{
    Q_OBJECT
public:
    AutoRun(VerificationBench &bench, const Verification::Settings &settings, QObject *parent = nullptr);

    // The record of the run; `completed` only when every check was made.
    Verification::Record Run();
    bool Running() const { return m_running; }
    // Why the run ended early, empty after a completed run.
    QString Failure() const { return m_failure; }

    // A polled value that does not come within this time means its source is gone.
    int readingDeadlineMs = 10000;

public Q_SLOTS:
    void Stop();

Q_SIGNALS:
    void StepChanged(const QString &text);
    void ProgressChanged(int percent);
    // A check as it stands after each of its readings.
    void CheckUpdated(const Verification::Check &check);

private:
    bool Pause(double seconds);
    bool Fail(const QString &text);
    bool Step(const QString &text);
    // Progress within the step under way, 0..1.
    void StepProgress(double fraction);
    // Waits for the next value of a counter; false on a stop, a lost link or no reading.
    // With `missing`, no reading in time sets it and does not end the run.
    bool Fresh(quint64 (VerificationBench::*counter)() const, const QString &what, bool *missing = nullptr);
    bool MeasurePoint(double q, Verification::Record &record);
    bool MeasureVolume(double q, Verification::Record &record);

    VerificationBench &m_bench;
    Verification::Settings m_settings;
    bool m_running = false;
    bool m_stop = false;
    QString m_failure;
    int m_step = 0;
    int m_steps = 1;
    bool m_noCurrent = false; // the current stopped coming: its checks are not done
};
