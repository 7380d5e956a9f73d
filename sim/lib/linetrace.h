#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>

// The device side of one line on a text stream (--trace): every request frame as
// received and every reply frame as sent, or the silence of the addressed device.
class LineTrace
{
public:
    LineTrace(const QString &line, std::FILE *out) : line_(line), out_(out) {}

    void Request(const QByteArray &frame);
    void Reply(const QByteArray &frame, bool corrupt);
    void Silent(quint8 unit);
    // Bytes that made no frame (RTU: a bad CRC or noise before a silence).
    void Discarded(const QByteArray &bytes);

private:
    void Line(const QString &what, const QByteArray &bytes = QByteArray());

    QString line_;
    std::FILE *out_;
};
