#include "link/tmbcommaster.h"

#include "link/conventions.h"
#include "link/exceptionresult.h"
#include "link/mbidentification.h"
#include "link/mbvalues.h"

#include <QModbusReply>
#include <QModbusRtuSerialClient>
#include <QModbusTcpClient>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <climits>

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace
{

enum Code {
    kOk = 0,
    kTimeout = 1,
    kCrc = 2,
    kCannotSend = 3,
    kOtherUnit = 12,
    kOtherFunction = 13,
    kUnknown = 14,
    kBadType = 15,
    kTooShort = 16,
};

int DecodeErrorResult(MbValues::Error e)
{
    switch (e) {
    case MbValues::Error::None:
        return kOk;
    case MbValues::Error::UnknownType:
        return kBadType;
    case MbValues::Error::TooShort:
        return kTooShort;
    }
    return kUnknown;
}

} // namespace

TMBComMaster::TMBComMaster(QObject *parent)
    : IMBComMaster(parent), m_connectBound(new QTimer(this)), m_watchdog(new QTimer(this))
{
    m_watchdog->setSingleShot(true);
    m_watchdog->setTimerType(Qt::PreciseTimer);
    connect(m_watchdog, &QTimer::timeout, this, &TMBComMaster::OnWatchdog);
    m_connectBound->setSingleShot(true);
    connect(m_connectBound, &QTimer::timeout, this, &TMBComMaster::OnConnectBound);
}

TMBComMaster::~TMBComMaster()
{
    if (m_client) {
        m_client->disconnect(this);
        delete m_client;
    }
}

QString TMBComMaster::SerialPortName(const QString &comPort)
{
    const QString name = comPort.trimmed();
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return name;
#ifdef Q_OS_WIN
    return name;
#else
    return QStringLiteral("/dev/") + name;
#endif
}

QModbusClient *TMBComMaster::CreateClient()
{
    const QString port = ComPort().trimmed();
    QModbusClient *client = nullptr;
    m_tcp = port.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive);
    if (m_tcp) {
        const QUrl url(port);
        client = new QModbusTcpClient(this);
        client->setConnectionParameter(QModbusDevice::NetworkAddressParameter, url.host());
        client->setConnectionParameter(QModbusDevice::NetworkPortParameter, url.port(502));
    } else {
        auto *rtu = new QModbusRtuSerialClient(this);
        // InterByte is not applied: Qt finds the end of a frame itself and keeps
        // the 3.5-character silence between frames; a longer silence would only
        // slow the line down.
        rtu->setConnectionParameter(QModbusDevice::SerialPortNameParameter, SerialPortName(port));
        rtu->setConnectionParameter(QModbusDevice::SerialBaudRateParameter, ComSpeed());
        rtu->setConnectionParameter(QModbusDevice::SerialDataBitsParameter, QSerialPort::Data8);
        rtu->setConnectionParameter(QModbusDevice::SerialParityParameter, QSerialPort::NoParity);
        rtu->setConnectionParameter(QModbusDevice::SerialStopBitsParameter, QSerialPort::OneStop);
        client = rtu;
    }
    client->setTimeout(qMax(10, AnswerDelay()));
    client->setNumberOfRetries(qMax(0, Retries()));
    m_bound = ExecutionBoundFor(client->timeout(), client->numberOfRetries(), ComSpeed(), !m_tcp);
    SniffReplies(client);
    WatchLine(client);
    // Queued: serial ports open inside connectDevice(), and the link state must
    // reach the system from the event loop like every other event.
    connect(
        client, &QModbusDevice::stateChanged, this,
        [this, client](QModbusDevice::State s) {
            if (client == m_client)
                OnStateChanged(s);
        },
        Qt::QueuedConnection);
    return client;
}

