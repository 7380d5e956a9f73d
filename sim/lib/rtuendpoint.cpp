#include "rtuendpoint.h"

#include "linetrace.h"
#include "modbusline.h"
#include "modbuspdu.h"

#include <QPointer>
#include <QSerialPort>
#include <QTimer>
#include <algorithm>

RtuEndpoint::RtuEndpoint(ModbusLine *line, QObject *parent)
    : Endpoint(parent), line_(line), port_(new QSerialPort(this)), silence_(new QTimer(this))
{
    silence_->setSingleShot(true);
    connect(port_, &QSerialPort::readyRead, this, &RtuEndpoint::Receive);
    connect(silence_, &QTimer::timeout, this, &RtuEndpoint::Silence);
}

bool RtuEndpoint::Open(const QString &device, int baud, QString *error)
{
    device_ = device;
    port_->setPortName(device);
    port_->setBaudRate(baud);
    port_->setDataBits(QSerialPort::Data8);
    port_->setParity(QSerialPort::NoParity);
    port_->setStopBits(QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    if (port_->open(QIODevice::ReadWrite)) {
        // 3.5 characters, but no less than the 1.75 ms fixed for fast lines.
        silence_->setInterval(std::max(2, int(35000 / std::max(baud, 1)) + 1));
        return true;
    }
    if (error)
        *error = QString("не удалось открыть последовательный порт %1: %2").arg(device, port_->errorString());
    return false;
}

int RtuEndpoint::RequestFrameLength(const QByteArray &b)
{
    if (b.size() < 2)
        return 0;
    switch (quint8(b[1])) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
        return 8;
    case 0x0F:
    case 0x10:
        return b.size() < 7 ? 0 : 9 + quint8(b[6]);
    case 0x11:
        return 4;
    default:
        return 0; // unknown function: the frame ends with the silence
    }
}

void RtuEndpoint::Receive()
{
    buffer_.append(port_->readAll());
    silence_->start();
    TakeFrames();
}

void RtuEndpoint::TakeFrames()
{
    for (;;) {
        const int len = RequestFrameLength(buffer_);
        if (len == 0 || buffer_.size() < len)
            return;
        const QByteArray frame = buffer_.left(len);
        if (ModbusCrc(frame) != 0) {
            // Lost sync: wait for the silence and start over.
            return;
        }
        buffer_.remove(0, len);
        Handle(frame);
    }
}

void RtuEndpoint::Silence()
{
    // Whatever is left after a silence is one frame (e.g. an unknown function) or noise.
    if (buffer_.size() >= 4 && ModbusCrc(buffer_) == 0)
        Handle(buffer_);
    else if (trace_ && !buffer_.isEmpty())
        trace_->Discarded(buffer_);
    buffer_.clear();
}

void RtuEndpoint::Handle(const QByteArray &frame)
{
    const quint8 unit = quint8(frame[0]);
    const QByteArray pdu = frame.mid(1, frame.size() - 3);
    if (trace_)
        trace_->Request(frame);
    QPointer<QSerialPort> port(port_);
    line_->Submit(unit, pdu, [port, unit, trace = trace_](const LineReply &reply) {
        if (trace && reply.silent)
            trace->Silent(unit);
        if (!port || reply.silent)
            return;
        QByteArray out = WithCrc(QByteArray(1, char(unit)) + reply.pdu);
        if (reply.corrupt)
            out[out.size() - 1] = char(out[out.size() - 1] ^ 0x5A);
        if (trace)
            trace->Reply(out, reply.corrupt);
        port->write(out);
    });
}
