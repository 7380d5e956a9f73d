#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

// One try of an execution of a task as it went over the line: what the exchange
// monitor shows in a row. `request` and `reply` are the address and the PDU; the
// frames themselves, as captured from the line, are in requestWire and replyWire.
// Without a capture the frames are rebuilt from address and PDU for display.
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
    int result = 0;     // of the execution on its last try; of this try on the others
    int attempt = 1;    // 1 the first try, 2 the first retry...
    int dataType = 0;   // of the values, as handed over
    QByteArray requestWire; // the frames as captured, framing included; empty when not
    QByteArray replyWire;   // a reply the client dropped too (bad CRC, another transaction)
    QString note;           // why the reply on the line was dropped

    bool Sent() const { return !request.isEmpty(); }
    bool Answered() const { return !reply.isEmpty(); }
    bool IsException() const { return reply.size() >= 3 && (quint8(reply.at(1)) & 0x80) != 0; }
    bool RequestCaptured() const { return !requestWire.isEmpty(); }
    bool ReplyCaptured() const { return !replyWire.isEmpty(); }
    // The frames as on the line, hexadecimal bytes separated by spaces: RTU with its
    // CRC; TCP behind the MBAP header. A rebuilt TCP frame shows its transaction
    // identifier, which Qt keeps to itself, as "?? ??".
    QString RequestHex() const { return RequestCaptured() ? Hex(requestWire) : FrameHex(request); }
    QString ReplyHex() const { return ReplyCaptured() ? Hex(replyWire) : FrameHex(reply); }
    static QString Hex(const QByteArray &bytes) { return QString::fromLatin1(bytes.toHex(' ').toUpper()); }

private:
    QString FrameHex(const QByteArray &adu) const;
};
Q_DECLARE_METATYPE(ExchangeRecord)

// The Modbus RTU CRC of the bytes, as it goes on the line: low byte first.
QByteArray ModbusRtuCrc(const QByteArray &bytes);
