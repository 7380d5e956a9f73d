#include "link/tmbcommaster.h"

#include "link/conventions.h"
#include "link/exceptionresult.h"
#include "link/mbidentification.h"
#include "link/mbvalues.h"

#include <QModbusReply>
#include <QModbusTcpClient>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTimer>
#include <QTimerEvent>
#include <QUrl>

#include <climits>
#include <memory>

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

QModbusDevice *TMBComMaster::CreateClient()
{
    const QString port = ComPort().trimmed();
    QModbusDevice *client = nullptr;
    const int timeout = qMax(10, AnswerDelay());
    const int retries = qMax(0, Retries());
    m_tcp = port.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive);
    if (m_tcp) {
        const QUrl url(port);
        auto *tcp = new QModbusTcpClient(this);
        tcp->setConnectionParameter(QModbusDevice::NetworkAddressParameter, url.host());
        tcp->setConnectionParameter(QModbusDevice::NetworkPortParameter, url.port(502));
        tcp->setTimeout(timeout);
        tcp->setNumberOfRetries(retries);
        SniffReplies(tcp);
        WatchLine(tcp);
        client = tcp;
    } else {
        // InterByte is not applied: the master finds the end of a frame itself and
        // keeps the 3.5-character silence between frames; a longer silence would
        // only slow the line down.
        auto *rtu = new RtuMaster(this);
        rtu->SetLine(SerialPortName(port), ComSpeed());
        rtu->SetTiming(timeout, retries);
        // Direct: RtuMaster tells an outcome from the event loop, outside the signals
        // of its port, so a handler may wait for its next task inside it.
        connect(rtu, &RtuMaster::Finished, this, [this, rtu](const RtuMaster::Outcome &o) {
            if (rtu == m_client && m_current)
                OnRtuFinished(o);
        });
        client = rtu;
    }
    m_bound = ExecutionBoundFor(timeout, retries, ComSpeed(), !m_tcp);
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

QModbusClient *TMBComMaster::Tcp() const
{
    return m_tcp ? static_cast<QModbusClient *>(m_client.data()) : nullptr;
}

RtuMaster *TMBComMaster::Rtu() const
{
    return m_tcp ? nullptr : static_cast<RtuMaster *>(m_client.data());
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
        PostProcessQueue();
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
    // An idle line takes the task at once; its result still comes from the event
    // loop (FinishLater), never inside the hand-over call.
    if (!m_processPosted)
        ProcessQueue();
}

void TMBComMaster::PostProcessQueue()
{
    if (m_processPosted)
        return;
    m_processPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_processPosted = false;
            ProcessQueue();
        },
        Qt::QueuedConnection);
}

void TMBComMaster::ProcessQueue()
{
    while (!m_current && !m_recycling && !m_queue.isEmpty()) {
        const TaskPtr task = m_queue.takeFirst();
        task->queued = false;
        Execute(task);
    }
}

// An execution that ends before it reaches the line: its event is posted, so that it
// keeps its place among the results and stays out of the caller's call. It counts as
// queued until then, so a periodic task does not double it.
void TMBComMaster::FinishLater(const TaskPtr &task, int result)
{
    task->queued = true;
    QMetaObject::invokeMethod(
        this,
        [this, task, result] {
            task->queued = false;
            Finish(task, {}, result);
        },
        Qt::QueuedConnection);
}

void TMBComMaster::Execute(const TaskPtr &task)
{
    const bool isRegisterRead = task->kind == Kind::ReadInput || task->kind == Kind::ReadHold;
    const bool isWrite = task->kind == Kind::WriteHold || task->kind == Kind::WriteBins;
    if (!isWrite && task->device == 0)
        return FinishLater(task, kResultBroadcastRead);
    if (!m_connected || !m_client || m_client->state() != QModbusDevice::ConnectedState)
        return FinishLater(task, kCannotSend);
    if (task->encodeError != kOk)
        return FinishLater(task, task->encodeError);
    if (isRegisterRead && MbValues::RegistersPerValue(task->dataType) == 0)
        return FinishLater(task, kBadType);
    if (task->count < 1)
        return FinishLater(task, kUnknown);

    if (RtuMaster *rtu = Rtu()) {
        rtu->SetCapture(Recording());
        if (!rtu->Send(task->device, RequestPdu(*task)))
            return FinishLater(task, kCannotSend);
        RecordRequest(*task);
    } else {
        m_frames.clear();
        QModbusReply *reply = Send(*task);
        if (!reply)
            return FinishLater(task, kCannotSend);
        RecordRequest(*task);
        TakeSentFrames(*task);
        if (task->device == 0) {
            // Nobody answers a broadcast; over TCP it is done once it is sent.
            connect(reply, &QModbusReply::finished, reply, &QObject::deleteLater);
            return FinishLater(task, kOk);
        }
        // Out now, not when the socket's write notifier comes round.
        static_cast<QAbstractSocket *>(Tcp()->device())->flush();
        m_reply = reply;
        if (reply->isFinished())
            m_answered.start(0, this);
        else
            connect(reply, &QModbusReply::finished, this, [this, reply] {
                if (reply == m_reply)
                    m_answered.start(0, this);
            });
    }
    m_current = task;
    // One watchdog for all executions: it is armed again only when it rings
    // before the bound of the execution then on the line.
    m_deadline = QDeadlineTimer(m_bound, Qt::PreciseTimer);
    if (!m_watchdog->isActive())
        m_watchdog->start(m_bound);
}

