#pragma once

#include "simoptions.h"

#include <QObject>
#include <memory>

class Endpoint;
class Flowmeter;
class LineTrace;
class ImrModule;
class IptModule;
class ModbusLine;
class Noise;
class SimClock;
class UsiModule;

// The whole simulated bench: the three modules on the bench line, the flowmeter on
// its own line, and the physics that ties them together.
class SimBench : public QObject
{
    Q_OBJECT
public:
    explicit SimBench(const SimOptions &options, QObject *parent = nullptr);
    // Tests pass their own clock; the bench does not own it.
    SimBench(const SimOptions &options, const SimClock *clock, QObject *parent = nullptr);
    ~SimBench() override;

    // Opens both endpoints; false with a message.
    bool Start(QString *error);
    QString BenchEndpoint() const;
    QString FlowmeterEndpoint() const;
    const SimOptions &Options() const { return options_; }

    // Brings every live value up to the present.
    void Advance();

    ModbusLine &BenchLine() { return *benchLine_; }
    ModbusLine &FlowmeterLine() { return *flowLine_; }
    ImrModule &Imr() { return *imr_; }
    UsiModule &Usi() { return *usi_; }
    IptModule &Ipt() { return *ipt_; }
    Flowmeter &Meter() { return *meter_; }

private:
    void Build();

    SimOptions options_;
    std::unique_ptr<SimClock> ownClock_;
    const SimClock *clock_;
    std::unique_ptr<Noise> noise_;
    std::unique_ptr<ImrModule> imr_;
    std::unique_ptr<UsiModule> usi_;
    std::unique_ptr<IptModule> ipt_;
    std::unique_ptr<Flowmeter> meter_;
    ModbusLine *benchLine_ = nullptr;
    ModbusLine *flowLine_ = nullptr;
    std::unique_ptr<LineTrace> benchTrace_; // outlive the endpoints that use them
    std::unique_ptr<LineTrace> flowTrace_;
    std::unique_ptr<Endpoint> benchEndpoint_;
    std::unique_ptr<Endpoint> flowEndpoint_;
};
