#include "tcpendpoint.h"

#include "linetrace.h"
#include "modbusline.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

TcpEndpoint::TcpEndpoint(ModbusLine *line, QObject *parent)
    : Endpoint(parent), line_(line), server_(new QTcpServer(this))
{
    connect(server_, &QTcpServer::newConnection, this, &TcpEndpoint::Accept);
}

bool TcpEndpoint::Listen(const QHostAddress &host, quint16 port, QString *error)
{
    if (server_->listen(host, port))
        return true;
    if (error)
        *error = QString("не удалось открыть порт TCP %1:%2: %3")
                     .arg(host.toString())
                     .arg(port)
                     .arg(server_->errorString());
    return false;
}

QString TcpEndpoint::Description() const
{
    return QString("tcp://%1:%2").arg(server_->serverAddress().toString()).arg(server_->serverPort());
}

void TcpEndpoint::Accept()
{
    while (QTcpSocket *s = server_->nextPendingConnection())
        new TcpSession(s, line_, trace_);
}

TcpSession::TcpSession(QTcpSocket *socket, ModbusLine *line, LineTrace *trace)
    : QObject(socket), socket_(socket), line_(line), trace_(trace)
{
    connect(socket_, &QTcpSocket::readyRead, this, &TcpSession::Receive);
    connect(socket_, &QTcpSocket::disconnected, socket_, &QObject::deleteLater);
}

int TcpSession::FrameLength(const QByteArray &buffer)
{
    if (buffer.size() < 7)
        return 0;
    const int length = (quint8(buffer[4]) << 8) | quint8(buffer[5]);
    const bool protocolOk = buffer[2] == 0 && buffer[3] == 0;
    if (!protocolOk || length < 2 || length > 254)
        return -1;
    return buffer.size() < 6 + length ? 0 : 6 + length;
}

void TcpSession::Receive()
{
    buffer_.append(socket_->readAll());
    for (;;) {
        const int frame = FrameLength(buffer_);
        if (frame < 0) {
            // Not Modbus TCP: drop the client as a gateway would.
            socket_->abort();
            return;
        }
        if (frame == 0)
            return;
        const QByteArray header = buffer_.left(4);
        const quint8 unit = quint8(buffer_[6]);
        const QByteArray pdu = buffer_.mid(7, frame - 7);
        if (trace_)
            trace_->Request(buffer_.left(frame));
        buffer_.remove(0, frame);
        QPointer<QTcpSocket> socket(socket_);
        line_->Submit(unit, pdu, [socket, header, unit, trace = trace_](const LineReply &reply) {
            if (trace && reply.silent)
                trace->Silent(unit);
            if (!socket || reply.silent || socket->state() != QAbstractSocket::ConnectedState)
                return;
            QByteArray frame = header;
            // TCP has no CRC: a damaged reply carries a wrong transaction and protocol
            // identifier, which clients discard.
            if (reply.corrupt) {
                frame[1] = char(frame[1] ^ 0x5A);
                frame[3] = char(0x5A);
            }
            const int len = int(reply.pdu.size()) + 1;
            frame.append(char(len >> 8));
            frame.append(char(len & 0xFF));
            frame.append(char(unit));
            frame.append(reply.pdu);
            if (trace)
                trace->Reply(frame, reply.corrupt);
            socket->write(frame);
        });
    }
}
