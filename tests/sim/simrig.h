#pragma once

// A simulated bench on a manual clock, driven by request PDUs without sockets.

#include "simwire.h"

#include "sim/lib/imrmodule.h"
#include "sim/lib/simbench.h"

#include <memory>

inline SimOptions ExactOptions(int model = 0)
{
    SimOptions o;
    o.exact = true;
    o.model = model;
    return o;
}

struct SimRig {
    explicit SimRig(const SimOptions &o = ExactOptions()) { bench = std::make_unique<SimBench>(o, &clock); }
    static SimOptions Exact(int model = 0) { return ExactOptions(model); }

    LineReply Bench(int unit, const QByteArray &pdu) { return bench->BenchLine().Execute(quint8(unit), pdu); }
    LineReply Meter(const QByteArray &pdu) { return bench->FlowmeterLine().Execute(1, pdu); }
    QList<quint16> Input(int unit, int addr, int count)
    {
        return wire::Registers(Bench(unit, wire::Read(4, addr, count)));
    }
    QList<quint16> Holding(int unit, int addr, int count)
    {
        return wire::Registers(Bench(unit, wire::Read(3, addr, count)));
    }
    int Write(int unit, int addr, const QList<quint16> &v)
    {
        return wire::ExceptionOf(Bench(unit, wire::WriteRegs(addr, v)));
    }
    int Command(int code) { return Write(1, 3, {quint16(code)}); }
    // State, error and last command of the ИМР.
    QList<quint16> Status() { return Input(1, 1, 3); }
    void Pass(double ms) { clock.now += ms; }

    // The monitor's calibration: command 3, then the sums, Fosc, t0 and t1.
    double Calibrate()
    {
        Write(1, 16385, {10});
        Command(3);
        const QList<quint16> s = Input(1, 32772, 20);
        quint32 sums[10];
        for (int i = 0; i < 10; ++i)
            sums[i] = wire::U32(s, 2 * i);
        const QList<quint16> f = Holding(1, 32774, 2), t = Holding(1, 49152, 4);
        return wire::DelayFromSums(sums, wire::U32(f, 0), wire::F32(t, 0), wire::F32(t, 2));
    }

    // Starts an imitation towards the flowmeter with `pulses` delayed pulses.
    void StartImitation(int pulses)
    {
        Bench(1, wire::WriteCoil(2, true));
        Write(1, 32772, wire::U32Regs(0));
        Write(1, 16386, {quint16(pulses)});
        Command(1);
        Pass(ImrModule::kTransientMs + 1);
    }

    float MeterFloat(int fn, int addr)
    {
        return wire::F32(wire::Registers(Meter(wire::Read(fn, addr, 2))), 0);
    }

    ManualClock clock;
    std::unique_ptr<SimBench> bench;
};