QModbusReply *TMBComMaster::Send(const Task &task)
{
    const int device = task.device;
    QModbusClient *client = Tcp();
    switch (task.kind) {
    case Kind::ReadInput:
        return client->sendReadRequest(
            QModbusDataUnit(QModbusDataUnit::InputRegisters, task.address,
                            quint16(task.count * MbValues::RegistersPerValue(task.dataType))),
            device);
    case Kind::ReadHold:
        return client->sendReadRequest(
            QModbusDataUnit(QModbusDataUnit::HoldingRegisters, task.address,
                            quint16(task.count * MbValues::RegistersPerValue(task.dataType))),
            device);
    case Kind::ReadBins:
        return client->sendReadRequest(
            QModbusDataUnit(QModbusDataUnit::Coils, task.address, quint16(task.count)), device);
    case Kind::WriteHold:
        return client->sendWriteRequest(
            QModbusDataUnit(QModbusDataUnit::HoldingRegisters, task.address, task.words), device);
    case Kind::WriteBins:
        return client->sendWriteRequest(QModbusDataUnit(QModbusDataUnit::Coils, task.address, task.words),
                                          device);
    case Kind::DeviceName:
        return client->sendRawRequest(QModbusRequest(QModbusRequest::ReportServerId), device);
    }
    return nullptr;
}

void TMBComMaster::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_answered.timerId())
        return IMBComMaster::timerEvent(event);
    m_answered.stop();
    if (m_reply && m_reply->isFinished())
        OnReplyFinished(m_reply.data());
}

// The answer of an execution that ended otherwise; a reply that may still come goes
// with it.
void TMBComMaster::DropAnswer()
{
    m_answered.stop();
    if (m_reply)
        m_reply->deleteLater();
    m_reply = nullptr;
}

void TMBComMaster::OnReplyFinished(QModbusReply *reply)
{
    // Out of the client's signal: the reply can go at once.
    const std::unique_ptr<QModbusReply> owned(reply);
    m_reply = nullptr;
    if (!m_current)
        return; // the link closed meanwhile and the task has had its event
    Answer answer;
    answer.error = reply->error();
    answer.raw = reply->rawResult();
    if (answer.error == QModbusDevice::NoError)
        answer.values = reply->result().values();
    Conclude(TakeCurrent(), answer);
}

void TMBComMaster::OnRtuFinished(const RtuMaster::Outcome &outcome)
{
    if (!m_current)
        return; // the link closed meanwhile and the task has had its event
    Answer answer;
    answer.error = outcome.error;
    answer.raw = outcome.response;
    answer.crcSeen = outcome.crcSeen;
    if (answer.error == QModbusDevice::NoError)
        RtuMaster::Values(answer.raw, &answer.values);
    Conclude(TakeCurrent(), answer);
}

// The execution leaves the line: what the RTU master heard is its own, and the
// next execution's frames must not join them.
TMBComMaster::TaskPtr TMBComMaster::TakeCurrent()
{
    TaskPtr task = std::move(m_current);
    m_current.reset();
    if (task)
        TakeLineFrames(*task);
    return task;
}

void TMBComMaster::Conclude(const TaskPtr &task, const Answer &answer)
{
    RecordReply(*task, answer.raw);
    QVariant value;
    const int result = ResultOf(*task, answer, &value);
    // The next task goes to the line before this one's event is handled.
    ProcessQueue();
    Finish(task, value, result);
}

