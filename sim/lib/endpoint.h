#pragma once

#include <QObject>
#include <QString>
#include <memory>

class LineTrace;
class ModbusLine;

// Where a line takes its requests: a TCP port or a serial device.
class Endpoint : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // The address clients use, e.g. "tcp://127.0.0.1:40123" or "/dev/pts/3".
    virtual QString Description() const = 0;

    // "tcp://HOST:PORT" (port 0 picks a free one) or a serial device; serial lines run
    // at `baud` (8N1). Null with a message when it cannot be opened.
    static std::unique_ptr<Endpoint> Open(const QString &text, ModbusLine *line, int baud, QString *error);

    // Frames in and out go to the trace too (not owned; null: none).
    void SetTrace(LineTrace *trace) { trace_ = trace; }

protected:
    LineTrace *trace_ = nullptr;
};