void TMBComMaster::SetConnected(bool on)
{
    if (on) {
        if (m_client && m_client->state() != QModbusDevice::UnconnectedState)
            return;
        if (m_client) {
            // Its closing may not have reached us yet; close the link first.
            if (m_connected)
                QMetaObject::invokeMethod(
                    this, [this] { OnStateChanged(QModbusDevice::UnconnectedState); }, Qt::QueuedConnection);
            m_client->disconnect(this);
            m_client->deleteLater();
        }
        m_client = CreateClient();
        // A port that cannot be opened stays closed: OnConnectFailed says why.
        m_opening = true;
        m_connectBound->start(m_bound);
        m_client->connectDevice();
    } else if (m_client) {
        m_opening = false;
        m_connectBound->stop();
        m_client->disconnectDevice();
    }
}

QString TMBComMaster::OpenFailure() const
{
    if (!m_client)
        return QStringLiteral("нет ответа");
    if (auto *socket = qobject_cast<QAbstractSocket *>(m_client->device())) {
        switch (socket->error()) {
        case QAbstractSocket::ConnectionRefusedError:
            return QStringLiteral("соединение отвергнуто (на этом порту никто не ждёт)");
        case QAbstractSocket::HostNotFoundError:
            return QStringLiteral("узел не найден");
        case QAbstractSocket::NetworkError:
            return QStringLiteral("сеть недоступна");
        case QAbstractSocket::SocketTimeoutError:
            return QStringLiteral("нет ответа");
        default:
            break;
        }
    } else if (auto *port = m_client->findChild<QSerialPort *>()) {
        switch (port->error()) {
        case QSerialPort::DeviceNotFoundError:
            return QStringLiteral("порт не найден");
        case QSerialPort::PermissionError:
            return QStringLiteral("порт занят другой программой или нет прав на него");
        case QSerialPort::OpenError:
            return QStringLiteral("порт уже открыт");
        default:
            break;
        }
    }
    return m_client->errorString();
}

void TMBComMaster::OnConnectBound()
{
    if (!m_client || m_client->state() == QModbusDevice::ConnectedState)
        return;
    // A peer whose accept queue stays full keeps Qt's connect going for a minute.
    m_client->disconnect(this);
    m_client->disconnectDevice();
    m_client->deleteLater();
    m_client = nullptr;
    if (m_recycling) {
        m_recycling = false;
        if (m_connected) {
            m_connected = false;
            FailPending();
            emit OnChangeConnected(false);
        }
    } else if (m_opening) {
        m_opening = false;
        emit OnConnectFailed(QStringLiteral("нет ответа за %1 с").arg((m_bound + 999) / 1000));
    }
}

void TMBComMaster::OnStateChanged(QModbusDevice::State state)
{
    if (state == QModbusDevice::ConnectedState || state == QModbusDevice::UnconnectedState)
        m_connectBound->stop();
    if (state == QModbusDevice::UnconnectedState && m_opening && !m_connected) {
        m_opening = false;
        emit OnConnectFailed(OpenFailure());
        return;
    }
    if (state == QModbusDevice::ConnectedState)
        m_opening = false;
    if (state == QModbusDevice::ConnectedState && !m_connected) {
        m_connected = true;
        ApplyRs485();
        emit OnChangeConnected(true);
    } else if (state == QModbusDevice::ConnectedState && m_recycling) {
        m_recycling = false;
        ApplyRs485();
        QMetaObject::invokeMethod(this, &TMBComMaster::ProcessQueue, Qt::QueuedConnection);
    } else if (state == QModbusDevice::UnconnectedState && m_connected) {
        // A fresh client that cannot reach the device any more is a lost link.
        m_recycling = false;
        m_connected = false;
        FailPending();
        emit OnChangeConnected(false);
    }
}

void TMBComMaster::ApplyRs485()
{
#ifdef Q_OS_LINUX
    if (LinkType() != 1 || m_tcp || !m_client)
        return;
    auto *port = m_client->findChild<QSerialPort *>();
    if (!port || port->handle() < 0)
        return;
    // Drivers without RS-485 support refuse the call; the line then works as RS-232.
    serial_rs485 rs = {};
    ioctl(port->handle(), TIOCGRS485, &rs);
    rs.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    rs.flags &= ~quint32(SER_RS485_RTS_AFTER_SEND);
    ioctl(port->handle(), TIOCSRS485, &rs);
#endif
}

