#pragma once

// Test helpers: request PDUs as a Modbus master builds them, and the monitor's own
// arithmetic (delay-line calibration, pulse count) written out independently.

#include "sim/lib/modbusline.h"
#include "sim/lib/simclock.h"

#include <QByteArray>
#include <QList>
#include <cmath>
#include <cstring>

class ManualClock : public SimClock
{
public:
    double NowMs() const override { return now; }
    double now = 0;
};

namespace wire
{

inline QByteArray Word(int v)
{
    QByteArray b;
    b.append(char((v >> 8) & 0xFF));
    b.append(char(v & 0xFF));
    return b;
}

inline QByteArray Read(int fn, int addr, int count)
{
    return QByteArray(1, char(fn)) + Word(addr) + Word(count);
}

inline QByteArray WriteRegs(int addr, const QList<quint16> &values)
{
    QByteArray p = QByteArray(1, char(0x10)) + Word(addr) + Word(int(values.size()));
    p.append(char(values.size() * 2));
    for (quint16 v : values)
        p += Word(v);
    return p;
}

inline QByteArray WriteCoil(int addr, bool on)
{
    return QByteArray(1, char(0x05)) + Word(addr) + Word(on ? 0xFF00 : 0);
}

inline QList<quint16> Registers(const LineReply &r)
{
    QList<quint16> out;
    if (r.silent || r.pdu.size() < 2 || (quint8(r.pdu[0]) & 0x80))
        return out;
    for (int i = 2; i + 1 < r.pdu.size(); i += 2)
        out.append(quint16((quint8(r.pdu[i]) << 8) | quint8(r.pdu[i + 1])));
    return out;
}

// Data bytes of a coil read.
inline QByteArray Bits(const LineReply &r)
{
    return r.silent || r.pdu.size() < 2 ? QByteArray() : r.pdu.mid(2);
}

inline quint32 U32(const QList<quint16> &r, int i)
{
    return (quint32(r.value(i)) << 16) | r.value(i + 1);
}

inline float F32(const QList<quint16> &r, int i)
{
    const quint32 bits = U32(r, i);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

inline QList<quint16> FloatRegs(float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    return {quint16(bits >> 16), quint16(bits & 0xFFFF)};
}

inline QList<quint16> U32Regs(quint32 v)
{
    return {quint16(v >> 16), quint16(v & 0xFFFF)};
}

// Exception code of a reply, 0 for a normal one.
inline int ExceptionOf(const LineReply &r)
{
    return (!r.silent && r.pdu.size() == 2 && (quint8(r.pdu[0]) & 0x80)) ? quint8(r.pdu[1]) : 0;
}

constexpr double K = 0.4913328;

// The delay of one delayed pulse from the ten calibration sums, M = 10.
inline double DelayFromSums(const quint32 s[10], quint32 fosc, double t0, double t1)
{
    const double m = 10, tosc = 1000.0 / (fosc / 1e8), dac = (t1 - t0) / 255.0;
    double a[2], x[2], sx[2], y[2], sy[2];
    for (int c = 0; c < 2; ++c) {
        const quint32 *p = s + 5 * c;
        a[c] = p[0] / (8 * m);
        x[c] = p[1] / m;
        sx[c] = (p[2] - double(p[1]) * p[1] / m) / (m - 1);
        y[c] = p[3] / m;
        sy[c] = (p[4] - double(p[3]) * p[3] / m) / (m - 1);
    }
    double d0 = (a[0] + 1) * tosc - y[0] * dac;
    const double fine = sx[0] < 5 ? x[0] * dac : 0;
    d0 = fine >= tosc / 2 ? d0 - (tosc - fine) : d0 + fine;
    const double d1 = (a[1] + 0.5) * tosc - y[1] * dac - (tosc / 2 - x[1] * dac);
    const bool u0 = !(sy[0] <= 5), u1 = !(sy[1] <= 5);
    bool one;
    if (u0 == u1)
        one = u0 ? sy[1] <= sy[0] : std::fabs(y[1] - 128) <= std::fabs(y[0] - 128);
    else
        one = u0;
    return one ? d1 : d0;
}

// Delayed pulses the monitor writes for flow q (m³/h) with N circulations.
inline int PulseCount(int q, int n, double delayStep)
{
    const double d = double(n) * q / (K * delayStep) - 1;
    int c = d > 1023 || std::isnan(d) ? 1023 : d < 0 ? 0 : int(std::nearbyint(d + 0.5));
    if (c + 1 > n)
        c = n - 1;
    return c;
}

} // namespace wire
