#pragma once

#include "link/linecapture.h"

#include <QByteArray>
#include <QList>
#include <QModbusDevice>
#include <QModbusRequest>
#include <QModbusResponse>
#include <QSerialPort>

class LineAlarm;
class QTimer;

// A Modbus RTU master on a serial port. A frame ends with the line's silence (3.5
// characters, 1.75 ms above 19200 baud), and the next request goes out as soon as
// the silence after the last byte is over, timed in microseconds: Qt's RTU client
// waits a whole number of milliseconds from the moment the next request reaches it,
// a tenth of the line at 9600 baud.
//
// One request at a time; its outcome comes in Finished(), always from the event loop
// and outside the signals of the port, so its handler may run an event loop. A
// reply with a wrong check sum, or from another device or function, is dropped and
// the master waits on until its time-out; a time-out with tries left sends again.
// A broadcast is done once it has left the line, and the line then rests for the
// devices' turnaround.
class RtuMaster : public QModbusDevice
{
    Q_OBJECT
public:
    struct Outcome {
        QModbusDevice::Error error = QModbusDevice::NoError;
        QModbusResponse response; // the accepted reply; invalid when none came
        bool crcSeen = false;     // a reply with a wrong check sum was dropped
    };

    explicit RtuMaster(QObject *parent = nullptr);
    ~RtuMaster() override;

    void SetLine(const QString &portName, int baud);
    void SetTiming(int timeoutMs, int retries);
    int TimeoutMs() const { return m_timeoutMs; }
    int Retries() const { return m_retries; }
    QSerialPort *Port() const { return m_port; }

    // False when the line is closed or a request is still out.
    bool Send(int device, const QModbusRequest &pdu);
    bool Busy() const { return m_stage != Stage::Idle; }

    // The frames as they went over the line, kept while capturing.
    void SetCapture(bool on);
    QList<LineFrame> TakeFrames();

    // The values of a reply as Qt's client gives them; false when the reply does not
    // hold what its function promises.
    static bool Values(const QModbusResponse &reply, QList<quint16> *values);

signals:
    void Finished(const RtuMaster::Outcome &outcome);

protected:
    bool open() override;
    void close() override;

private:
    enum class Stage { Idle, Silence, Reply };

    void Transmit();
    void OnReadyRead();
    void OnAlarm();
    void OnFrameEnd();
    void OnTimeout();
    void OnPortError(QSerialPort::SerialPortError e);
    void Complete(Outcome outcome);
    void Keep(bool sent, const QByteArray &bytes);
    qint64 CharNs() const;
    qint64 SilenceNs() const;

    QSerialPort *m_port = nullptr;
    LineAlarm *m_alarm = nullptr;
    QTimer *m_timeout = nullptr;
    QString m_portName;
    int m_baud = 19200;
    int m_timeoutMs = 1000;
    int m_retries = 0;

    Stage m_stage = Stage::Idle;
    QByteArray m_adu; // the request on the line, with its check sum
    int m_device = 0;
    int m_function = 0;
    int m_triesLeft = 0;
    bool m_crcSeen = false;
    QByteArray m_frame;       // bytes of the reply so far
    qint64 m_lastByteNs = 0;  // the last byte heard or sent
    qint64 m_quietAtNs = 0;   // the line may carry the next request from here
    bool m_capture = false;
    QList<LineFrame> m_frames;
    quint64 m_seq = 0;
};

Q_DECLARE_METATYPE(RtuMaster::Outcome)
