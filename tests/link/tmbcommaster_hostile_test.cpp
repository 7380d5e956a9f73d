// The real client against a raw Modbus TCP peer that answers as a faulty gateway
// would: malformed headers, cut replies, other units and functions, late replies.
#include "link/conventions.h"
#include "link/mailbox.h"
#include "link/tmbcommaster.h"
#include "support/ptypair.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <QSocketNotifier>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
constexpr int kGood = 1;
constexpr int kTooLong = 30; // MBAP length beyond the bytes that follow
constexpr int kZeroLength = 31;
constexpr int kCutShort = 32; // right length, half of the PDU
constexpr int kOtherUnit = 33;
constexpr int kOtherFunction = 34;
constexpr int kOtherProtocol = 35; // a header naming protocol 1, not Modbus
constexpr int kLateException = 36; // exception 3, 200 ms after the request
constexpr int kAnswerDelay = 300;

QByteArray Mbap(quint16 tid, int length, int unit)
{
    QByteArray h;
    h.append(char(tid >> 8)).append(char(tid & 0xFF)).append(2, '\0');
    h.append(char((length >> 8) & 0xFF)).append(char(length & 0xFF)).append(char(unit));
    return h;
}

// A Modbus TCP server written by hand, so it can break the protocol on purpose.
class RawPeer : public QObject
{
public:
    RawPeer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] { Read(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
                ++connections;
            }
        });
    }
    QString Port() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(m_server.serverPort()); }

    // From now on the port takes no new connection: a listener whose accept queue is
    // full drops every further SYN, so a connect waits as on a jammed gateway.
    bool Jam()
    {
        const quint16 port = m_server.serverPort();
        m_server.close();
        m_jammed = ::socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        ::setsockopt(m_jammed, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(m_jammed, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(m_jammed, 0) != 0)
            return false;
        for (int &filler : m_fillers) {
            filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(filler, reinterpret_cast<sockaddr *>(&a), sizeof a);
        }
        return true;
    }
    ~RawPeer() override
    {
        for (int fd : m_fillers)
            if (fd >= 0)
                ::close(fd);
        if (m_jammed >= 0)
            ::close(m_jammed);
    }

    QHash<int, int> requests; // per unit
    int connections = 0;

private:
    void Read(QTcpSocket *s)
    {
        QByteArray &buf = m_buffers[s];
        buf += s->readAll();
        while (buf.size() >= 8) {
            const int length = quint8(buf.at(4)) << 8 | quint8(buf.at(5));
            if (buf.size() < 6 + length)
                return;
            const quint16 tid = quint16(quint8(buf.at(0)) << 8 | quint8(buf.at(1)));
            const int unit = quint8(buf.at(6));
            const QByteArray pdu = buf.mid(7, length - 1);
            buf.remove(0, 6 + length);
            ++requests[unit];
            Answer(s, tid, unit, pdu);
        }
    }
    void Answer(QTcpSocket *s, quint16 tid, int unit, const QByteArray &pdu)
    {
        const quint8 fc = quint8(pdu.at(0));
        QByteArray reply;
        if (fc == 0x03 || fc == 0x04) {
            const int count = quint8(pdu.at(3)) << 8 | quint8(pdu.at(4));
            reply.append(char(fc)).append(char(2 * count));
            for (int i = 0; i < count; ++i)
                reply.append('\0').append(char(i + 1));
        } else if (fc == 0x11) {
            reply = QByteArray("\x11\x05\x01\xFFGood", 7);
        } else {
            reply = pdu.left(5); // write echo
        }
        switch (unit) {
        case 0:
            return; // broadcast
        case kTooLong:
            s->write(Mbap(tid, 200, unit) + reply.left(3));
            return;
        case kZeroLength:
            s->write(Mbap(tid, 0, unit));
            return;
        case kCutShort:
            s->write(Mbap(tid, int(reply.size()) + 1, unit) + reply.left(reply.size() / 2));
            return;
        case kOtherUnit:
            s->write(Mbap(tid, int(reply.size()) + 1, 7) + reply);
            return;
        case kOtherProtocol:
            s->write(Mbap(tid, int(reply.size()) + 1, unit).replace(2, 2, QByteArray("\0\1", 2)) + reply);
            return;
        case kOtherFunction:
            reply[0] = char(fc == 0x03 ? 0x04 : 0x03);
            s->write(Mbap(tid, int(reply.size()) + 1, unit) + reply);
            return;
        case kLateException: {
            const QByteArray exception = QByteArray(1, char(fc | 0x80)) + QByteArray(1, '\x03');
            QPointer<QTcpSocket> guarded(s);
            QTimer::singleShot(200, this, [guarded, tid, unit, exception] {
                if (guarded)
                    guarded->write(Mbap(tid, int(exception.size()) + 1, unit) + exception);
            });
            return;
        }
        default:
            s->write(Mbap(tid, int(reply.size()) + 1, unit) + reply);
        }
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    int m_jammed = -1;
    int m_fillers[2] = {-1, -1};
};

quint16 Crc(const QByteArray &data)
{
    quint16 crc = 0xFFFF;
    for (const char c : data) {
        crc ^= quint8(c);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

// Unit 1 on the far side of a pseudo-terminal: every request (one register read)
// gets the value 7; `trailing` follows the first reply.
class PtyDevice : public QObject
{
public:
    PtyDevice(int fd, QByteArray trailing = {}) : m_fd(fd), m_trailing(std::move(trailing)), m_notifier(fd, QSocketNotifier::Read)
    {
        m_clock.start();
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] { Answer(); });
    }
    QList<qint64> requestNs, replyNs; // when each request was whole, each reply written

private:
    void Answer()
    {
        char buf[256];
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n > 0)
            m_in.append(buf, n);
        if (m_in.size() < 8)
            return;
        requestNs.append(m_clock.nsecsElapsed());
        m_in.clear();
        QByteArray frame("\x01\x03\x02\x00\x07", 5);
        const quint16 crc = Crc(frame);
        frame.append(char(crc & 0xFF)).append(char(crc >> 8));
        frame.append(std::exchange(m_trailing, {}));
        [[maybe_unused]] const ssize_t w = ::write(m_fd, frame.constData(), size_t(frame.size()));
        replyNs.append(m_clock.nsecsElapsed());
    }

    int m_fd;
    QByteArray m_trailing;
    QByteArray m_in;
    QElapsedTimer m_clock;
    QSocketNotifier m_notifier;
};

