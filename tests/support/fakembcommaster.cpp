#include "support/fakembcommaster.h"

#include "link/conventions.h"

#include <QMetaObject>

FakeMBComMaster::FakeMBComMaster(QObject *parent) : IMBComMaster(parent) {}

void FakeMBComMaster::Record(const QString &op, int qid, int period, int address, int dataType, int count,
                             const QVariant &value)
{
    Task t;
    t.op = op;
    t.qid = qid;
    t.period = period;
    t.address = address;
    t.dataType = dataType;
    t.count = count;
    t.value = value;
    t.device = DeviceAddres();
    tasks << t;
}

void FakeMBComMaster::SetConnected(bool on)
{
    Record(QStringLiteral("SetConnected"), 0, 0, 0, 0, 0, on);
    const bool now = on && connectOpens;
    m_connected = now;
    QMetaObject::invokeMethod(
        this, [this, now]() { Q_EMIT OnChangeConnected(now); }, Qt::QueuedConnection);
}

void FakeMBComMaster::ReadInputRegs(int qid, int period, int regAddres, int dataType, int dataCount)
{
    Record(QStringLiteral("ReadInputRegs"), qid, period, regAddres, dataType, dataCount, {});
}

void FakeMBComMaster::ReadHoldRegs(int qid, int period, int regAddres, int dataType, int dataCount)
{
    Record(QStringLiteral("ReadHoldRegs"), qid, period, regAddres, dataType, dataCount, {});
}

namespace
{

int WriteTypeOf(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QVariantList) {
        const QVariantList list = value.toList();
        return list.isEmpty() ? 0 : TypeCodeOf(list.first());
    }
    return TypeCodeOf(value);
}

int WriteCountOf(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QVariantList)
        return static_cast<int>(value.toList().size());
    return 1;
}

} // namespace

void FakeMBComMaster::WriteHoldRegs(int qid, int period, int regAddres, const QVariant &value)
{
    Record(QStringLiteral("WriteHoldRegs"), qid, period, regAddres, WriteTypeOf(value), WriteCountOf(value),
           value);
}

void FakeMBComMaster::WriteHoldBins(int qid, int period, int binAddres, const QVariant &value)
{
    Record(QStringLiteral("WriteHoldBins"), qid, period, binAddres, WriteTypeOf(value), WriteCountOf(value),
           value);
}

void FakeMBComMaster::ReadHoldBins(int qid, int period, int binAddres, int dataCount)
{
    Record(QStringLiteral("ReadHoldBins"), qid, period, binAddres, dtBool, dataCount, {});
}

void FakeMBComMaster::GetDeviceName(int qid)
{
    Record(QStringLiteral("GetDeviceName"), qid, 0, 0, 0, 0, {});
}

void FakeMBComMaster::FreeTask(int qid)
{
    Record(QStringLiteral("FreeTask"), qid, 0, 0, 0, 0, {});
    freed << qid;
}

void FakeMBComMaster::FreeAllTasks()
{
    Record(QStringLiteral("FreeAllTasks"), 0, 0, 0, 0, 0, {});
    ++freeAllCount;
}

int FakeMBComMaster::FunctionOf(const Task &task)
{
    if (task.op == QLatin1String("ReadHoldBins"))
        return 1;
    if (task.op == QLatin1String("ReadHoldRegs"))
        return 3;
    if (task.op == QLatin1String("ReadInputRegs"))
        return 4;
    if (task.op == QLatin1String("WriteHoldBins"))
        return task.count > 1 ? 15 : 5;
    if (task.op == QLatin1String("WriteHoldRegs"))
        return 16;
    if (task.op == QLatin1String("GetDeviceName"))
        return 17;
    return 0;
}

FakeMBComMaster::Task FakeMBComMaster::LastTask(int qid) const
{
    for (auto it = tasks.crbegin(); it != tasks.crend(); ++it) {
        if (it->qid == qid && FunctionOf(*it) != 0)
            return *it;
    }
    return Task();
}

void FakeMBComMaster::Queue(int qid, int mbAddr, int funNumber, const QVariant &value, int result)
{
    QMetaObject::invokeMethod(
        this,
        [this, qid, mbAddr, funNumber, value, result]() {
            Q_EMIT OnExchange(qid, mbAddr, funNumber, value, result);
        },
        Qt::QueuedConnection);
}

void FakeMBComMaster::Deliver(int qid, const QVariant &value, int result)
{
    const Task t = LastTask(qid);
    Queue(qid, t.op.isEmpty() ? DeviceAddres() : t.device, FunctionOf(t), value, result);
}

void FakeMBComMaster::DeliverFrom(int qid, int mbAddr, const QVariant &value, int result)
{
    Queue(qid, mbAddr, FunctionOf(LastTask(qid)), value, result);
}

void FakeMBComMaster::DeliverConnected(bool connected)
{
    QMetaObject::invokeMethod(
        this,
        [this, connected]() {
            m_connected = connected;
            Q_EMIT OnChangeConnected(connected);
        },
        Qt::QueuedConnection);
}

QList<FakeMBComMaster::Task> FakeMBComMaster::TasksFor(int qid) const
{
    QList<Task> out;
    for (const Task &t : tasks) {
        if (t.qid == qid)
            out << t;
    }
    return out;
}

int FakeMBComMaster::CountOp(const QString &op) const
{
    int n = 0;
    for (const Task &t : tasks)
        n += t.op == op ? 1 : 0;
    return n;
}

void FakeMBComMaster::ClearTasks()
{
    tasks.clear();
    freed.clear();
    freeAllCount = 0;
}
