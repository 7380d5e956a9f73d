#include "simbench.h"

#include "endpoint.h"
#include "flowmeter.h"
#include "imrmodule.h"
#include "iptmodule.h"
#include "linetrace.h"
#include "modbusline.h"
#include "simclock.h"
#include "usimodule.h"

#include <algorithm>

namespace
{
constexpr quint32 kExactSeed = 12345u;
constexpr int kDefaultSerialBaud = 9600;
} // namespace

SimBench::SimBench(const SimOptions &options, QObject *parent)
    : QObject(parent), options_(options), ownClock_(std::make_unique<SteadyClock>()), clock_(ownClock_.get())
{
    Build();
}

SimBench::SimBench(const SimOptions &options, const SimClock *clock, QObject *parent)
    : QObject(parent), options_(options), clock_(clock)
{
    Build();
}

SimBench::~SimBench() = default;

void SimBench::Build()
{
    noise_ = std::make_unique<Noise>(options_.exact, options_.exact ? kExactSeed : 0);
    imr_ = std::make_unique<ImrModule>(options_.imrAddress, options_.delayNs, *clock_, *noise_);
    usi_ = std::make_unique<UsiModule>(options_.usiAddress);
    ipt_ = std::make_unique<IptModule>(options_.iptAddress, *noise_);
    ipt_->SetConverterFaults(options_.iptGain, options_.iptStuck);
    meter_ = std::make_unique<Flowmeter>(options_.flowmeterAddress, options_.model, options_.flowErrorPercent,
                                         *clock_, *noise_);
    meter_->SetGsChannels(options_.gcChannels);
    meter_->SetSlotError(options_.slotErrorPercent, options_.slotErrorMa);
    meter_->SetMainCurrentError(options_.currentErrorPercent, options_.currentErrorMa);
    imr_->SetFlowmeter(meter_.get());
    imr_->SetFaults(&options_.faults);
    usi_->SetFaults(&options_.faults);
    ipt_->SetFaults(&options_.faults);
    meter_->SetFaults(&options_.faults);
    usi_->SetFlowmeter(meter_.get());
    ipt_->SetFlowmeter(meter_.get());
    meter_->SetImr(imr_.get());

    benchLine_ = new ModbusLine(this);
    flowLine_ = new ModbusLine(this);
    benchLine_->AddDevice(imr_.get());
    benchLine_->AddDevice(usi_.get());
    benchLine_->AddDevice(ipt_.get());
    flowLine_->AddDevice(meter_.get());
    for (ModbusLine *line : {benchLine_, flowLine_}) {
        line->SetFaults(options_.faults);
        line->SetLineSpeed(options_.lineSpeed);
        line->SetBeforeRequest([this] { Advance(); });
        if (options_.exact)
            line->SetSeed(kExactSeed);
    }
}

bool SimBench::Start(QString *error)
{
    const int baud = options_.lineSpeed > 0 ? options_.lineSpeed : kDefaultSerialBaud;
    benchEndpoint_ = Endpoint::Open(options_.bench, benchLine_, baud, error);
    if (!benchEndpoint_)
        return false;
    flowEndpoint_ = Endpoint::Open(options_.flowmeter, flowLine_, baud, error);
    if (!flowEndpoint_) {
        benchEndpoint_.reset();
        return false;
    }
    if (options_.trace) {
        benchTrace_ = std::make_unique<LineTrace>(QStringLiteral("bench"), stdout);
        flowTrace_ = std::make_unique<LineTrace>(QStringLiteral("flowmeter"), stdout);
        benchEndpoint_->SetTrace(benchTrace_.get());
        flowEndpoint_->SetTrace(flowTrace_.get());
    }
    return true;
}

QString SimBench::BenchEndpoint() const
{
    return benchEndpoint_ ? benchEndpoint_->Description() : QString();
}

QString SimBench::FlowmeterEndpoint() const
{
    return flowEndpoint_ ? flowEndpoint_->Description() : QString();
}

void SimBench::Advance()
{
    // The flow is constant between the module's own changes: integrate piecewise.
    const double now = clock_->NowMs();
    for (;;) {
        const double t = std::min(now, imr_->NextEventMs());
        meter_->Integrate(t);
        imr_->Step(t);
        if (t >= now)
            return;
    }
}
