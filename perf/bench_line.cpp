// The task server client side by side with libmodbus and with Qt SerialBus's own
// clients: one-shot reads of 2 holding registers, one request in flight, each next
// request sent from the previous one's completion, in rounds that take turns so
// that other load on the machine weighs on each alike.
//   bench_line [seconds-per-round] [rounds] [--only tcp|rtu9600|rtu19200|rtu115200|pty]
// Lines: Modbus TCP on loopback; RTU over a relay between two pseudo-terminals that
// gives every byte its character time and every frame its silence (9600, 19200 and
// 115200 baud); RTU over the relay without timing. The peers are libmodbus servers
// and the relay is this program started again (--tcp-server, --rtu-server, --relay),
// so only the clients' CPU is counted; they die with this process.
#include "link/conventions.h"
#include "link/tmbcommaster.h"

#include <QCoreApplication>
#include <QModbusReply>
#include <QModbusRtuSerialClient>
#include <QModbusTcpClient>
#include <QProcess>
#include <QSerialPort>
#include <QTimer>

#include <modbus.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace
{

constexpr int kRegisters = 100;
constexpr int kTimeoutMs = 1000;
constexpr int kWarmup = 10; // reads before a round's clocks start

int64_t MonotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// A peer must not outlive the benchmark, even one that is killed.
void DieWithParent(const char *parentPid)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != pid_t(std::atoi(parentPid)))
        _exit(1);
}

// The relay is the line and the RTU server the device: neither may be late because
// the machine is busy, so both run at real-time priority where that is allowed, the
// line above the device.
void RunRealtime(int priority)
{
    sched_param param{};
    param.sched_priority = priority;
    sched_setscheduler(0, SCHED_FIFO, &param);
}

