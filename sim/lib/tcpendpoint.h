#pragma once

#include "endpoint.h"

#include <QHostAddress>

class QTcpServer;
class QTcpSocket;

// Modbus TCP (MBAP framing) for any number of clients at once.
class TcpEndpoint : public Endpoint
{
    Q_OBJECT
public:
    explicit TcpEndpoint(ModbusLine *line, QObject *parent = nullptr);
    bool Listen(const QHostAddress &host, quint16 port, QString *error);
    QString Description() const override;

private:
    void Accept();

    ModbusLine *line_;
    QTcpServer *server_;
};

// One client connection: cuts the stream into MBAP frames and answers them in order.
class TcpSession : public QObject
{
    Q_OBJECT
public:
    TcpSession(QTcpSocket *socket, ModbusLine *line, LineTrace *trace = nullptr);

    // Length of the MBAP frame starting the buffer: 0 while it is not complete yet,
    // -1 when the stream is not Modbus TCP.
    static int FrameLength(const QByteArray &buffer);

private:
    void Receive();

    QTcpSocket *socket_;
    ModbusLine *line_;
    LineTrace *trace_;
    QByteArray buffer_;
};
