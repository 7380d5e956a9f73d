#include "demobench.h"

#include "simbench.h"

namespace
{
SimOptions OnLoopback(SimOptions o)
{
    o.bench = "tcp://127.0.0.1:0";
    o.flowmeter = "tcp://127.0.0.1:0";
    return o;
}
} // namespace

DemoBench::DemoBench(QObject *parent) : DemoBench(SimOptions(), parent) {}

DemoBench::DemoBench(SimOptions options, QObject *parent)
    : QObject(parent), bench_(new SimBench(OnLoopback(std::move(options)), this))
{
}

DemoBench::~DemoBench() = default;

bool DemoBench::Start(QString *error)
{
    return bench_->Start(error);
}
QString DemoBench::BenchEndpoint() const
{
    return bench_->BenchEndpoint();
}
QString DemoBench::FlowmeterEndpoint() const
{
    return bench_->FlowmeterEndpoint();
}
int DemoBench::ImrAddress() const
{
    return bench_->Options().imrAddress;
}
int DemoBench::UsiAddress() const
{
    return bench_->Options().usiAddress;
}
int DemoBench::IptAddress() const
{
    return bench_->Options().iptAddress;
}
int DemoBench::FlowmeterAddress() const
{
    return bench_->Options().flowmeterAddress;
}
