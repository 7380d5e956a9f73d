// Throughput and CPU cost of the task server client against a loopback Modbus TCP
// peer: with nobody recording its exchanges, with the exchange monitor recording
// behind its closed window, and with the window open and filling; and the CPU a
// process spends sitting in WaitResult.
//   bench_link [seconds]     run the benchmark (30 s of runs by default) (the peer is this program, started
//                            again with --peer, so its CPU is not counted)
// Without a display the window is drawn offscreen.
#include "exchange/exchangelog.h"
#include "exchange/texchangemonitorfrm.h"
#include "link/conventions.h"
#include "link/mailbox.h"
#include "link/tmbcommaster.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QModbusTcpServer>
#include <QProcess>
#include <QTcpServer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace
{

double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

int FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

int RunPeer(int port)
{
    QModbusTcpServer server;
    QModbusDataUnitMap map;
    map.insert(QModbusDataUnit::HoldingRegisters, {QModbusDataUnit::HoldingRegisters, 0, 100});
    server.setMap(map);
    server.setServerAddress(1);
    server.setConnectionParameter(QModbusDevice::NetworkAddressParameter, QStringLiteral("127.0.0.1"));
    server.setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
    if (!server.connectDevice()) {
        std::fprintf(stderr, "peer: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    std::printf("READY\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

struct Throughput {
    int done = 0;
    int failed = 0;
    double wall = 0;
    double cpu = 0;
};

Throughput MeasureReads(TMBComMaster &client, double seconds)
{
    Throughput t;
    QElapsedTimer wall;
    const double cpu0 = CpuSeconds();
    QEventLoop loop;
    auto next = [&client] { client.ReadHoldRegs(400001, 0, 0, dtFloat32, 4); };
    QObject::connect(&client, &IMBComMaster::OnExchange, &loop,
                     [&](int, int, int, const QVariant &, int result) {
                         ++t.done;
                         t.failed += result != 0;
                         if (wall.elapsed() < seconds * 1000)
                             next();
                         else
                             loop.quit();
                     });
    wall.start();
    next();
    loop.exec();
    t.wall = wall.elapsed() / 1000.0;
    t.cpu = CpuSeconds() - cpu0;
    return t;
}

enum class Monitor { None, Closed, Open };

double Median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

// Short runs of each setting taking turns, so that other load on the machine
// weighs on each alike; medians over the runs.
struct Runs {
    QList<double> perSecond, cpuUs;
    int failed = 0;
    void Add(const Throughput &t)
    {
        perSecond.append(t.done / t.wall);
        cpuUs.append(t.cpu / t.done * 1e6);
        failed += t.failed;
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2 && QByteArray(argv[1]) == "--peer") {
        QCoreApplication peerApp(argc, argv);
        return RunPeer(QByteArray(argv[2]).toInt());
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const double seconds = args.size() > 1 ? qMax(5.0, args.at(1).toDouble()) : 30.0;

    const int port = FreePort();
    QProcess peer;
    peer.start(app.applicationFilePath(), {QStringLiteral("--peer"), QString::number(port)});
    if (!peer.waitForStarted(5000) || !peer.waitForReadyRead(5000)) {
        std::fprintf(stderr, "peer did not start\n");
        return 1;
    }

    TMBComMaster client;
    client.SetComPort(QStringLiteral("tcp://127.0.0.1:%1").arg(port));
    client.SetAnswerDelay(1000);
    client.SetRetries(0);
    client.SetDeviceAddres(1);
    QEventLoop opened;
    QObject::connect(&client, &IMBComMaster::OnChangeConnected, &opened, &QEventLoop::quit);
    QTimer::singleShot(5000, &opened, &QEventLoop::quit);
    client.SetConnected(true);
    opened.exec();
    if (!client.Connected()) {
        std::fprintf(stderr, "could not connect to the peer\n");
        peer.kill();
        peer.waitForFinished(3000);
        return 1;
    }

    ExchangeLog log;
    TExchangeMonitorFrm window(log);
    auto use = [&](Monitor m) {
        QObject::disconnect(&client, &IMBComMaster::ExchangeRecorded, &log, nullptr);
        if (m != Monitor::None)
            log.Attach(&client, QStringLiteral("ЦТМ"));
        window.setVisible(m == Monitor::Open);
    };
    MeasureReads(client, 0.5); // warm-up
    const int rounds = qMax(3, int(seconds / 1.5));
    const double each = seconds / rounds;
    Runs runs[3];
    QList<double> openAgainstClosed;
    for (int round = 0; round < rounds; ++round) {
        for (Monitor m : {Monitor::None, Monitor::Closed, Monitor::Open}) {
            use(m);
            runs[int(m)].Add(MeasureReads(client, each));
        }
        openAgainstClosed.append(runs[int(Monitor::Open)].perSecond.last() /
                                 runs[int(Monitor::Closed)].perSecond.last());
    }
    const int interval = log.FlushInterval();
    use(Monitor::None);
    std::printf("one-shot reads (4 floats, TCP loopback), medians of %d runs of %.1f s each:\n", rounds,
                each);
    const char *const names[] = {"nobody recording", "monitor recording, window closed",
                                 "monitor window open and filling"};
    for (int m = 0; m < 3; ++m)
        std::printf("  %-34s %7.0f transactions/s, %5.1f us client CPU each, %d failed\n", names[m],
                    Median(runs[m].perSecond), Median(runs[m].cpuUs), runs[m].failed);
    std::printf("window open against closed, run by run: %+.1f %% throughput (%d records in the list, "
                "redrawn every %d ms at the end)\n",
                (Median(openAgainstClosed) - 1.0) * 100.0, log.rowCount(), interval);
    const int failed = runs[0].failed + runs[1].failed + runs[2].failed;

    client.SetConnected(false);
    peer.kill();
    peer.waitForFinished(3000);

    Mailbox idle;
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    const int code = WaitResult(idle, 5000);
    const double cpu = CpuSeconds() - cpu0;
    std::printf("WaitResult for %.2f s (result %d): %.2f ms CPU\n", wall.elapsed() / 1000.0, code,
                cpu * 1000.0);
    return failed == 0 ? 0 : 2;
}
