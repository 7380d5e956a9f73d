#pragma once

#include "endpoint.h"

#include <QByteArray>

class QSerialPort;
class QTimer;

// Modbus RTU over a serial device: frames end by their length or by silence,
// frames with a bad CRC are ignored as on a real line.
class RtuEndpoint : public Endpoint
{
    Q_OBJECT
public:
    RtuEndpoint(ModbusLine *line, QObject *parent = nullptr);
    bool Open(const QString &device, int baud, QString *error);
    QString Description() const override { return device_; }

    // Length of the request frame starting the buffer, 0 while it is not yet known.
    static int RequestFrameLength(const QByteArray &buffer);

private:
    void Receive();
    void Silence();
    void TakeFrames();
    void Handle(const QByteArray &frame);

    ModbusLine *line_;
    QSerialPort *port_;
    QTimer *silence_;
    QString device_;
    QByteArray buffer_;
};