TMBComMaster::TaskPtr TMBComMaster::MakeTask(Kind kind, int qid, int period, int address, int dataType,
                                             int count) const
{
    auto t = std::make_shared<Task>();
    t->kind = kind;
    t->qid = qid;
    t->period = period;
    t->address = address;
    t->dataType = dataType;
    t->count = count;
    t->device = DeviceAddres();
    return t;
}

void TMBComMaster::ReadInputRegs(int qid, int period, int regAddres, int dataType, int dataCount)
{
    const TaskPtr t = MakeTask(Kind::ReadInput, qid, period, regAddres, dataType, dataCount);
    HandOver(t);
}

void TMBComMaster::ReadHoldRegs(int qid, int period, int regAddres, int dataType, int dataCount)
{
    const TaskPtr t = MakeTask(Kind::ReadHold, qid, period, regAddres, dataType, dataCount);
    HandOver(t);
}

void TMBComMaster::ReadHoldBins(int qid, int period, int binAddres, int dataCount)
{
    const TaskPtr t = MakeTask(Kind::ReadBins, qid, period, binAddres, dtBool, dataCount);
    HandOver(t);
}

void TMBComMaster::WriteHoldRegs(int qid, int period, int regAddres, const QVariant &value)
{
    const TaskPtr t = MakeTask(Kind::WriteHold, qid, period, regAddres, TypeCodeOf(value), 0);
    MbValues::Error e;
    t->words = MbValues::Encode(value, &e);
    t->encodeError = DecodeErrorResult(e);
    t->count = int(t->words.size());
    HandOver(t);
}

void TMBComMaster::WriteHoldBins(int qid, int period, int binAddres, const QVariant &value)
{
    const TaskPtr t = MakeTask(Kind::WriteBins, qid, period, binAddres, dtBool, 0);
    MbValues::Error e;
    for (bool b : MbValues::EncodeBits(value, &e))
        t->words.append(b ? 1 : 0);
    t->encodeError = DecodeErrorResult(e);
    t->count = int(t->words.size());
    HandOver(t);
}

void TMBComMaster::GetDeviceName(int qid)
{
    const TaskPtr t = MakeTask(Kind::DeviceName, qid, 0, 0, 0, 1);
    HandOver(t);
}

void TMBComMaster::FreeTask(int qid)
{
    const QList<TaskPtr> all = m_tasks;
    for (const TaskPtr &t : all) {
        if (t->qid == qid)
            Release(t);
    }
}

void TMBComMaster::FreeAllTasks()
{
    const QList<TaskPtr> all = m_tasks;
    for (const TaskPtr &t : all)
        Release(t);
}

void TMBComMaster::Release(const TaskPtr &task)
{
    task->freed = true;
    if (task->timer) {
        task->timer->stop();
        task->timer->deleteLater();
        task->timer = nullptr;
    }
    m_tasks.removeOne(task);
    m_queue.removeOne(task);
    task->queued = false;
}

void TMBComMaster::HandOver(const TaskPtr &task)
{
    m_tasks.append(task);
    if (task->period > 0) {
        task->timer = new QTimer(this);
        task->timer->setInterval(task->period);
        connect(task->timer, &QTimer::timeout, this, [this, w = std::weak_ptr<Task>(task)] {
            const TaskPtr t = w.lock();
            // An execution still queued or on the line is not doubled.
            if (t && !t->freed && !t->queued && t != m_current)
                Enqueue(t);
        });
        task->timer->start();
    }
    Enqueue(task);
}

void TMBComMaster::Enqueue(const TaskPtr &task)
{
    task->tag = NewExecutionTag();
    task->queued = true;
    m_queue.append(task);
    // Never executed inside the hand-over call: results must come from the event loop.
    QMetaObject::invokeMethod(this, &TMBComMaster::ProcessQueue, Qt::QueuedConnection);
}

void TMBComMaster::ProcessQueue()
{
    while (!m_current && !m_recycling && !m_queue.isEmpty()) {
        const TaskPtr task = m_queue.takeFirst();
        task->queued = false;
        Execute(task);
    }
}

