#include "modbusline.h"

#include "modbuspdu.h"
#include "simdevice.h"

#include <QPointer>
#include <QDeadlineTimer>
#include <QTimer>

#include <chrono>
#include <thread>

ModbusLine::ModbusLine(QObject *parent) : QObject(parent) {}

void ModbusLine::Submit(quint8 unit, const QByteArray &pdu, Done done)
{
    queue_.push_back(Pending{unit, pdu, std::move(done)});
    if (!busy_)
        RunNext();
}

void ModbusLine::RunNext()
{
    while (!queue_.empty()) {
        Pending p = std::move(queue_.front());
        queue_.pop_front();
        LineReply reply = Execute(p.unit, p.pdu);
        ApplyFaults(p.unit, &reply);
        double ms = TransferMs(int(p.pdu.size()), reply.silent ? -1 : int(reply.pdu.size()));
        if (!reply.silent)
            ms += faults_.slowMs;
        if (ms < 0.5) {
            p.done(reply);
            continue;
        }
        busy_ = true;
        QPointer<ModbusLine> self(this);
        // The timer keeps whole milliseconds: it wakes before the time and the rest,
        // under a millisecond, is slept, so a line's rate is not rounded.
        QDeadlineTimer due(Qt::PreciseTimer);
        due.setPreciseRemainingTime(0, qint64(ms * 1e6), Qt::PreciseTimer);
        QTimer::singleShot(int(ms), Qt::PreciseTimer, this, [self, reply, due, done = std::move(p.done)] {
            if (const qint64 rest = due.remainingTimeNSecs(); rest > 0)
                std::this_thread::sleep_for(std::chrono::nanoseconds(rest));
            done(reply);
            if (self) {
                self->busy_ = false;
                self->RunNext();
            }
        });
        return;
    }
}

LineReply ModbusLine::Execute(quint8 unit, const QByteArray &pdu)
{
    if (beforeRequest_)
        beforeRequest_();
    LineReply reply;
    if (pdu.isEmpty())
        return reply;
    if (unit == 0) {
        // Broadcast: every module carries out a write; nobody answers.
        if (IsBroadcastable(quint8(pdu[0])))
            for (SimDevice *d : devices_)
                ServePdu(*d, pdu);
        return reply;
    }
    for (SimDevice *d : devices_) {
        if (d->Address() == unit) {
            reply.pdu = ServePdu(*d, pdu);
            reply.silent = false;
            break;
        }
    }
    return reply;
}

void ModbusLine::ApplyFaults(quint8 unit, LineReply *reply)
{
    if (reply->silent)
        return;
    if (faults_.silentAddresses.contains(unit)) {
        reply->silent = true;
        return;
    }
    for (const auto &f : faults_.exceptions) {
        if (Chance(f.percent)) {
            reply->pdu = ExceptionPdu(quint8(reply->pdu[0]) & 0x7F, quint8(f.code));
            break;
        }
    }
    if (Chance(faults_.crcPercent))
        reply->corrupt = true;
}

bool ModbusLine::Chance(double percent)
{
    if (percent <= 0)
        return false;
    if (percent >= 100)
        return true;
    return rng_.generateDouble() * 100.0 < percent;
}

double ModbusLine::SilenceMs() const
{
    if (baud_ <= 0)
        return 0;
    // 3.5 characters; above 19200 baud the protocol fixes 1.75 ms.
    return baud_ > 19200 ? 1.75 : 3.5 * kBitsPerChar * 1000.0 / baud_;
}

double ModbusLine::TransferMs(int requestPduBytes, int replyPduBytes) const
{
    if (baud_ <= 0)
        return 0;
    // From the request's first character to the reply's last: the request (address,
    // PDU, CRC), the silence that ends it, the reply. The silence before a request is
    // the master's to keep, not the line's.
    const double charMs = kBitsPerChar * 1000.0 / baud_;
    double ms = (requestPduBytes + 3) * charMs;
    if (replyPduBytes >= 0)
        ms += SilenceMs() + (replyPduBytes + 3) * charMs;
    return ms;
}
