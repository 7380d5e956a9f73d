#include "link/rtumaster.h"

#include "link/exchangerecord.h"
#include "link/linealarm.h"

#include <QDateTime>
#include <QTimer>

namespace
{
// 8 data bits, no parity, one stop bit: ten bits a character.
constexpr qint64 kBitsPerChar = 10;
// The devices' turnaround after a broadcast, which nobody answers.
constexpr qint64 kTurnaroundNs = 100'000'000;
constexpr int kLongestFrame = 256;

// The length of the reply frame in `frame` (address, PDU, check sum), or -1 while its
// function does not tell yet.
int ExpectedSize(const QByteArray &frame)
{
    if (frame.size() < 2)
        return -1;
    const QModbusResponse pdu(QModbusPdu::FunctionCode(quint8(frame.at(1))), frame.mid(2));
    const int data = QModbusResponse::calculateDataSize(pdu);
    return data < 0 ? -1 : 2 + data + 2;
}
} // namespace

RtuMaster::RtuMaster(QObject *parent)
    : QModbusDevice(parent), m_port(new QSerialPort(this)), m_alarm(new LineAlarm(this)), m_timeout(new QTimer(this))
{
    m_timeout->setSingleShot(true);
    m_timeout->setTimerType(Qt::PreciseTimer);
    connect(m_timeout, &QTimer::timeout, this, &RtuMaster::OnTimeout);
    connect(m_alarm, &LineAlarm::Rang, this, &RtuMaster::OnAlarm);
    connect(m_port, &QSerialPort::readyRead, this, &RtuMaster::OnReadyRead);
    connect(m_port, &QSerialPort::errorOccurred, this, &RtuMaster::OnPortError);
}

RtuMaster::~RtuMaster() = default;

void RtuMaster::SetLine(const QString &portName, int baud)
{
    m_portName = portName;
    m_baud = qMax(1, baud);
}

void RtuMaster::SetTiming(int timeoutMs, int retries)
{
    m_timeoutMs = qMax(1, timeoutMs);
    m_retries = qMax(0, retries);
}

qint64 RtuMaster::CharNs() const
{
    return kBitsPerChar * 1'000'000'000 / m_baud;
}

qint64 RtuMaster::SilenceNs() const
{
    return m_baud > 19200 ? 1'750'000 : 35 * CharNs() / 10;
}

bool RtuMaster::open()
{
    if (state() == QModbusDevice::ConnectedState)
        return true;
    m_port->setPortName(m_portName);
    m_port->setBaudRate(m_baud);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadWrite)) {
        setError(m_port->errorString(), QModbusDevice::ConnectionError);
        return false;
    }
    m_port->clear();
    m_frame.clear();
    m_stage = Stage::Idle;
    // Whatever the line was doing before we listened, it has a silence to finish.
    m_lastByteNs = LineAlarm::NowNs();
    m_quietAtNs = m_lastByteNs + SilenceNs();
    setState(QModbusDevice::ConnectedState);
    return true;
}

void RtuMaster::close()
{
    if (state() == QModbusDevice::UnconnectedState)
        return;
    setState(QModbusDevice::ClosingState);
    if (m_port->isOpen())
        m_port->close();
    if (m_stage != Stage::Idle) {
        m_stage = Stage::Idle;
        m_alarm->Stop();
        m_timeout->stop();
        // From the event loop, not inside the caller's close.
        QMetaObject::invokeMethod(
            this, [this] { emit Finished({QModbusDevice::ReplyAbortedError, {}, m_crcSeen}); },
            Qt::QueuedConnection);
    }
    setState(QModbusDevice::UnconnectedState);
}

void RtuMaster::OnPortError(QSerialPort::SerialPortError e)
{
    // An adapter pulled out of its socket: the link is gone, not every answer late.
    if (e == QSerialPort::ResourceError && state() == QModbusDevice::ConnectedState) {
        setError(m_port->errorString(), QModbusDevice::ConnectionError);
        disconnectDevice();
    }
}

bool RtuMaster::Send(int device, const QModbusRequest &pdu)
{
    if (state() != QModbusDevice::ConnectedState || m_stage != Stage::Idle)
        return false;
    m_device = device;
    m_function = pdu.functionCode();
    m_adu.clear();
    m_adu.reserve(4 + pdu.dataSize());
    m_adu.append(char(device));
    m_adu.append(char(pdu.functionCode()));
    m_adu.append(pdu.data());
    m_adu.append(ModbusRtuCrc(m_adu));
    m_triesLeft = m_retries + 1;
    m_crcSeen = false;
    m_frames.clear(); // of a request nobody took them for
    m_stage = Stage::Silence;
    if (LineAlarm::NowNs() >= m_quietAtNs)
        Transmit();
    else
        m_alarm->StartAt(m_quietAtNs);
    return true;
}