void TMBComMaster::Execute(const TaskPtr &task)
{
    const bool isRegisterRead = task->kind == Kind::ReadInput || task->kind == Kind::ReadHold;
    const bool isWrite = task->kind == Kind::WriteHold || task->kind == Kind::WriteBins;
    if (!isWrite && task->device == 0)
        return Finish(task, {}, kResultBroadcastRead);
    if (!m_connected || !m_client || m_client->state() != QModbusDevice::ConnectedState)
        return Finish(task, {}, kCannotSend);
    if (task->encodeError != kOk)
        return Finish(task, {}, task->encodeError);
    if (isRegisterRead && MbValues::RegistersPerValue(task->dataType) == 0)
        return Finish(task, {}, kBadType);
    if (task->count < 1)
        return Finish(task, {}, kUnknown);

    m_frames.clear();
    if (!m_tcp)
        m_sniffed.clear();
    QModbusReply *reply = Send(*task);
    if (!reply)
        return Finish(task, {}, kCannotSend);
    RecordRequest(*task);
    TakeSentFrames(*task);

    if (task->device == 0 && m_tcp) {
        // Nobody answers a broadcast; over TCP it is done once it is sent.
        connect(reply, &QModbusReply::finished, reply, &QObject::deleteLater);
        return Finish(task, {}, kOk);
    }

    m_current = task;
    const quint64 execution = ++m_execution;
    m_crcSeen = false;
    m_watchdog->start(m_bound);
    connect(reply, &QModbusReply::intermediateErrorOccurred, this,
            [this, execution](QModbusDevice::IntermediateError e) {
                if (execution == m_execution && e == QModbusDevice::ResponseCrcError)
                    m_crcSeen = true;
            });
    // Queued: a handler may wait for its next task, and the client cannot read
    // that task's reply while it is still inside the signal of this one.
    const QPointer<QModbusReply> guarded(reply);
    auto done = [this, guarded, execution] { OnReplyFinished(guarded, execution); };
    if (reply->isFinished())
        QMetaObject::invokeMethod(this, done, Qt::QueuedConnection);
    else
        connect(reply, &QModbusReply::finished, this, done, Qt::QueuedConnection);
}

QModbusReply *TMBComMaster::Send(const Task &task)
{
    const int device = task.device;
    switch (task.kind) {
    case Kind::ReadInput:
        return m_client->sendReadRequest(
            QModbusDataUnit(QModbusDataUnit::InputRegisters, task.address,
                            quint16(task.count * MbValues::RegistersPerValue(task.dataType))),
            device);
    case Kind::ReadHold:
        return m_client->sendReadRequest(
            QModbusDataUnit(QModbusDataUnit::HoldingRegisters, task.address,
                            quint16(task.count * MbValues::RegistersPerValue(task.dataType))),
            device);
    case Kind::ReadBins:
        return m_client->sendReadRequest(
            QModbusDataUnit(QModbusDataUnit::Coils, task.address, quint16(task.count)), device);
    case Kind::WriteHold:
        return m_client->sendWriteRequest(
            QModbusDataUnit(QModbusDataUnit::HoldingRegisters, task.address, task.words), device);
    case Kind::WriteBins:
        return m_client->sendWriteRequest(QModbusDataUnit(QModbusDataUnit::Coils, task.address, task.words),
                                          device);
    case Kind::DeviceName:
        return m_client->sendRawRequest(QModbusRequest(QModbusRequest::ReportServerId), device);
    }
    return nullptr;
}

