// The exchange records of TMBComMaster: built only while something listens, so
// a client nobody watches pays one connection check per execution.
#include "link/exchangeattempts.h"
#include "link/mbvalues.h"
#include "link/tmbcommaster.h"

#include <QDateTime>
#include <QMetaMethod>
#include <QModbusClient>
#include <QModbusRequest>
#include <QModbusResponse>

bool TMBComMaster::Recording() const
{
    static const QMetaMethod signal = QMetaMethod::fromSignal(&IMBComMaster::ExchangeRecorded);
    return isSignalConnected(signal);
}

void TMBComMaster::RecordRequest(Task &task) const
{
    if (!Recording())
        return;
    const QModbusRequest pdu = RequestPdu(task);
    task.sent.startMs = QDateTime::currentMSecsSinceEpoch();
    task.sent.request.reserve(2 + pdu.dataSize());
    task.sent.request.append(char(task.device));
    task.sent.request.append(char(pdu.functionCode()));
    task.sent.request.append(pdu.data());
    task.sentClock.start();
}

void TMBComMaster::RecordReply(Task &task, const QModbusResponse &reply)
{
    if (!task.sent.Sent() || reply.functionCode() == QModbusPdu::Invalid)
        return;
    // Qt hands the function code without its exception bit.
    const quint8 function = quint8(reply.functionCode()) | (reply.isException() ? 0x80 : 0);
    task.sent.reply.reserve(2 + reply.dataSize());
    task.sent.reply.append(char(task.device));
    task.sent.reply.append(char(function));
    task.sent.reply.append(reply.data());
}

void TMBComMaster::PublishRecord(Task &task, int result)
{
    if (!Recording()) {
        if (task.sent.Sent())
            task.sent = ExchangeRecord();
        task.wire.clear();
        return;
    }
    TakeSentFrames(task);
    ExchangeRecord r = std::move(task.sent);
    task.sent = ExchangeRecord();
    QList<LineFrame> wire = std::move(task.wire);
    task.wire.clear();
    if (r.Sent())
        r.durationUs = task.sentClock.nsecsElapsed() / 1000;
    else
        r.startMs = QDateTime::currentMSecsSinceEpoch();
    r.device = task.device;
    r.function = FunctionOf(task);
    r.qid = task.qid;
    r.framing = m_tcp ? ExchangeRecord::Framing::Tcp : ExchangeRecord::Framing::Rtu;
    r.result = result;
    r.dataType = task.dataType;
    for (const ExchangeRecord &row : SplitAttempts(std::move(r), std::move(wire), LineCapture::ClockNs()))
        emit ExchangeRecorded(row);
}

// Qt's reader logs what it received inside the same readyRead, before this
// client's own slot runs: what was logged last is this client's.
void TMBComMaster::WatchLine(QModbusDevice *client)
{
    QIODevice *device = client->device();
    if (!device)
        return;
    connect(device, &QIODevice::readyRead, this, [this, client] {
        if (client == m_client && LineCapture::Active())
            TakeReceivedFrames();
    });
    connect(device, &QIODevice::bytesWritten, this, [this, client] {
        if (client == m_client && m_current && LineCapture::Active())
            TakeSentFrames(*m_current);
    });
}

// Qt's TCP client logs the frames it sends; they are told apart by their content.
void TMBComMaster::TakeSentFrames(Task &task) const
{
    if (task.sent.Sent() && m_tcp && LineCapture::Active())
        task.wire += LineCapture::TakeSent(m_tcp, task.sent.request);
}

// RtuMaster keeps the frames of the request on its line itself.
void TMBComMaster::TakeLineFrames(Task &task) const
{
    RtuMaster *rtu = Rtu();
    if (rtu && task.sent.Sent())
        task.wire += rtu->TakeFrames();
}

void TMBComMaster::TakeReceivedFrames()
{
    const QList<LineFrame> frames = LineCapture::TakeReceived(m_tcp);
    if (m_current && m_current->sent.Sent())
        m_current->wire += frames;
}

// The request as Qt builds it for Send(): single writes of one register or coil
// use functions 6 and 5, coils are packed low bit first.
QModbusRequest TMBComMaster::RequestPdu(const Task &task)
{
    const auto address = quint16(task.address);
    switch (task.kind) {
    case Kind::ReadInput:
        return QModbusRequest(QModbusRequest::ReadInputRegisters, address,
                              quint16(task.count * MbValues::RegistersPerValue(task.dataType)));
    case Kind::ReadHold:
        return QModbusRequest(QModbusRequest::ReadHoldingRegisters, address,
                              quint16(task.count * MbValues::RegistersPerValue(task.dataType)));
    case Kind::ReadBins:
        return QModbusRequest(QModbusRequest::ReadCoils, address, quint16(task.count));
    case Kind::WriteHold:
        if (task.words.size() == 1)
            return QModbusRequest(QModbusRequest::WriteSingleRegister, address, task.words.first());
        return QModbusRequest(QModbusRequest::WriteMultipleRegisters, address, quint16(task.words.size()),
                              quint8(task.words.size() * 2), task.words);
    case Kind::WriteBins: {
        if (task.words.size() == 1)
            return QModbusRequest(QModbusRequest::WriteSingleCoil, address,
                                  quint16(task.words.first() ? 0xFF00 : 0x0000));
        QList<quint8> bytes((task.words.size() + 7) / 8, 0);
        for (qsizetype i = 0; i < task.words.size(); ++i) {
            if (task.words.at(i))
                bytes[i / 8] = quint8(bytes[i / 8] | (1 << (i % 8)));
        }
        return QModbusRequest(QModbusRequest::WriteMultipleCoils, address, quint16(task.words.size()),
                              quint8(bytes.size()), bytes);
    }
    case Kind::DeviceName:
        return QModbusRequest(QModbusRequest::ReportServerId);
    }
    return QModbusRequest();
}
