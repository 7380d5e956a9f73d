#pragma once

#include "link/imbcommaster.h"
#include "link/linecapture.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QModbusDevice>
#include <QPointer>

#include <memory>

class QModbusClient;
class QModbusReply;
class QModbusRequest;
class QModbusResponse;
class QTimer;

// The task server client over Qt SerialBus: "tcp://host:port" opens Modbus TCP,
// any other ComPort a serial RTU line. Tasks run one at a time in hand-over order;
// every execution ends in one OnExchange, always emitted from the event loop. A
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
    void ProcessQueue();
    void Execute(const TaskPtr &task);
    QModbusReply *Send(const Task &task);
    void OnReplyFinished(const QPointer<QModbusReply> &reply, quint64 execution);
    void Finish(const TaskPtr &task, const QVariant &value, int result);
    void Release(const TaskPtr &task);
    void OnStateChanged(QModbusDevice::State state);
    void OnWatchdog();
    void OnConnectBound();
    void Recycle();
    void SniffReplies(QModbusClient *client);
    struct SniffedFrame {
        int unit = 0;
        int protocol = 0; // 0 for Modbus
        QByteArray pdu;
    };
    const SniffedFrame *FrameOf(const QByteArray &pdu) const;
    bool ReplyEndsTheLine(const Task &task, const QModbusResponse &raw) const;
    QString OpenFailure() const;
    void FailPending();
    void ApplyRs485();
    QModbusClient *CreateClient();
    static int FunctionOf(const Task &task);
    // The exchange record of an execution (tmbcommasterrecord.cpp): the request when
    // it is sent, the reply when it comes, published from Finish.
    bool Recording() const;
    void RecordRequest(Task &task) const;
    static void RecordReply(Task &task, const QModbusResponse &reply);
    void PublishRecord(Task &task, int result);
    void WatchLine(QModbusClient *client);
    void TakeSentFrames(Task &task) const;
    void TakeReceivedFrames();
    static QModbusRequest RequestPdu(const Task &task);

    QPointer<QModbusClient> m_client;
    bool m_connected = false;
    bool m_tcp = false;
    bool m_recycling = false; // a fresh Qt client is connecting; the queue waits
    bool m_opening = false;   // SetConnected(true) has not had its outcome yet
    QTimer *m_connectBound = nullptr;
    int m_bound = 0;          // ExecutionBoundMs of the open link
    QTimer *m_watchdog = nullptr;
    // Modbus TCP frames as they arrived, newest last: Qt's client does not tell
    // which unit answered, nor the protocol its header named. On a serial line, the
    // bytes received since the request went out.
    QByteArray m_sniffed;
    QList<SniffedFrame> m_frames;
    QList<TaskPtr> m_tasks;  // every task not yet freed (periodic ones until freed)
    QList<TaskPtr> m_queue;  // executions waiting for the line
    TaskPtr m_current;       // the execution on the line
    quint64 m_execution = 0; // tags the reply of the current execution
    bool m_crcSeen = false;  // a CRC error was reported during the current execution
};
