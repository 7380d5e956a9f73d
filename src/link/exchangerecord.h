#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

// One finished execution of a task as it went over the line: what the exchange
// monitor shows. Bytes are the address and the PDU; the framing around them
// (the RTU CRC or the TCP MBAP header) follows from them and is added for display.
struct ExchangeRecord {
    enum class Framing : quint8 { Rtu, Tcp };

    qint64 startMs = 0;    // wall clock, ms since the epoch: when the request went out
                           // (when the execution ended, for one never sent)
    qint64 durationUs = 0; // from sending to the result, retries included
    QString link;          // the client does not know which link it serves: the listener names it
    int device = 0;
    int function = 0;
    int qid = 0;
    Framing framing = Framing::Rtu;
    QByteArray request; // empty when nothing was sent
    QByteArray reply;   // empty when no reply was accepted (time-out, bad CRC, broadcast)
    int result = 0;

    bool Sent() const { return !request.isEmpty(); }
    bool Answered() const { return !reply.isEmpty(); }
    bool IsException() const { return reply.size() >= 3 && (quint8(reply.at(1)) & 0x80) != 0; }
    // The frames as on the line, hexadecimal bytes separated by spaces: RTU with its
    // CRC; TCP behind the MBAP header, whose transaction identifier Qt keeps to
    // itself and which is therefore shown as "?? ??".
    QString RequestHex() const { return FrameHex(request); }
    QString ReplyHex() const { return FrameHex(reply); }

private:
    QString FrameHex(const QByteArray &adu) const;
};
Q_DECLARE_METATYPE(ExchangeRecord)

// The Modbus RTU CRC of the bytes, as it goes on the line: low byte first.
QByteArray ModbusRtuCrc(const QByteArray &bytes);
