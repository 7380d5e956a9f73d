#include "modbusline.h"

#include "modbuspdu.h"
#include "simdevice.h"

#include <QPointer>
#include <QTimer>
#include <cmath>

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
        QTimer::singleShot(int(std::ceil(ms)), this, [self, reply, done = std::move(p.done)] {
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

double ModbusLine::TransferMs(int requestPduBytes, int replyPduBytes) const
{
    if (baud_ <= 0)
        return 0;
    // RTU frames: address + PDU + CRC, 10 bits a character, 3.5 characters of silence
    // before each frame.
    double chars = requestPduBytes + 3 + 3.5;
    if (replyPduBytes >= 0)
        chars += replyPduBytes + 3 + 3.5;
    return chars * 10.0 * 1000.0 / baud_;
}