struct Exchange {
    int qid = 0;
    int mbAddr = 0;
    QVariant value;
    int result = -1;
};
} // namespace

class HostileLinkTest : public QObject
{
    Q_OBJECT

private:
    Exchange Next(int qid, int ms)
    {
        QElapsedTimer t;
        t.start();
        for (;;) {
            for (qsizetype i = 0; i < m_spy->size(); ++i) {
                const QList<QVariant> a = m_spy->at(i);
                if (a.at(0).toInt() == qid) {
                    m_spy->removeAt(i);
                    return {a.at(0).toInt(), a.at(1).toInt(), a.at(3), a.at(4).toInt()};
                }
            }
            if (t.elapsed() > ms)
                return {};
            m_spy->wait(qMax(1, int(ms - t.elapsed())));
        }
    }
    int Read(int unit, int qid)
    {
        m_client->SetDeviceAddres(unit);
        m_client->ReadHoldRegs(qid, 0, 0, dtUInt16, 2);
        return Next(qid, m_client->ExecutionBoundMs() + 3000).result;
    }

    std::unique_ptr<RawPeer> m_peer;
    std::unique_ptr<TMBComMaster> m_client;
    std::unique_ptr<QSignalSpy> m_spy;
    std::unique_ptr<QSignalSpy> m_changes;

private Q_SLOTS:
    void init()
    {
        m_peer = std::make_unique<RawPeer>();
        m_client = std::make_unique<TMBComMaster>();
        m_client->SetComPort(m_peer->Port());
        m_client->SetAnswerDelay(kAnswerDelay);
        m_client->SetRetries(0);
        m_spy = std::make_unique<QSignalSpy>(m_client.get(), &IMBComMaster::OnExchange);
        m_changes = std::make_unique<QSignalSpy>(m_client.get(), &IMBComMaster::OnChangeConnected);
        m_client->SetConnected(true);
        QVERIFY(m_changes->wait(5000));
        QVERIFY(m_client->Connected());
        m_changes->clear();
    }
    void cleanup()
    {
        m_spy.reset();
        m_changes.reset();
        m_client.reset();
        m_peer.reset();
    }

    void malformedRepliesTimeOutAndTheLinkGoesOn()
    {
        for (int unit : {kTooLong, kZeroLength, kCutShort}) {
            QElapsedTimer took;
            took.start();
            QCOMPARE(Read(unit, 100 + unit), 1);
            QVERIFY2(took.elapsed() >= kAnswerDelay, qPrintable(QString::number(took.elapsed())));
            QCOMPARE(Read(kGood, 200 + unit), 0);
        }
        // A module search over units that break the frame ends, each unit answered once.
        const int units[] = {kGood, kTooLong, kZeroLength, kCutShort, kGood};
        for (int unit : units) {
            m_client->SetDeviceAddres(unit);
            m_client->GetDeviceName(17);
        }
        QList<int> results;
        QList<int> answered;
        for (int i = 0; i < 5; ++i) {
            const Exchange e = Next(17, 5 * m_client->ExecutionBoundMs());
            results << e.result;
            answered << e.mbAddr;
        }
        QCOMPARE(answered, QList<int>(std::begin(units), std::end(units)));
        QCOMPARE(results, (QList<int>{0, 1, 1, 1, 0}));
        // Nobody was told the link closed: it went on with a fresh connection.
        QCOMPARE(m_changes->size(), 0);
        QVERIFY(m_client->Connected());
        QVERIFY(m_peer->connections > 1);
    }

