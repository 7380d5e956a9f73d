#pragma once

#include "link/imbcommaster.h"

#include <QList>
#include <QString>
#include <QVariant>

// A scripted task server client: records every call as a Task; results reach
// OnExchange only when the test delivers them, always from the event loop.
class FakeMBComMaster : public IMBComMaster
{
    Q_OBJECT
public:
    struct Task {
        QString op; // the operation's name, e.g. "ReadInputRegs", "FreeTask"
        int qid = 0;
        int period = 0;
        int address = 0;
        int dataType = 0; // reads: as asked; writes: TypeCodeOf the (first) value
        int count = 0;
        QVariant value; // writes: the value; SetConnected: the bool asked for
        int device = 0; // DeviceAddres at the call
    };

    explicit FakeMBComMaster(QObject *parent = nullptr);

    bool Connected() const override { return m_connected; }
    // Opening succeeds when connectOpens is set and fails otherwise; either way
    // the outcome arrives queued, as from the real server.
    void SetConnected(bool on) override;

    void ReadInputRegs(int qid, int period, int regAddres, int dataType, int dataCount) override;
    void ReadHoldRegs(int qid, int period, int regAddres, int dataType, int dataCount) override;
    void WriteHoldRegs(int qid, int period, int regAddres, const QVariant &value) override;
    void WriteHoldBins(int qid, int period, int binAddres, const QVariant &value) override;
    void ReadHoldBins(int qid, int period, int binAddres, int dataCount) override;
    void GetDeviceName(int qid) override;
    void FreeTask(int qid) override;
    void FreeAllTasks() override;

    // Queues an OnExchange for qid; mbAddr is the device of the last task with
    // that qid, funNumber the Modbus function of its operation.
    void Deliver(int qid, const QVariant &value, int result = 0);
    void DeliverFrom(int qid, int mbAddr, const QVariant &value, int result = 0);
    void DeliverConnected(bool connected);

    QList<Task> TasksFor(int qid) const;
    // The last hand-over of qid (not a FreeTask); a Task with empty op if none.
    Task LastTask(int qid) const;
    int CountOp(const QString &op) const;
    void ClearTasks();

    bool connectOpens = true;
    QList<Task> tasks;
    QList<int> freed;
    int freeAllCount = 0;

private:
    void Record(const QString &op, int qid, int period, int address, int dataType, int count,
                const QVariant &value);
    void Queue(int qid, int mbAddr, int funNumber, const QVariant &value, int result);
    static int FunctionOf(const Task &task);

    bool m_connected = false;
};
