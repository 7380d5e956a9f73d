#pragma once

#include "link/imbcommaster.h"
#include "link/linecapture.h"
#include "link/rtumaster.h"

#include <QBasicTimer>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QList>
#include <QModbusDevice>
#include <QModbusResponse>
#include <QPointer>

#include <memory>

class QModbusClient;
class QModbusReply;
class QModbusRequest;
class QTimer;

// The task server client: "tcp://host:port" opens Modbus TCP through Qt SerialBus,
// any other ComPort a serial RTU line through RtuMaster. Tasks run one at a time in
// hand-over order; every execution ends in one OnExchange, always emitted from the
// event loop, and the next task is on its way before that event is handled. A
// periodic task runs first at hand-over, then every Period ms; a period that elapses
// while its execution is still queued or on the line adds none. A watchdog ends
// every execution within ExecutionBoundMs(): a reply Qt's client never finishes
// (a malformed Modbus TCP header leaves it waiting for good) completes with code 1,
// and the link goes on with a fresh Qt client. Opening the link and that fresh
// client's connect are bound by the same time; a fresh client that does not connect
// within it closes the link.
class TMBComMaster : public IMBComMaster
{
    Q_OBJECT
public:
    explicit TMBComMaster(QObject *parent = nullptr);
    ~TMBComMaster() override;

    bool Connected() const override { return m_connected; }
    void SetConnected(bool on) override;

    void ReadInputRegs(int qid, int period, int regAddres, int dataType, int dataCount) override;
    void ReadHoldRegs(int qid, int period, int regAddres, int dataType, int dataCount) override;
    void WriteHoldRegs(int qid, int period, int regAddres, const QVariant &value) override;
    void WriteHoldBins(int qid, int period, int binAddres, const QVariant &value) override;
    void ReadHoldBins(int qid, int period, int binAddres, int dataCount) override;
    void GetDeviceName(int qid) override;
    void FreeTask(int qid) override;
    void FreeAllTasks() override;

    int ExecutionBoundMs() const override;
    int CompletionBoundMs() const override;

    // Serial device path of a ComPort: "ttyUSB0" -> "/dev/ttyUSB0"; "COM3" and
    // absolute paths as given.
    static QString SerialPortName(const QString &comPort);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    enum class Kind { ReadInput, ReadHold, WriteHold, WriteBins, ReadBins, DeviceName };
    struct Task {
        Kind kind = Kind::ReadInput;
        int qid = 0;
        int period = 0;
        int address = 0;
        int dataType = 0;
        int count = 0;
        int device = 0;
        QList<quint16> words; // register writes, coil writes as 0/1
        int encodeError = 0;  // result code when the value could not be encoded
        quint64 tag = 0;      // of the execution queued last
        bool queued = false;
        bool freed = false;
        QTimer *timer = nullptr;
        ExchangeRecord sent; // the execution on the line, while someone records
        QElapsedTimer sentClock;
        QList<LineFrame> wire; // its frames as captured from the line
    };
    using TaskPtr = std::shared_ptr<Task>;

    TaskPtr MakeTask(Kind kind, int qid, int period, int address, int dataType, int count) const;
    void HandOver(const TaskPtr &task);
    void Enqueue(const TaskPtr &task);
    void PostProcessQueue();
    void ProcessQueue();
    void Execute(const TaskPtr &task);
    void FinishLater(const TaskPtr &task, int result);
    QModbusReply *Send(const Task &task);
    void OnReplyFinished(QModbusReply *reply);
    void OnRtuFinished(const RtuMaster::Outcome &outcome);
    void DropAnswer();
    // What came back, as Qt's client or RtuMaster tells it.
    struct Answer {
        QModbusDevice::Error error = QModbusDevice::NoError;
        QModbusResponse raw;
        QList<quint16> values;
        bool crcSeen = false;
    };
    TaskPtr TakeCurrent();
    void Conclude(const TaskPtr &task, const Answer &answer);
    int ResultOf(const Task &task, const Answer &answer, QVariant *value) const;
    void Finish(const TaskPtr &task, const QVariant &value, int result);
    void Release(const TaskPtr &task);
    void OnStateChanged(QModbusDevice::State state);
    void OnWatchdog();
    void OnConnectBound();
    void Recycle();
    void SniffReplies(QModbusClient *client);
    void SniffHeaders(QIODevice *device);
    // The MBAP header of a Modbus TCP reply as it arrived.
    struct SniffedFrame {
        int unit = 0;
        int protocol = 0; // 0 for Modbus
        int function = 0; // with its exception bit
        int pduSize = 0;
    };
    const SniffedFrame *FrameOf(const QModbusResponse &raw) const;
    QString OpenFailure() const;
    void FailPending();
    void ApplyRs485();
    QModbusDevice *CreateClient();
    QModbusClient *Tcp() const;
    RtuMaster *Rtu() const;
    static int FunctionOf(const Task &task);
    // The exchange record of an execution (tmbcommasterrecord.cpp): the request when
    // it is sent, the reply when it comes, published from Finish.
    bool Recording() const;
    void RecordRequest(Task &task) const;
    static void RecordReply(Task &task, const QModbusResponse &reply);
    void PublishRecord(Task &task, int result);
    void WatchLine(QModbusDevice *client);
    void TakeSentFrames(Task &task) const;
    void TakeLineFrames(Task &task) const;
    void TakeReceivedFrames();
    static QModbusRequest RequestPdu(const Task &task);

    QPointer<QModbusDevice> m_client;
    bool m_connected = false;
    bool m_tcp = false;
    bool m_recycling = false; // a fresh Qt client is connecting; the queue waits
    bool m_opening = false;   // SetConnected(true) has not had its outcome yet
    QTimer *m_connectBound = nullptr;
    int m_bound = 0;          // ExecutionBoundMs of the open link
    QTimer *m_watchdog = nullptr;
    QDeadlineTimer m_deadline; // of the execution on the line, kept by the watchdog
    // Modbus TCP frames as they arrived, newest last: Qt's client does not tell
    // which unit answered, nor the protocol its header named.
    QList<SniffedFrame> m_frames;
    char m_header[8] = {};   // of the frame arriving
    int m_headerBytes = 0;
    qint64 m_skipBytes = 0;  // of its PDU, which Qt's reader has
    bool m_processPosted = false;
    QList<TaskPtr> m_tasks;  // every task not yet freed (periodic ones until freed)
    QList<TaskPtr> m_queue;  // executions waiting for the line
    TaskPtr m_current;       // the execution on the line
    // The TCP reply of the execution on the line, handed on in the next pass of the
    // event loop: a handler may wait for its next task, and Qt's client cannot read
    // that task's reply while it is still inside the socket's signal for this one. A
    // zero timer costs that pass no wake-up of the loop, a posted event two system calls.
    QBasicTimer m_answered;
    QPointer<QModbusReply> m_reply;
};