    void repliesFromAnotherUnitOrFunctionAreRefused()
    {
        QCOMPARE(Read(kOtherUnit, 300), 12);
        QCOMPARE(Read(kOtherFunction, 301), 13);
        m_client->SetDeviceAddres(kOtherUnit);
        m_client->GetDeviceName(302);
        QCOMPARE(Next(302, 3000).result, 12);
        QCOMPARE(Read(kGood, 303), 0);
    }

    // What the audit's hostile peers found: each must end in its own code or event.
    void faultsOfTheLinkItself()
    {
        // A header that does not name Modbus is no reply.
        QCOMPARE(Read(kOtherProtocol, 310), 14);
        QCOMPARE(Read(kGood, 311), 0);

        // A connect that is refused says so.
        TMBComMaster refused;
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        refused.SetComPort(QStringLiteral("tcp://127.0.0.1:%1").arg(closed.serverPort()));
        closed.close();
        QSignalSpy failed(&refused, &IMBComMaster::OnConnectFailed);
        refused.SetConnected(true);
        QVERIFY(failed.wait(5000));
        QVERIFY2(failed.first().at(0).toString().contains(QStringLiteral("отвергнуто")),
                 qPrintable(failed.first().at(0).toString()));

        // The fresh connection after a broken reply gets no more time than one execution.
        QVERIFY(m_peer->Jam());
        QElapsedTimer took;
        took.start();
        QCOMPARE(Read(kTooLong, 312), 1);
        QVERIFY(m_changes->wait(2 * m_client->ExecutionBoundMs() + 2000));
        QCOMPARE(m_changes->first().at(0).toBool(), false);
        QVERIFY2(took.elapsed() < 3 * m_client->ExecutionBoundMs(),
                 qPrintable(QString::number(took.elapsed())));
        QVERIFY(!m_client->Connected());
        QCOMPARE(Read(kGood, 313), 3);
    }