void TMBComMaster::OnReplyFinished(const QPointer<QModbusReply> &reply, quint64 execution)
{
    if (reply)
        reply->deleteLater();
    if (!reply || execution != m_execution || !m_current)
        return; // the link closed meanwhile and the task has had its event
    const TaskPtr task = m_current;
    m_current.reset();
    m_watchdog->stop();
    QMetaObject::invokeMethod(this, &TMBComMaster::ProcessQueue, Qt::QueuedConnection);

    QVariant value;
    int result = kOk;
    const QModbusResponse raw = reply->rawResult();
    RecordReply(*task, raw);
    if (raw.isValid()) {
        // Qt's TCP client takes any reply with the right transaction id.
        QByteArray pdu(1, char(raw.functionCode() | (raw.isException() ? QModbusPdu::ExceptionByte : 0)));
        pdu += raw.data();
        if (m_tcp) {
            const SniffedFrame *frame = FrameOf(pdu);
            if (frame && frame->protocol != 0)
                return Finish(task, {}, kUnknown); // not a Modbus frame
            if (frame && frame->unit != task->device)
                return Finish(task, {}, kOtherUnit);
        } else if (m_client && m_client->device() && m_client->device()->isTransactionStarted() &&
                   !ReplyEndsTheLine(*task, raw)) {
            return Finish(task, {}, kCrc);
        }
        if (raw.functionCode() != QModbusPdu::FunctionCode(FunctionOf(*task)))
            return Finish(task, {}, kOtherFunction);
    }
    // Qt refuses a server ID reply whose text follows its run indicator; the
    // payload is parsed here in either order.
    if (task->kind == Kind::DeviceName && raw.functionCode() == QModbusPdu::ReportServerId &&
        !raw.isException() && reply->error() == QModbusDevice::InvalidResponseError) {
        bool ok = false;
        value = MbIdentificationText(raw.data(), &ok);
        return Finish(task, ok ? value : QVariant(), ok ? kOk : kTooShort);
    }
    switch (reply->error()) {
    case QModbusDevice::NoError:
        if (task->device == 0)
            break; // a broadcast gets no reply data
        if (task->kind == Kind::ReadInput || task->kind == Kind::ReadHold) {
            MbValues::Error e;
            value = MbValues::Decode(reply->result().values(), task->dataType, task->count, &e);
            result = DecodeErrorResult(e);
        } else if (task->kind == Kind::ReadBins) {
            QList<bool> bits;
            for (quint16 v : reply->result().values())
                bits.append(v != 0);
            MbValues::Error e;
            value = MbValues::DecodeBits(bits, task->count, &e);
            result = DecodeErrorResult(e);
        } else if (task->kind == Kind::DeviceName) {
            bool ok = false;
            value = MbIdentificationText(raw.data(), &ok);
            if (!ok) {
                value = QVariant();
                result = kTooShort;
            }
        }
        break;
    case QModbusDevice::ProtocolError:
        if (raw.isException())
            result = ExceptionResult(raw.exceptionCode());
        else
            result = m_crcSeen ? kCrc : kUnknown;
        break;
    case QModbusDevice::TimeoutError:
        // Qt drops frames with a bad CRC and then times out.
        result = m_crcSeen ? kCrc : kTimeout;
        if (task->device == 0 && !m_crcSeen)
            result = kOk;
        break;
    case QModbusDevice::ConnectionError:
    case QModbusDevice::WriteError:
    case QModbusDevice::ReadError:
    case QModbusDevice::ReplyAbortedError:
        result = kCannotSend;
        break;
    case QModbusDevice::InvalidResponseError:
        // Qt refuses a read reply that holds less than was asked for.
        result = task->kind == Kind::ReadInput || task->kind == Kind::ReadHold || task->kind == Kind::ReadBins
                     ? kTooShort
                     : kUnknown;
        break;
    default:
        result = kUnknown;
        break;
    }
    Finish(task, value, result);
}

void TMBComMaster::Finish(const TaskPtr &task, const QVariant &value, int result)
{
    if (task->freed)
        return;
    if (task->period <= 0)
        m_tasks.removeOne(task);
    PublishRecord(*task, result);
    EmitExchange(task->tag, task->qid, task->device, FunctionOf(*task), value, result);
}

void TMBComMaster::OnWatchdog()
{
    if (!m_current)
        return;
    const TaskPtr task = m_current;
    m_current.reset();
    ++m_execution; // its reply, should it ever come, no longer counts
    Recycle();
    Finish(task, {}, kTimeout);
}

void TMBComMaster::Recycle()
{
    // Qt's client cannot be told to give a reply up, and its TCP reader stays stuck
    // in the broken frame: a fresh client on the same port starts clean.
    if (m_client) {
        m_client->disconnect(this);
        m_client->disconnectDevice();
        m_client->deleteLater();
    }
    m_recycling = true;
    m_client = CreateClient();
    m_connectBound->start(m_bound);
    m_client->connectDevice();
}

