// Throughput and CPU cost of the task server client against a loopback Modbus TCP
// peer, and the CPU a process spends sitting in WaitResult.
//   bench_link [seconds]     run the benchmark (the peer is this program, started
//                            again with --peer, so its CPU is not counted)
#include "link/conventions.h"
#include "link/mailbox.h"
#include "link/tmbcommaster.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QModbusTcpServer>
#include <QProcess>
#include <QTcpServer>
#include <QTimer>

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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 2 && args.at(1) == QLatin1String("--peer"))
        return RunPeer(args.at(2).toInt());
    const double seconds = args.size() > 1 ? qMax(1.0, args.at(1).toDouble()) : 5.0;

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

    MeasureReads(client, 0.5); // warm-up
    const Throughput t = MeasureReads(client, seconds);
    std::printf("one-shot reads (4 floats, TCP loopback): %d in %.2f s = %.0f transactions/s, %d failed\n",
                t.done, t.wall, t.done / t.wall, t.failed);
    std::printf("client CPU: %.1f us per transaction (%.0f %% of one core)\n", t.cpu / t.done * 1e6,
                t.cpu / t.wall * 100.0);

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
    return t.failed == 0 ? 0 : 2;
}