    // On a serial line, bytes after a reply make it one frame with a wrong check sum.
    void rtuReplyWithTrailingBytes()
    {
        PtyPair pty;
        QVERIFY(pty.Ready());
        const int fd = ::open(QFile::encodeName(pty.b).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        PtyDevice unit(fd, QByteArray("\x00\x55", 2));
        TMBComMaster rtu;
        rtu.SetComPort(pty.a);
        rtu.SetComSpeed(19200);
        rtu.SetAnswerDelay(kAnswerDelay);
        rtu.SetRetries(0);
        QSignalSpy up(&rtu, &IMBComMaster::OnChangeConnected);
        rtu.SetConnected(true);
        QVERIFY(up.wait(5000));
        QSignalSpy done(&rtu, &IMBComMaster::OnExchange);
        rtu.SetDeviceAddres(1);
        rtu.ReadHoldRegs(320, 0, 0, dtUInt16, 1);
        QVERIFY(done.wait(5000));
        QCOMPARE(done.first().at(4).toInt(), 2);
        rtu.ReadHoldRegs(321, 0, 0, dtUInt16, 1);
        QVERIFY(done.wait(5000));
        QCOMPARE(done.last().at(4).toInt(), 0);
        QCOMPARE(done.last().at(3).toInt(), 7);
        ::close(fd);
    }

    // The next request keeps the line's silence after the last byte of a reply, and
    // no more than it takes to hear that byte and wake up: at 9600 baud a
    // millisecond timer started after the reply is handled costs a tenth of the line.
    void rtuSilenceFollowsTheLastByte_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<double>("silenceMs");
        QTest::newRow("9600") << 9600 << 35.0 * 1000 / 9600;
        QTest::newRow("115200") << 115200 << 1.75;
    }
    void rtuSilenceFollowsTheLastByte()
    {
        QFETCH(int, baud);
        QFETCH(double, silenceMs);
        const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0 && ::grantpt(fd) == 0 && ::unlockpt(fd) == 0);
        const QString device = QString::fromLocal8Bit(::ptsname(fd));
        PtyDevice unit(fd);
        TMBComMaster rtu;
        rtu.SetComPort(device);
        rtu.SetComSpeed(baud);
        rtu.SetAnswerDelay(kAnswerDelay);
        rtu.SetRetries(0);
        rtu.SetDeviceAddres(1);
        QSignalSpy up(&rtu, &IMBComMaster::OnChangeConnected);
        rtu.SetConnected(true);
        QVERIFY(up.wait(5000));
        constexpr int kReads = 31;
        int done = 0, failed = 0;
        // A real event loop: QTest's waits sleep in steps of 10 ms.
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        connect(&rtu, &IMBComMaster::OnExchange, this, [&](int, int, int, const QVariant &, int result) {
            failed += result != 0;
            if (++done < kReads)
                rtu.ReadHoldRegs(330, 0, 0, dtUInt16, 1);
            else
                loop.quit();
        });
        rtu.ReadHoldRegs(330, 0, 0, dtUInt16, 1);
        loop.exec();
        QCOMPARE(done, kReads);
        QCOMPARE(failed, 0);
        QList<double> gapsMs;
        for (int i = 0; i + 1 < unit.requestNs.size(); ++i)
            gapsMs.append((unit.requestNs.at(i + 1) - unit.replyNs.at(i)) / 1e6);
        std::sort(gapsMs.begin(), gapsMs.end());
        const QString gaps = QStringLiteral("gaps %1 .. %2 ms, median %3 ms")
                                 .arg(gapsMs.first())
                                 .arg(gapsMs.last())
                                 .arg(gapsMs.at(gapsMs.size() / 2));
        qInfo().noquote() << gaps;
        QVERIFY2(gapsMs.first() >= silenceMs, qPrintable(gaps));
        QVERIFY2(gapsMs.at(gapsMs.size() / 2) < silenceMs + 1.2, qPrintable(gaps));
        rtu.SetConnected(false);
        ::close(fd);
    }

    void readsHaveNoBroadcastForm()
    {
        m_client->SetDeviceAddres(0);
        m_client->ReadHoldRegs(400, 0, 0, dtUInt16, 1);
        m_client->ReadInputRegs(401, 0, 0, dtFloat32, 1);
        m_client->ReadHoldBins(402, 0, 0, 1);
        m_client->GetDeviceName(403);
        m_client->WriteHoldRegs(404, 0, 0, TypedValue(5, dtUInt16));
        for (int qid : {400, 401, 402, 403}) {
            const Exchange e = Next(qid, 3000);
            QCOMPARE(e.result, kResultBroadcastRead);
            QCOMPARE(e.value, QVariant());
        }
        QVERIFY(ResultText(kResultBroadcastRead).contains(QStringLiteral("широковещательн")));
        QCOMPARE(Next(404, 3000).result, 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_peer->requests.value(0), 1, 3000); // only the write went out
    }

    void waitsFollowTheLinkAndDropLateResults()
    {
        // The deadline covers what the link may legitimately take.
        TMBComMaster slow;
        slow.SetComPort(QStringLiteral("COM1"));
        slow.SetComSpeed(1200);
        slow.SetAnswerDelay(60000);
        slow.SetRetries(100);
        QVERIFY(slow.CompletionBoundMs() > 101 * 60000);

        Mailbox box(m_client.get());
        connect(m_client.get(), &IMBComMaster::OnExchange, this,
                [&box](int qid, int, int, const QVariant &, int result) {
                    if (qid == 50 || qid == 51 || qid == 52)
                        box = result;
                });
        // A wait that gives up early...
        m_client->SetDeviceAddres(kLateException);
        m_client->ReadHoldRegs(50, 0, 0, dtUInt16, 1);
        QCOMPARE(WaitResult(box, 50), 1);
        // ...is not completed later by its task's late reply (exception 3, code 5).
        m_client->SetDeviceAddres(kGood);
        m_client->ReadHoldRegs(51, 0, 0, dtUInt16, 1);
        QCOMPARE(WaitResult(box), 0);
        QCOMPARE(Next(50, 100).result, 5);

        // A freed task never answers: the wait ends when the link would have answered.
        m_client->SetDeviceAddres(kLateException);
        m_client->ReadHoldRegs(52, 0, 0, dtUInt16, 1);
        m_client->FreeTask(52);
        QElapsedTimer took;
        took.start();
        QCOMPARE(WaitResult(box), 1);
        QVERIFY2(took.elapsed() >= m_client->ExecutionBoundMs() && took.elapsed() < 10000,
                 qPrintable(QString::number(took.elapsed())));
    }
};

QTEST_GUILESS_MAIN(HostileLinkTest)
#include "tmbcommaster_hostile_test.moc"