void RtuMaster::Transmit()
{
    m_frame.clear();
    --m_triesLeft;
    const bool written = m_port->write(m_adu) == m_adu.size();
    // Out now, not on the next pass of the event loop.
    m_port->flush();
    const qint64 now = LineAlarm::NowNs();
    Keep(true, m_adu);
    const qint64 onLine = m_adu.size() * CharNs();
    m_lastByteNs = now + onLine;
    m_quietAtNs = m_lastByteNs + (m_device == 0 ? kTurnaroundNs : SilenceNs());
    m_stage = Stage::Reply;
    if (!written) {
        // Told from the event loop like every other outcome.
        QMetaObject::invokeMethod(
            this, [this] { Complete({QModbusDevice::WriteError, {}, false}); }, Qt::QueuedConnection);
        return;
    }
    if (m_device == 0) {
        m_alarm->StartAt(m_lastByteNs); // a broadcast is done once it has left the line
        return;
    }
    // The device's answer delay runs from the end of the request.
    m_timeout->start(m_timeoutMs + int((onLine + 999'999) / 1'000'000));
}

void RtuMaster::OnReadyRead()
{
    const QByteArray bytes = m_port->readAll();
    if (bytes.isEmpty())
        return;
    m_lastByteNs = LineAlarm::NowNs();
    // A reply ends the request's time on the line (a line without a baud rate, such
    // as a pseudo-terminal, answers before it would have); nothing shortens the rest
    // after a broadcast.
    if (m_stage == Stage::Reply && m_device != 0)
        m_quietAtNs = m_lastByteNs + SilenceNs();
    else
        m_quietAtNs = qMax(m_quietAtNs, m_lastByteNs + SilenceNs());
    if (m_stage == Stage::Silence) {
        // Someone talks: the silence before our request starts again.
        m_alarm->StartAt(m_quietAtNs);
        return;
    }
    if (m_stage != Stage::Reply || m_device == 0)
        return;
    if (m_frame.size() < 2 * kLongestFrame)
        m_frame += bytes;
    // A frame ends with the silence after it; the function's length tells when to
    // listen for that silence, so a reply the adapter hands over in pieces is whole.
    const int expected = ExpectedSize(m_frame);
    if (expected > 0 && m_frame.size() >= expected)
        m_alarm->StartAt(m_lastByteNs + SilenceNs());
}

void RtuMaster::OnAlarm()
{
    switch (m_stage) {
    case Stage::Silence:
        if (LineAlarm::NowNs() < m_quietAtNs)
            m_alarm->StartAt(m_quietAtNs);
        else
            Transmit();
        break;
    case Stage::Reply:
        if (m_device == 0)
            Complete({});
        else
            OnFrameEnd();
        break;
    case Stage::Idle:
        break;
    }
}

void RtuMaster::OnFrameEnd()
{
    const QByteArray frame = std::exchange(m_frame, {});
    Keep(false, frame);
    if (frame.size() < 4 || ModbusRtuCrc(frame.chopped(2)) != frame.right(2)) {
        m_crcSeen = true; // dropped; the time-out decides
        return;
    }
    const auto function = quint8(frame.at(1));
    if (quint8(frame.at(0)) != m_device || (function & 0x7F) != m_function)
        return; // not the answer to this request
    Outcome o;
    o.response = QModbusResponse(QModbusPdu::FunctionCode(function), frame.mid(2, frame.size() - 4));
    if (o.response.isException())
        o.error = QModbusDevice::ProtocolError;
    else if (!Values(o.response, nullptr))
        o.error = QModbusDevice::InvalidResponseError;
    Complete(std::move(o));
}

void RtuMaster::OnTimeout()
{
    if (m_stage != Stage::Reply)
        return;
    m_alarm->Stop();
    if (!m_frame.isEmpty())
        Keep(false, std::exchange(m_frame, {})); // a frame that never became whole
    if (m_triesLeft > 0) {
        m_stage = Stage::Silence;
        if (LineAlarm::NowNs() >= m_quietAtNs)
            Transmit();
        else
            m_alarm->StartAt(m_quietAtNs);
        return;
    }
    Complete({QModbusDevice::TimeoutError, {}, false});
}

void RtuMaster::Complete(Outcome outcome)
{
    m_stage = Stage::Idle;
    m_alarm->Stop();
    m_timeout->stop();
    outcome.crcSeen = m_crcSeen;
    emit Finished(outcome);
}

void RtuMaster::SetCapture(bool on)
{
    m_capture = on;
    if (!on)
        m_frames.clear();
}

QList<LineFrame> RtuMaster::TakeFrames()
{
    return std::exchange(m_frames, {});
}

void RtuMaster::Keep(bool sent, const QByteArray &bytes)
{
    if (!m_capture || bytes.isEmpty())
        return;
    LineFrame f;
    f.sent = sent;
    f.bytes = bytes;
    f.wallMs = QDateTime::currentMSecsSinceEpoch();
    f.clockNs = LineCapture::ClockNs();
    f.seq = ++m_seq;
    m_frames.append(std::move(f));
    // Nobody took them: an execution with many tries keeps its latest.
    while (m_frames.size() > 64)
        m_frames.removeFirst();
}

bool RtuMaster::Values(const QModbusResponse &reply, QList<quint16> *values)
{
    const QByteArray data = reply.data();
    switch (reply.functionCode()) {
    case QModbusPdu::ReadHoldingRegisters:
    case QModbusPdu::ReadInputRegisters: {
        if (data.isEmpty() || quint8(data.at(0)) != data.size() - 1 || data.size() % 2 == 0)
            return false;
        if (values) {
            values->clear();
            for (qsizetype i = 1; i + 1 < data.size(); i += 2)
                values->append(quint16(quint8(data.at(i)) << 8 | quint8(data.at(i + 1))));
        }
        return true;
    }
    case QModbusPdu::ReadCoils:
    case QModbusPdu::ReadDiscreteInputs: {
        if (data.isEmpty() || quint8(data.at(0)) != data.size() - 1)
            return false;
        if (values) {
            values->clear();
            for (qsizetype i = 1; i < data.size(); ++i) {
                for (int bit = 0; bit < 8; ++bit)
                    values->append((quint8(data.at(i)) >> bit) & 1);
            }
        }
        return true;
    }
    case QModbusPdu::WriteSingleCoil:
    case QModbusPdu::WriteSingleRegister:
    case QModbusPdu::WriteMultipleCoils:
    case QModbusPdu::WriteMultipleRegisters:
        return data.size() == 4;
    default:
        return true;
    }
}