void TMBComMaster::SniffReplies(QModbusClient *client)
{
    QIODevice *device = client->device();
    if (!device)
        return;
    m_sniffed.clear();
    m_frames.clear();
    // Qt's reader, connected first, reads everything inside the transaction; then
    // this one takes the same bytes for itself.
    if (auto *socket = qobject_cast<QTcpSocket *>(device))
        connect(socket, &QAbstractSocket::connected, this, [socket] { socket->startTransaction(); });
    else
        connect(client, &QModbusDevice::stateChanged, this, [device](QModbusDevice::State s) {
            if (s == QModbusDevice::ConnectedState && !device->isTransactionStarted())
                device->startTransaction();
        });
    connect(device, &QIODevice::readyRead, this, [this, client, device] {
        if (client != m_client || !device->isTransactionStarted())
            return;
        device->rollbackTransaction();
        m_sniffed += device->readAll();
        device->startTransaction();
        if (!m_tcp) {
            // A line that never stops talking must not grow the buffer.
            if (m_sniffed.size() > 4096)
                m_sniffed = m_sniffed.right(512);
            return;
        }
        while (m_sniffed.size() >= 8) {
            const int length = quint8(m_sniffed.at(4)) << 8 | quint8(m_sniffed.at(5));
            if (length < 2 || length > 254) {
                m_sniffed.clear(); // lost the frame boundaries; the watchdog recovers
                break;
            }
            if (m_sniffed.size() < 6 + length)
                break;
            m_frames.append({quint8(m_sniffed.at(6)), quint8(m_sniffed.at(2)) << 8 | quint8(m_sniffed.at(3)),
                             m_sniffed.mid(7, length - 1)});
            m_sniffed.remove(0, 6 + length);
        }
        while (m_frames.size() > 8)
            m_frames.removeFirst();
    });
}

const TMBComMaster::SniffedFrame *TMBComMaster::FrameOf(const QByteArray &pdu) const
{
    for (qsizetype i = m_frames.size() - 1; i >= 0; --i) {
        if (m_frames.at(i).pdu == pdu)
            return &m_frames.at(i);
    }
    return nullptr;
}

// On a serial line a frame ends with the silence after it: bytes after the reply Qt
// took make one longer frame whose check sum is wrong.
bool TMBComMaster::ReplyEndsTheLine(const Task &task, const QModbusResponse &raw) const
{
    QByteArray adu(1, char(task.device));
    adu += char(raw.functionCode() | (raw.isException() ? QModbusPdu::ExceptionByte : 0));
    adu += raw.data();
    return m_sniffed.size() >= adu.size() + 2 && m_sniffed.chopped(2).endsWith(adu);
}

int TMBComMaster::ExecutionBoundMs() const
{
    return m_client ? m_bound : IMBComMaster::ExecutionBoundMs();
}

int TMBComMaster::CompletionBoundMs() const
{
    const qint64 ahead = m_queue.size() + (m_current ? 1 : 0) + (m_recycling ? 1 : 0);
    return int(qMin<qint64>(qMax<qint64>(1, ahead) * ExecutionBoundMs(), INT_MAX / 2));
}

void TMBComMaster::FailPending()
{
    m_watchdog->stop();
    ++m_execution; // the reply of the execution on the line no longer counts
    QList<TaskPtr> pending = m_queue;
    m_queue.clear();
    if (m_current) {
        pending.prepend(m_current);
        m_current.reset();
    }
    for (const TaskPtr &t : std::as_const(pending)) {
        t->queued = false;
        Finish(t, {}, kCannotSend);
    }
}

int TMBComMaster::FunctionOf(const Task &task)
{
    switch (task.kind) {
    case Kind::ReadInput:
        return 4;
    case Kind::ReadHold:
        return 3;
    case Kind::WriteHold:
        return task.words.size() == 1 ? 6 : 16;
    case Kind::WriteBins:
        return task.words.size() == 1 ? 5 : 15;
    case Kind::ReadBins:
        return 1;
    case Kind::DeviceName:
        return 0x11;
    }
    return 0;
}
