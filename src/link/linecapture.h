#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// One frame as a client put it on the line or took it off: the whole
// frame, MBAP header or CRC included, bad ones too.
struct LineFrame {
    bool sent = false;
    bool tcp = false;
    QByteArray bytes;
    qint64 wallMs = 0;  // ms since the epoch
    qint64 clockNs = 0; // monotonic, for durations
    quint64 seq = 0;    // the order in which they were logged
};

// The frames Qt SerialBus's TCP clients log to "qt.modbus.lowlevel", taken from its log
// while at least one Hold lives. The log does not say which client logged, so each
// client takes its own: the frames it sent by their content, the receive buffer
// right after Qt's reader logged it (the same readyRead). The messages themselves
// go on to the previous handler only if that category was meant to be printed.
class LineCapture
{
public:
    class Hold
    {
    public:
        Hold();
        ~Hold();
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;
    };

    static bool Active();
    // The sent frames not yet taken whose address and PDU are `adu`.
    static QList<LineFrame> TakeSent(bool tcp, const QByteArray &adu);
    // The frames of the receive buffer logged last; earlier buffers nobody took are dropped.
    static QList<LineFrame> TakeReceived(bool tcp);

    // What one log message of Qt's clients holds (public for tests).
    static QList<LineFrame> Parse(const QString &message);
    // The address and PDU of a frame, without its MBAP header or CRC.
    static QByteArray Adu(const LineFrame &frame);
    // The clock of LineFrame::clockNs.
    static qint64 ClockNs();
};
