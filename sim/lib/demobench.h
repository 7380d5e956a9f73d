#pragma once

#include "simoptions.h"

#include <QObject>
#include <QString>

class SimBench;

// The simulated bench running inside the monitor (demo mode): both lines on free
// loopback ports, event-driven in the caller's thread, model row 0, with noise.
class DemoBench : public QObject
{
    Q_OBJECT
public:
    explicit DemoBench(QObject *parent = nullptr);
    // Other addresses, model, delay or faults; the endpoints are always free loopback ports.
    explicit DemoBench(SimOptions options, QObject *parent = nullptr);
    ~DemoBench() override;

    bool Start(QString *error);
    QString BenchEndpoint() const;     // "tcp://127.0.0.1:PORT"
    QString FlowmeterEndpoint() const; // "tcp://127.0.0.1:PORT"
    int ImrAddress() const;
    int UsiAddress() const;
    int IptAddress() const;
    int FlowmeterAddress() const;

    SimBench &Bench() { return *bench_; }

private:
    SimBench *bench_;
};
