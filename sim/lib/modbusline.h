#pragma once

#include "faultplan.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <deque>
#include <functional>

class SimDevice;

// What a line sends back for one request.
struct LineReply {
    bool silent = true;   // nobody answers (the client times out)
    bool corrupt = false; // the reply is damaged on the way
    QByteArray pdu;
};

// One Modbus line with its slaves, as on RS-485: a request reaches every device,
// only the addressed one answers, one exchange at a time, at the line's speed.
class ModbusLine : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(const LineReply &)>;

    explicit ModbusLine(QObject *parent = nullptr);

    void AddDevice(SimDevice *device) { devices_.append(device); }
    void SetFaults(const FaultPlan &faults) { faults_ = faults; }
    void SetLineSpeed(int baud) { baud_ = baud; }
    void SetSeed(quint32 seed) { rng_.seed(seed); }
    // Runs before every request is executed, so live values are current.
    void SetBeforeRequest(std::function<void()> hook) { beforeRequest_ = std::move(hook); }

    // Queues a request; `done` runs when the answer has travelled (possibly at once).
    void Submit(quint8 unit, const QByteArray &pdu, Done done);
    // The reply as the devices give it, without faults or timing.
    LineReply Execute(quint8 unit, const QByteArray &pdu);

    // Time a request and its reply take on the line, in ms (0 without a line speed).
    double TransferMs(int requestPduBytes, int replyPduBytes) const;
    // The silence that ends a frame at the line's speed.
    double SilenceMs() const;
    // A start bit, eight data bits and a stop bit.
    static constexpr double kBitsPerChar = 10;

private:
    struct Pending {
        quint8 unit;
        QByteArray pdu;
        Done done;
    };
    void RunNext();
    void ApplyFaults(quint8 unit, LineReply *reply);
    bool Chance(double percent);

    QList<SimDevice *> devices_;
    FaultPlan faults_;
    int baud_ = 0;
    QRandomGenerator rng_{20260101u};
    std::function<void()> beforeRequest_;
    std::deque<Pending> queue_;
    bool busy_ = false;
};
