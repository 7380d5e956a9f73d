#pragma once

#include <QElapsedTimer>
#include <QRandomGenerator>

// Time source of the simulated devices, in milliseconds since the bench started.
class SimClock
{
public:
    virtual ~SimClock() = default;
    virtual double NowMs() const = 0;
};

class SteadyClock : public SimClock
{
public:
    SteadyClock() { timer_.start(); }
    double NowMs() const override { return timer_.nsecsElapsed() / 1e6; }

private:
    QElapsedTimer timer_;
};

// Small measurement noise; silent when the bench runs exact.
class Noise
{
public:
    explicit Noise(bool exact, quint32 seed = 0)
        : exact_(exact), rng_(seed ? seed : QRandomGenerator::global()->generate())
    {
    }
    bool Exact() const { return exact_; }
    // Uniform in [-amplitude, amplitude].
    double Uniform(double amplitude)
    {
        return exact_ ? 0.0 : (rng_.generateDouble() * 2.0 - 1.0) * amplitude;
    }
    // -1, 0 or +1.
    int Step() { return exact_ ? 0 : int(rng_.bounded(3)) - 1; }

private:
    bool exact_;
    QRandomGenerator rng_;
};