int TMBComMaster::ResultOf(const Task &task, const Answer &answer, QVariant *value) const
{
    const QModbusResponse &raw = answer.raw;
    if (raw.isValid()) {
        if (m_tcp) {
            // Qt's TCP client takes any reply with the right transaction id.
            const SniffedFrame *frame = FrameOf(raw);
            if (frame && frame->protocol != 0)
                return kUnknown; // not a Modbus frame
            if (frame && frame->unit != task.device)
                return kOtherUnit;
        }
        if (raw.functionCode() != QModbusPdu::FunctionCode(FunctionOf(task)))
            return kOtherFunction;
    }
    // Qt refuses a server ID reply whose text follows its run indicator; the
    // payload is parsed here in either order.
    if (task.kind == Kind::DeviceName && raw.functionCode() == QModbusPdu::ReportServerId &&
        !raw.isException() && answer.error == QModbusDevice::InvalidResponseError) {
        bool ok = false;
        *value = MbIdentificationText(raw.data(), &ok);
        if (!ok)
            *value = QVariant();
        return ok ? kOk : kTooShort;
    }
    switch (answer.error) {
    case QModbusDevice::NoError: {
        if (task.device == 0)
            return kOk; // a broadcast gets no reply data
        MbValues::Error e = MbValues::Error::None;
        if (task.kind == Kind::ReadInput || task.kind == Kind::ReadHold) {
            *value = MbValues::Decode(answer.values, task.dataType, task.count, &e);
        } else if (task.kind == Kind::ReadBins) {
            QList<bool> bits;
            bits.reserve(answer.values.size());
            for (quint16 v : answer.values)
                bits.append(v != 0);
            *value = MbValues::DecodeBits(bits, task.count, &e);
        } else if (task.kind == Kind::DeviceName) {
            bool ok = false;
            *value = MbIdentificationText(raw.data(), &ok);
            if (!ok) {
                *value = QVariant();
                return kTooShort;
            }
        }
        return DecodeErrorResult(e);
    }
    case QModbusDevice::ProtocolError:
        if (raw.isException())
            return ExceptionResult(raw.exceptionCode());
        return answer.crcSeen ? kCrc : kUnknown;
    case QModbusDevice::TimeoutError:
        // Bad frames are dropped, and then the reply times out.
        if (task.device == 0 && !answer.crcSeen)
            return kOk;
        return answer.crcSeen ? kCrc : kTimeout;
    case QModbusDevice::ConnectionError:
    case QModbusDevice::WriteError:
    case QModbusDevice::ReadError:
    case QModbusDevice::ReplyAbortedError:
        return kCannotSend;
    case QModbusDevice::InvalidResponseError:
        // A read reply that holds less than was asked for.
        return task.kind == Kind::ReadInput || task.kind == Kind::ReadHold || task.kind == Kind::ReadBins
                   ? kTooShort
                   : kUnknown;
    default:
        return kUnknown;
    }
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
    if (!m_deadline.hasExpired()) {
        m_watchdog->start(int(qMax<qint64>(1, m_deadline.remainingTime())));
        return;
    }
    const TaskPtr task = TakeCurrent();
    DropAnswer(); // its reply, should it ever come, no longer counts
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
    m_frames.clear();
    m_headerBytes = 0;
    m_skipBytes = 0;
    // Qt's reader, connected first, reads everything inside the transaction; this
    // one then looks at the headers of the same bytes and passes over the rest.
    connect(static_cast<QTcpSocket *>(device), &QAbstractSocket::connected, this,
            [device] { device->startTransaction(); });
    connect(device, &QIODevice::readyRead, this, [this, client, device] {
        if (client != m_client || !device->isTransactionStarted())
            return;
        device->rollbackTransaction();
        SniffHeaders(device);
        device->startTransaction();
    });
}

void TMBComMaster::SniffHeaders(QIODevice *device)
{
    while (device->bytesAvailable() > 0) {
        if (m_skipBytes > 0) {
            m_skipBytes -= qMax<qint64>(0, device->skip(m_skipBytes));
            continue;
        }
        const qint64 got = device->read(m_header + m_headerBytes, qint64(sizeof m_header) - m_headerBytes);
        if (got <= 0)
            break;
        m_headerBytes += int(got);
        if (m_headerBytes < int(sizeof m_header))
            break;
        m_headerBytes = 0;
        const auto byte = [this](int i) { return int(quint8(m_header[i])); };
        const int length = byte(4) << 8 | byte(5);
        if (length < 2 || length > 254) {
            // Lost the frame boundaries; the watchdog recovers.
            device->skip(device->bytesAvailable());
            break;
        }
        m_frames.append({byte(6), byte(2) << 8 | byte(3), byte(7), length - 2});
        m_skipBytes = length - 2;
    }
    while (m_frames.size() > 8)
        m_frames.removeFirst();
}

const TMBComMaster::SniffedFrame *TMBComMaster::FrameOf(const QModbusResponse &raw) const
{
    const int function = raw.functionCode() | (raw.isException() ? QModbusPdu::ExceptionByte : 0);
    for (qsizetype i = m_frames.size() - 1; i >= 0; --i) {
        const SniffedFrame &f = m_frames.at(i);
        if (f.function == function && f.pduSize == raw.dataSize())
            return &f;
    }
    return nullptr;
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
    DropAnswer(); // the reply of the execution on the line no longer counts
    QList<TaskPtr> pending = m_queue;
    m_queue.clear();
    if (TaskPtr current = TakeCurrent())
        pending.prepend(current);
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