// Character time and inter-frame silence of RTU: 10 bits a byte (8N1); 3.5
// characters up to 19200 baud, 1.75 ms above.
int64_t CharNs(int baud) { return 10'000'000'000LL / baud; }
int64_t SilenceNs(int baud) { return baud <= 19200 ? 35'000'000'000LL / baud : 1'750'000; }
// A 2-register read: request 8 bytes, reply 9, a silence after each.
double LimitMs(int baud) { return 17.0 * 10'000.0 / baud + 2.0 * double(SilenceNs(baud)) / 1e6; }

// ---------------------------------------------------------------- the peers

modbus_mapping_t *NewMapping()
{
    modbus_mapping_t *map = modbus_mapping_new(0, 0, kRegisters, 0);
    for (int i = 0; i < kRegisters; ++i)
        map->tab_registers[i] = uint16_t(1000 + i);
    return map;
}

int RunTcpServer()
{
    modbus_t *ctx = modbus_new_tcp("127.0.0.1", 0);
    int listener = ctx ? modbus_tcp_listen(ctx, 1) : -1;
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (listener < 0 || getsockname(listener, reinterpret_cast<sockaddr *>(&addr), &len) != 0) {
        std::fprintf(stderr, "tcp server: %s\n", modbus_strerror(errno));
        return 1;
    }
    modbus_mapping_t *map = NewMapping();
    std::printf("%d\n", ntohs(addr.sin_port));
    std::fflush(stdout);
    uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
    for (;;) {
        if (modbus_tcp_accept(ctx, &listener) < 0)
            continue;
        for (;;) {
            const int rc = modbus_receive(ctx, query);
            if (rc > 0)
                modbus_reply(ctx, query, rc, map);
            else if (rc < 0)
                break; // the client closed the connection
        }
        close(modbus_get_socket(ctx));
    }
}

int RunRtuServer(const char *path, int baud)
{
    modbus_t *ctx = modbus_new_rtu(path, baud, 'N', 8, 1);
    if (!ctx || modbus_set_slave(ctx, 1) != 0 || modbus_connect(ctx) != 0) {
        std::fprintf(stderr, "rtu server %s: %s\n", path, modbus_strerror(errno));
        return 1;
    }
    modbus_mapping_t *map = NewMapping();
    std::printf("READY\n");
    std::fflush(stdout);
    uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
    for (;;) {
        const int rc = modbus_receive(ctx, query);
        if (rc > 0)
            modbus_reply(ctx, query, rc, map);
        else if (rc < 0 && (errno == EIO || errno == EBADF || errno == ECONNRESET))
            return 1; // the relay is gone
    }
}

// ---------------------------------------------------------------- the relay

struct Pty {
    int master = -1;
    int slave = -1; // held open, so the master never sees a hang-up between clients
    const char *path = nullptr;
};

bool OpenPty(Pty &pty)
{
    pty.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (pty.master < 0 || grantpt(pty.master) != 0 || unlockpt(pty.master) != 0)
        return false;
    pty.path = strdup(ptsname(pty.master));
    pty.slave = open(pty.path, O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    if (pty.slave < 0 || tcgetattr(pty.slave, &t) != 0)
        return false;
    cfmakeraw(&t);
    return tcsetattr(pty.slave, TCSANOW, &t) == 0;
}

volatile sig_atomic_t g_stop = 0;

void OnTerm(int) { g_stop = 1; }

// One half-duplex line between two pseudo-terminals: each byte reaches the other
// side at the end of its character time; bytes that come while the line still
// sends the same direction's frame continue it, any other starts a new frame no
// earlier than the previous frame's last byte plus the silence. Baud 0 passes the
// bytes on at once. On SIGTERM it prints how late it delivered.
int RunRelay(int baud)
{
    prctl(PR_SET_TIMERSLACK, 1UL);
    Pty side[2];
    if (!OpenPty(side[0]) || !OpenPty(side[1])) {
        std::fprintf(stderr, "relay: %s\n", std::strerror(errno));
        return 1;
    }
    sigset_t term, unblocked;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    sigprocmask(SIG_BLOCK, &term, &unblocked);
    sigdelset(&unblocked, SIGTERM);
    struct sigaction sa{};
    sa.sa_handler = OnTerm;
    sigaction(SIGTERM, &sa, nullptr);
    std::printf("%s %s\n", side[0].path, side[1].path);
    std::fflush(stdout);

    // Waking from a sleep takes tens of µs, more on a busy virtual machine; the last
    // byte queued, the one a peer answers, is waited for by spinning through this margin.
    constexpr int64_t kSpinNs = 100'000;
    const bool timed = baud > 0;
    const int64_t charNs = timed ? CharNs(baud) : 0;
    const int64_t silenceNs = timed ? SilenceNs(baud) : 0;
    struct Delivery {
        int64_t at;
        int to;
        uint8_t byte;
    };
    std::deque<Delivery> queue; // in time order: one line
    int64_t lineEnd = INT64_MIN / 2; // end of the last byte given to the line
    int lineFrom = -1;
    std::vector<double> lateEnds; // µs, of the bytes that ended what was queued
    double lateSum = 0, lateMax = 0;
    long bytes = 0;

    while (!g_stop) {
        int64_t now = MonotonicNs();
        while (!queue.empty() && queue.front().at <= now) {
            uint8_t out[256];
            size_t n = 0;
            const int to = queue.front().to;
            const double late = double(now - queue.front().at) / 1000.0;
            while (!queue.empty() && queue.front().at <= now && queue.front().to == to && n < sizeof out) {
                out[n++] = queue.front().byte;
                queue.pop_front();
            }
            if (write(side[to].master, out, n) < 0 && errno != EAGAIN)
                return 1; // nobody reading: the byte is lost, as on a line
            bytes += long(n);
            lateSum += late;
            lateMax = std::max(lateMax, late);
            if (queue.empty() && timed)
                lateEnds.push_back(late);
        }
        pollfd fds[2] = {{side[0].master, POLLIN, 0}, {side[1].master, POLLIN, 0}};
        timespec wait{};
        timespec *timeout = nullptr;
        if (!queue.empty()) {
            const int64_t margin = queue.size() == 1 ? kSpinNs : 0;
            const int64_t left = std::max<int64_t>(0, queue.front().at - margin - now);
            wait.tv_sec = time_t(left / 1000000000);
            wait.tv_nsec = long(left % 1000000000);
            timeout = &wait;
        }
        if (ppoll(fds, 2, timeout, &unblocked) < 0 && errno != EINTR)
            return 1;
        now = MonotonicNs();
        for (int from = 0; from < 2; ++from) {
            if (!(fds[from].revents & POLLIN))
                continue;
            uint8_t in[512];
            const ssize_t got = read(side[from].master, in, sizeof in);
            for (ssize_t i = 0; i < got; ++i) {
                if (!timed) {
                    queue.push_back({now, 1 - from, in[i]});
                    continue;
                }
                if (lineFrom != from || now >= lineEnd) { // a new frame
                    lineEnd = std::max(now, lineEnd + silenceNs);
                    lineFrom = from;
                }
                lineEnd += charNs;
                queue.push_back({lineEnd, 1 - from, in[i]});
            }
        }
    }
    std::sort(lateEnds.begin(), lateEnds.end());
    auto at = [&](double q) { return lateEnds.empty() ? 0.0 : lateEnds[size_t(q * double(lateEnds.size() - 1))]; };
    const double relayCpu = double(clock()) / CLOCKS_PER_SEC;
    std::printf("%ld %.1f %.1f %zu %.1f %.1f %.1f %.2f\n", bytes, bytes ? lateSum / double(bytes) : 0.0, lateMax,
                lateEnds.size(), at(0.5), at(0.99), lateEnds.empty() ? 0.0 : lateEnds.back(), relayCpu);
    std::fflush(stdout);
    return 0;
}

// ---------------------------------------------------------------- the clients

struct Line {
    bool tcp = false;
    int port = 0;
    QString path;
    int baud = 19200;
};

struct Figures {
    int ok = 0;     // answered within the round's time
    int failed = 0; // warm-up included
    int timed = 0;  // reads within the round's time, answered or not
    double wall = 0;
    double cpu = 0;
    double PerSecond() const { return wall > 0 ? ok / wall : 0; }
    double CpuUs() const { return timed > 0 ? cpu / timed * 1e6 : 0; }
};

// Counts the completions of one client's round: the first kWarmup only for their
// failures, then until the round's time is up.
class Round
{
public:
    explicit Round(double seconds) : m_seconds(seconds) {}
    // True while another read is to be sent.
    bool Complete(bool ok)
    {
        if (m_seen < kWarmup) {
            m_f.failed += !ok;
            if (++m_seen == kWarmup) {
                m_wall0 = MonotonicNs();
                m_cpu0 = CpuSeconds();
            }
            return true;
        }
        ok ? ++m_f.ok : ++m_f.failed;
        ++m_f.timed;
        const double wall = double(MonotonicNs() - m_wall0) / 1e9;
        if (wall < m_seconds)
            return true;
        m_f.wall = wall;
        m_f.cpu = CpuSeconds() - m_cpu0;
        return false;
    }
    void Fail() { ++m_f.failed; }
    const Figures &Result() const { return m_f; }

private:
    double m_seconds;
    int m_seen = 0;
    int64_t m_wall0 = 0;
    double m_cpu0 = 0;
    Figures m_f;
};

// Runs the event loop until done() or the deadline.
void SpinUntil(const std::function<bool()> &done, int ms)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
}

void Settle() { SpinUntil([] { return false; }, 20); }

Figures RunLibmodbus(const Line &line, double seconds)
{
    Round round(seconds);
    modbus_t *ctx = line.tcp ? modbus_new_tcp("127.0.0.1", line.port)
                             : modbus_new_rtu(line.path.toLocal8Bit().constData(), line.baud, 'N', 8, 1);
    if (!ctx) {
        round.Fail();
        return round.Result();
    }
    modbus_set_slave(ctx, 1);
    modbus_set_response_timeout(ctx, kTimeoutMs / 1000, 0);
    if (modbus_connect(ctx) != 0) {
        std::fprintf(stderr, "libmodbus: %s\n", modbus_strerror(errno));
        round.Fail();
    } else {
        uint16_t regs[2];
        for (;;) {
            const bool ok = modbus_read_registers(ctx, 0, 2, regs) == 2;
            if (!ok)
                std::fprintf(stderr, "libmodbus: %s\n", modbus_strerror(errno));
            if (!round.Complete(ok))
                break;
        }
        modbus_close(ctx);
    }
    modbus_free(ctx);
    return round.Result();
}

Figures RunQtAlone(const Line &line, double seconds)
{
    Round round(seconds);
    std::unique_ptr<QModbusClient> client;
    if (line.tcp) {
        client = std::make_unique<QModbusTcpClient>();
        client->setConnectionParameter(QModbusDevice::NetworkAddressParameter, QStringLiteral("127.0.0.1"));
        client->setConnectionParameter(QModbusDevice::NetworkPortParameter, line.port);
    } else {
        client = std::make_unique<QModbusRtuSerialClient>();
        client->setConnectionParameter(QModbusDevice::SerialPortNameParameter, line.path);
        client->setConnectionParameter(QModbusDevice::SerialBaudRateParameter, line.baud);
        client->setConnectionParameter(QModbusDevice::SerialDataBitsParameter, QSerialPort::Data8);
        client->setConnectionParameter(QModbusDevice::SerialParityParameter, QSerialPort::NoParity);
        client->setConnectionParameter(QModbusDevice::SerialStopBitsParameter, QSerialPort::OneStop);
    }
    client->setTimeout(kTimeoutMs);
    client->setNumberOfRetries(0);
    QModbusClient *c = client.get();
    if (c->connectDevice())
        SpinUntil([c] { return c->state() == QModbusDevice::ConnectedState; }, 5000);
    if (c->state() != QModbusDevice::ConnectedState) {
        std::fprintf(stderr, "Qt client: %s\n", qPrintable(c->errorString()));
        round.Fail();
        return round.Result();
    }
    QEventLoop loop;
    std::function<void()> next = [&] {
        QModbusReply *reply = c->sendReadRequest({QModbusDataUnit::HoldingRegisters, 0, 2}, 1);
        if (!reply) {
            round.Fail();
            loop.quit();
            return;
        }
        QObject::connect(reply, &QModbusReply::finished, &loop, [&, reply] {
            const bool ok = reply->error() == QModbusDevice::NoError && reply->result().valueCount() == 2;
            if (!ok)
                std::fprintf(stderr, "Qt alone: %s\n", qPrintable(reply->errorString()));
            // Closing the link finishes the last reply a second time with an abort
            QObject::disconnect(reply, nullptr, &loop, nullptr);
            reply->deleteLater();
            if (round.Complete(ok))
                next();
            else
                loop.quit();
        });
    };
    QTimer::singleShot(0, &loop, next);
    loop.exec();
    c->disconnectDevice();
    Settle();
    return round.Result();
}

Figures RunOurs(const Line &line, double seconds)
{
    Round round(seconds);
    TMBComMaster client;
    client.SetComPort(line.tcp ? QStringLiteral("tcp://127.0.0.1:%1").arg(line.port) : line.path);
    client.SetComSpeed(line.baud);
    client.SetAnswerDelay(kTimeoutMs);
    client.SetRetries(0);
    client.SetDeviceAddres(1);
    client.SetConnected(true);
    SpinUntil([&] { return client.Connected(); }, 5000);
    if (!client.Connected()) {
        std::fprintf(stderr, "TMBComMaster did not connect\n");
        round.Fail();
        return round.Result();
    }
    QEventLoop loop;
    auto next = [&client] { client.ReadHoldRegs(400001, 0, 0, dtUInt16, 2); };
    QObject::connect(&client, &IMBComMaster::OnExchange, &loop,
                     [&](int, int, int, const QVariant &, int result) {
                         if (result != 0)
                             std::fprintf(stderr, "ours: result %d\n", result);
                         if (round.Complete(result == 0))
                             next();
                         else
                             loop.quit();
                     });
    next();
    loop.exec();
    client.SetConnected(false);
    Settle();
    return round.Result();
}

// Drops whatever a client left unread on the pseudo-terminal before the next opens it.
void FlushLine(const Line &line)
{
    if (line.tcp)
        return;
    const int fd = open(line.path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        tcflush(fd, TCIOFLUSH);
        close(fd);
    }
}

// ---------------------------------------------------------------- the run

struct Config {
    const char *name;
    const char *title;
    bool tcp;
    int baud;
    bool timed;
};

const Config kConfigs[] = {
    {"tcp", "Modbus TCP on loopback, libmodbus server", true, 0, false},
    {"rtu9600", "RTU 9600 baud over the timed line, libmodbus server", false, 9600, true},
    {"rtu19200", "RTU 19200 baud over the timed line, libmodbus server", false, 19200, true},
    {"rtu115200", "RTU 115200 baud over the timed line, libmodbus server", false, 115200, true},
    {"pty", "RTU at a 19200 baud setting over pseudo-terminals without timing (informative)", false, 19200,
     false},
};

const char *const kClients[] = {"libmodbus", "Qt alone", "ours"};
using Runner = Figures (*)(const Line &, double);
const Runner kRunners[] = {RunLibmodbus, RunQtAlone, RunOurs};

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

QString ReadLine(QProcess &p)
{
    while (!p.canReadLine())
        if (!p.waitForReadyRead(5000))
            return {};
    return QString::fromLocal8Bit(p.readLine()).trimmed();
}

bool StartPeer(QProcess &p, const QStringList &args)
{
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(),
            QStringList(args) << QString::number(QCoreApplication::applicationPid()));
    return p.waitForStarted(5000);
}

void StopPeer(QProcess &p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(3000);
    }
}

// Runs one line's rounds and prints them; returns the failed transactions.
int RunConfig(const Config &config, double seconds, int rounds)
{
    std::printf("\n%s\n", config.title);
    QProcess relay, server;
    Line line;
    line.tcp = config.tcp;
    line.baud = config.tcp ? 0 : config.baud;
    if (config.tcp) {
        if (StartPeer(server, {QStringLiteral("--tcp-server")}))
            line.port = ReadLine(server).toInt();
        if (line.port <= 0) {
            std::printf("  the libmodbus TCP server did not start\n");
            return 1;
        }
    } else {
        QStringList paths;
        if (StartPeer(relay, {QStringLiteral("--relay"), QString::number(config.timed ? config.baud : 0)}))
            paths = ReadLine(relay).split(QLatin1Char(' '));
        if (paths.size() != 2 ||
            !StartPeer(server, {QStringLiteral("--rtu-server"), paths.at(1), QString::number(config.baud)}) ||
            ReadLine(server) != QLatin1String("READY")) {
            std::printf("  the relay or the libmodbus RTU server did not start\n");
            StopPeer(server);
            StopPeer(relay);
            return 1;
        }
        line.path = paths.at(0);
    }

    std::vector<Figures> runs[3];
    for (int r = 0; r < rounds; ++r)
        for (int c = 0; c < 3; ++c) {
            runs[c].push_back(kRunners[c](line, seconds));
            FlushLine(line);
        }
    StopPeer(server);
    StopPeer(relay);
    const QStringList precision =
        config.tcp ? QStringList() : QString::fromLocal8Bit(relay.readAllStandardOutput()).simplified().split(' ');

    std::printf("  %-8s", "round");
    for (const char *name : kClients)
        std::printf(" | %-22s", name);
    std::printf("\n  %-8s", "");
    for (int c = 0; c < 3; ++c)
        std::printf(" | %9s %12s", "tx/s", "CPU us/tx");
    std::printf("\n");
    double perSecond[3], cpuUs[3];
    int failed[3] = {};
    for (int r = 0; r < rounds; ++r) {
        std::printf("  %-8d", r + 1);
        for (int c = 0; c < 3; ++c)
            std::printf(" | %9.1f %12.1f", runs[c][size_t(r)].PerSecond(), runs[c][size_t(r)].CpuUs());
        std::printf("\n");
    }
    std::printf("  %-8s", "median");
    for (int c = 0; c < 3; ++c) {
        std::vector<double> ps, cpu;
        for (const Figures &f : runs[c]) {
            ps.push_back(f.PerSecond());
            cpu.push_back(f.CpuUs());
            failed[c] += f.failed;
        }
        perSecond[c] = Median(ps);
        cpuUs[c] = Median(cpu);
        std::printf(" | %9.1f %12.1f", perSecond[c], cpuUs[c]);
    }
    std::printf("\n  %-8s", "failed");
    for (int c = 0; c < 3; ++c)
        std::printf(" | %9d %12s", failed[c], "");
    std::printf("\n  ours / libmodbus: %.2fx transactions/s, %.2fx CPU per transaction\n",
                perSecond[0] > 0 ? perSecond[2] / perSecond[0] : 0.0, cpuUs[0] > 0 ? cpuUs[2] / cpuUs[0] : 0.0);
    if (config.timed) {
        const double limitMs = LimitMs(config.baud);
        std::printf("  line limit: 17 characters + 2 silences = %.3f ms per transaction, %.1f/s; reached:",
                    limitMs, 1000.0 / limitMs);
        for (int c = 0; c < 3; ++c)
            std::printf(" %s %.1f %%%s", kClients[c], perSecond[c] * limitMs / 10.0, c < 2 ? "," : "\n");
        if (precision.size() == 8)
            std::printf("  relay: %s bytes late by %s us on average, %s us at most; the %s frame ends late by "
                        "median %s us, 99 %% %s us, max %s us; relay CPU %s s\n",
                        qPrintable(precision[0]), qPrintable(precision[1]), qPrintable(precision[2]),
                        qPrintable(precision[3]), qPrintable(precision[4]), qPrintable(precision[5]),
                        qPrintable(precision[6]), qPrintable(precision[7]));
    }
    std::fflush(stdout);
    return failed[0] + failed[1] + failed[2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--tcp-server") == 0) {
        DieWithParent(argv[2]);
        return RunTcpServer();
    }
    if (argc > 4 && std::strcmp(argv[1], "--rtu-server") == 0) {
        DieWithParent(argv[4]);
        RunRealtime(50);
        return RunRtuServer(argv[2], std::atoi(argv[3]));
    }
    if (argc > 3 && std::strcmp(argv[1], "--relay") == 0) {
        DieWithParent(argv[3]);
        RunRealtime(60);
        return RunRelay(std::atoi(argv[2]));
    }

    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString only;
    const qsizetype o = args.indexOf(QStringLiteral("--only"));
    if (o >= 0) {
        only = args.value(o + 1);
        args.remove(o, qMin<qsizetype>(2, args.size() - o));
    }
    const double seconds = args.size() > 0 ? qMax(0.5, args.at(0).toDouble()) : 3.0;
    const int rounds = args.size() > 1 ? qMax(1, args.at(1).toInt()) : 3;
    bool known = only.isEmpty();
    for (const Config &c : kConfigs)
        known = known || only == QLatin1String(c.name);
    if (!known) {
        std::fprintf(stderr, "usage: bench_line [seconds-per-round] [rounds] "
                             "[--only tcp|rtu9600|rtu19200|rtu115200|pty]\n");
        return 1;
    }

    std::printf("one-shot reads of 2 holding registers, one in flight, %d rounds of %.1f s per client taking "
                "turns; response time-out %d ms, no retries; medians over the rounds; CPU of this process\n",
                rounds, seconds, kTimeoutMs);
    int failed = 0;
    for (const Config &c : kConfigs)
        if (only.isEmpty() || only == QLatin1String(c.name))
            failed += RunConfig(c, seconds, rounds);
    if (failed)
        std::printf("\n%d transactions failed\n", failed);
    return failed == 0 ? 0 : 2;
}
