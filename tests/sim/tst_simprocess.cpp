// qtm-bench-sim as a process, through Qt's Modbus clients, pymodbus and mbpoll,
// over TCP and over a pseudo-terminal pair (RTU).

#include <QElapsedTimer>
#include <QModbusReply>
#include <QModbusRtuSerialClient>
#include <QModbusTcpClient>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "support/ptypair.h"
#include "support/simprocess.h"
#include <csignal>
#include <cstring>
#include <memory>

namespace
{

// A finished reply (or null on time-out of the test itself).
std::unique_ptr<QModbusReply> Await(QModbusReply *reply)
{
    std::unique_ptr<QModbusReply> r(reply);
    if (r && !r->isFinished()) {
        QSignalSpy spy(r.get(), &QModbusReply::finished);
        if (!spy.wait(5000))
            return nullptr;
    }
    return r;
}

void ConnectTcp(QModbusTcpClient &c, const QString &endpoint)
{
    c.setConnectionParameter(QModbusDevice::NetworkAddressParameter, "127.0.0.1");
    c.setConnectionParameter(QModbusDevice::NetworkPortParameter, SimProcess::Port(endpoint));
    c.setTimeout(400);
    c.setNumberOfRetries(0);
    QVERIFY(c.connectDevice());
    QTRY_COMPARE_WITH_TIMEOUT(c.state(), QModbusDevice::ConnectedState, 5000);
}

QList<quint16> ReadRegs(QModbusClient &c, QModbusDataUnit::RegisterType type, int addr, int count, int unit,
                        QModbusDevice::Error *error = nullptr)
{
    auto r = Await(c.sendReadRequest(QModbusDataUnit(type, addr, quint16(count)), unit));
    if (error)
        *error = r ? r->error() : QModbusDevice::TimeoutError;
    if (!r || r->error() != QModbusDevice::NoError)
        return {};
    return r->result().values();
}

bool WriteRegs(QModbusClient &c, int addr, const QList<quint16> &values, int unit)
{
    QModbusDataUnit u(QModbusDataUnit::HoldingRegisters, addr, values);
    auto r = Await(c.sendWriteRequest(u, unit));
    return r && r->error() == QModbusDevice::NoError;
}

float F32(const QList<quint16> &r, int i)
{
    const quint32 bits = (quint32(r.value(i)) << 16) | r.value(i + 1);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

quint32 U32(const QList<quint16> &r, int i)
{
    return (quint32(r.value(i)) << 16) | r.value(i + 1);
}

QString RunTool(const QString &program, const QStringList &args, int *exitCode)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        *exitCode = -1;
    } else {
        *exitCode = p.exitCode();
    }
    return QString::fromUtf8(p.readAll());
}

bool HavePeer()
{
    QProcess p;
    p.start("/usr/bin/python3", {"-c", "import pymodbus"});
    return p.waitForFinished(10000) && p.exitCode() == 0;
}


const QStringList kFreePorts = SimProcess::FreePorts();

} // namespace

class TestSimProcess : public QObject
{
    Q_OBJECT
private slots:
    void readyLineAndCleanExit_data();
    void readyLineAndCleanExit();
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();
    void qtClientWalksTheBench();
    void severalClientsAndBroadcast();
    void independentPeersOverTcp();
    void rtuOverPseudoTerminal();
    void lineSpeedAndFaults();
};

void TestSimProcess::readyLineAndCleanExit_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestSimProcess::readyLineAndCleanExit()
{
    QFETCH(int, signal);
    SimProcess sim(kFreePorts);
    QVERIFY2(sim.WaitReady(), sim.proc.readAllStandardError().constData());
    QVERIFY(SimProcess::Port(sim.bench) > 0);
    QVERIFY(SimProcess::Port(sim.flowmeter) != SimProcess::Port(sim.bench));
    ::kill(pid_t(sim.proc.processId()), signal);
    QVERIFY(sim.proc.waitForFinished(5000));
    QCOMPARE(sim.proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.proc.exitCode(), 0);
}

void TestSimProcess::badArgumentsAreRefused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("model") << (kFreePorts + QStringList{"--model", "9"});
    QTest::newRow("unknown option") << (kFreePorts + QStringList{"--turbo"});
    QTest::newRow("fault") << (kFreePorts + QStringList{"--fault", "crc:200"});
    QTest::newRow("endpoint") << QStringList{"--bench", "tcp://127.0.0.1:port", "--flowmeter",
                                             "tcp://127.0.0.1:0"};
    QTest::newRow("serial device") << QStringList{"--bench", "/nonexistent/tty", "--flowmeter",
                                                  "tcp://127.0.0.1:0"};
}

void TestSimProcess::badArgumentsAreRefused()
{
    QFETCH(QStringList, args);
    SimProcess sim(args);
    QVERIFY(sim.proc.waitForFinished(5000));
    QVERIFY(sim.proc.exitCode() != 0);
    const QString err = QString::fromUtf8(sim.proc.readAllStandardError());
    QVERIFY2(err.startsWith("qtm-bench-sim: "), qPrintable(err));
    QVERIFY(!sim.proc.readAllStandardOutput().contains("ready"));
}

void TestSimProcess::qtClientWalksTheBench()
{
    SimProcess sim(kFreePorts + QStringList{"--exact"});
    QVERIFY(sim.WaitReady());
    QModbusTcpClient bench, meter;
    ConnectTcp(bench, sim.bench);
    ConnectTcp(meter, sim.flowmeter);
    using RT = QModbusDataUnit;

    // Identification and silence of the other addresses.
    for (int unit = 1; unit <= 3; ++unit) {
        auto r = Await(bench.sendRawRequest(QModbusRequest(QModbusRequest::ReportServerId), unit));
        QVERIFY(r);
        // Qt 6.4 flags a raw 0x11 answer as an invalid response but keeps it intact.
        QVERIFY(r->error() == QModbusDevice::NoError || r->error() == QModbusDevice::InvalidResponseError);
        QCOMPARE(r->rawResult().functionCode(), QModbusPdu::ReportServerId);
        const QByteArray data = r->rawResult().data();
        QCOMPARE(int(quint8(data[1])), unit);
        QCOMPARE(quint8(data[2]), quint8(0xFF));
    }
    QModbusDevice::Error error;
    QVERIFY(ReadRegs(bench, RT::HoldingRegisters, 0, 3, 5, &error).isEmpty());
    QCOMPARE(error, QModbusDevice::TimeoutError);
    auto bad = Await(bench.sendReadRequest(QModbusDataUnit(RT::InputRegisters, 500, 1), 2));
    QVERIFY(bad);
    QCOMPARE(bad->error(), QModbusDevice::ProtocolError);
    QCOMPARE(bad->rawResult().exceptionCode(), QModbusPdu::IllegalDataAddress);

    // Calibration, autocirculation count, imitation at the top of the range.
    QVERIFY(WriteRegs(bench, 16385, {10}, 1));
    QVERIFY(WriteRegs(bench, 3, {3}, 1));
    QCOMPARE(ReadRegs(bench, RT::InputRegisters, 1, 3, 1), (QList<quint16>{0, 0, 8}));
    QCOMPARE(ReadRegs(bench, RT::InputRegisters, 32772, 20, 1).size(), 20);
    QVERIFY(WriteRegs(bench, 3, {4}, 1));
    QList<quint16> state;
    for (int i = 0; i < 50; ++i)
        if ((state = ReadRegs(bench, RT::InputRegisters, 1, 3, 1)).value(0) != 4)
            break;
    QCOMPARE(state, (QList<quint16>{0, 0, 11}));
    QCOMPARE(ReadRegs(bench, RT::InputRegisters, 16384, 1, 1), QList<quint16>{256});

    auto coil = Await(bench.sendWriteRequest(QModbusDataUnit(RT::Coils, 2, QList<quint16>{1}), 1));
    QVERIFY(coil && coil->error() == QModbusDevice::NoError);
    QVERIFY(WriteRegs(bench, 32772, {0, 0}, 1));
    QVERIFY(WriteRegs(bench, 16386, {255}, 1));
    QVERIFY(WriteRegs(bench, 3, {1}, 1));
    for (int i = 0; i < 50; ++i)
        if ((state = ReadRegs(bench, RT::InputRegisters, 1, 3, 1)).value(0) == 2)
            break;
    QCOMPARE(state, (QList<quint16>{2, 0, 2}));
    QTest::qWait(1500);

    const double q = F32(ReadRegs(meter, RT::HoldingRegisters, 0, 2, 1), 0);
    QVERIFY(std::fabs(q - 294.79968) < 0.01);
    const float current = F32(ReadRegs(bench, RT::InputRegisters, 0xC000, 8, 3), 0);
    QVERIFY(std::fabs(current - (4 + 16 * q / 300)) < 0.01);

    // After the stop the clock, the volume and the counted pulses hold still and agree.
    QVERIFY(WriteRegs(bench, 3, {2}, 1));
    QTRY_COMPARE_WITH_TIMEOUT(ReadRegs(bench, RT::InputRegisters, 1, 3, 1), (QList<quint16>{0, 0, 5}), 3000);
    const quint32 ms = U32(ReadRegs(bench, RT::InputRegisters, 32770, 2, 1), 0);
    QVERIFY(ms >= 1400);
    const double volume = F32(ReadRegs(meter, RT::HoldingRegisters, 2, 2, 1), 0);
    QVERIFY(std::fabs(volume - q * ms / 3.6e6) < 1e-4);
    const quint32 pulses = U32(ReadRegs(bench, RT::InputRegisters, 0x8000, 8, 2), 0);
    QVERIFY(std::fabs(pulses - volume / 0.001) <= 1);
    QCOMPARE(F32(ReadRegs(meter, RT::HoldingRegisters, 0, 2, 1), 0), 0.0f);
}

void TestSimProcess::severalClientsAndBroadcast()
{
    SimProcess sim(kFreePorts);
    QVERIFY(sim.WaitReady());
    QModbusTcpClient a, b;
    ConnectTcp(a, sim.bench);
    ConnectTcp(b, sim.bench);
    QList<QModbusReply *> pending;
    for (int i = 0; i < 5; ++i) {
        pending.append(a.sendReadRequest(QModbusDataUnit(QModbusDataUnit::HoldingRegisters, 0, 1), 2));
        pending.append(b.sendReadRequest(QModbusDataUnit(QModbusDataUnit::HoldingRegisters, 0, 1), 3));
    }
    for (int i = 0; i < pending.size(); ++i) {
        auto r = Await(pending[i]);
        QVERIFY(r && r->error() == QModbusDevice::NoError);
        QCOMPARE(r->result().value(0), quint16(i % 2 ? 3 : 2));
    }

    // A broadcast write over a raw socket: carried out, never answered.
    QTcpSocket raw;
    raw.connectToHost("127.0.0.1", quint16(SimProcess::Port(sim.bench)));
    QVERIFY(raw.waitForConnected(3000));
    raw.write(QByteArray::fromHex("000700000006"
                                  "00"
                                  "06"
                                  "0002"
                                  "0009"));
    QVERIFY(!raw.waitForReadyRead(400));
    for (int unit = 1; unit <= 3; ++unit)
        QCOMPARE(ReadRegs(a, QModbusDataUnit::HoldingRegisters, 2, 1, unit), QList<quint16>{9});
}

void TestSimProcess::independentPeersOverTcp()
{
    if (!HavePeer() || QStandardPaths::findExecutable("mbpoll").isEmpty())
        QSKIP("pymodbus or mbpoll missing");
    SimProcess sim(kFreePorts);
    QVERIFY(sim.WaitReady());
    int code = 0;
    QString out = RunTool("/usr/bin/python3",
                          {qEnvironmentVariable("QTM_SOURCE_DIR") + "/tests/sim/peer_check.py", "tcp",
                           "127.0.0.1", QString::number(SimProcess::Port(sim.bench)),
                           QString::number(SimProcess::Port(sim.flowmeter))},
                          &code);
    QVERIFY2(code == 0 && out.contains("OK"), qPrintable(out));
    const QString port = QString::number(SimProcess::Port(sim.bench));
    out = RunTool("mbpoll",
                  {"-m", "tcp", "-p", port, "-a", "3", "-t", "4", "-r", "1", "-c", "3", "-1", "127.0.0.1"},
                  &code);
    QVERIFY2(out.contains("[1]: \t3") && out.contains("[2]: \t3"), qPrintable(out));
    out = RunTool("mbpoll",
                  {"-m", "tcp", "-p", port, "-a", "1", "-t", "3:float", "-B", "-0", "-r", "0xC000", "-c", "1",
                   "-1", "127.0.0.1"},
                  &code);
    QVERIFY2(out.contains("Illegal data address"), qPrintable(out)); // the ИМР has no currents
    out = RunTool("mbpoll",
                  {"-m", "tcp", "-p", port, "-a", "3", "-t", "3:float", "-B", "-0", "-r", "49152", "-c", "1",
                   "-1", "127.0.0.1"},
                  &code);
    QVERIFY2(out.contains("[49152]: \t4") || out.contains("[49152]: \t3.99"),
             qPrintable(out)); // no flow: 4 mA
    out = RunTool("mbpoll", {"-m", "tcp", "-p", port, "-a", "8", "-o", "0.3", "-1", "127.0.0.1"}, &code);
    QVERIFY2(out.contains("timed out"), qPrintable(out));
}

void TestSimProcess::rtuOverPseudoTerminal()
{
    if (!HavePeer() || QStandardPaths::findExecutable("mbpoll").isEmpty() ||
        QStandardPaths::findExecutable("socat").isEmpty())
        QSKIP("pymodbus, mbpoll or socat missing");
    PtyPair pty;
    QVERIFY(pty.Ready());
    SimProcess sim({"--bench", pty.a, "--flowmeter", "tcp://127.0.0.1:0"});
    QVERIFY(sim.WaitReady());
    QCOMPARE(sim.bench, pty.a);
    int code = 0;
    QString out = RunTool(
        "mbpoll",
        {"-m", "rtu", "-b", "9600", "-P", "none", "-a", "2", "-t", "4", "-r", "1", "-c", "3", "-1", pty.b},
        &code);
    QVERIFY2(out.contains("[1]: \t2") && out.contains("[2]: \t3"), qPrintable(out));
    out = RunTool("mbpoll", {"-m", "rtu", "-b", "9600", "-P", "none", "-a", "6", "-o", "0.3", "-1", pty.b},
                  &code);
    QVERIFY2(out.contains("timed out"), qPrintable(out));
    out = RunTool("/usr/bin/python3",
                  {qEnvironmentVariable("QTM_SOURCE_DIR") + "/tests/sim/peer_check.py", "rtu", pty.b, "9600",
                   QString::number(SimProcess::Port(sim.flowmeter))},
                  &code);
    QVERIFY2(code == 0 && out.contains("OK"), qPrintable(out));

    QModbusRtuSerialClient rtu;
    rtu.setConnectionParameter(QModbusDevice::SerialPortNameParameter, pty.b);
    rtu.setConnectionParameter(QModbusDevice::SerialBaudRateParameter, QSerialPort::Baud9600);
    rtu.setConnectionParameter(QModbusDevice::SerialParityParameter, QSerialPort::NoParity);
    rtu.setTimeout(500);
    rtu.setNumberOfRetries(0);
    QVERIFY(rtu.connectDevice());
    QTRY_COMPARE_WITH_TIMEOUT(rtu.state(), QModbusDevice::ConnectedState, 3000);
    const QList<quint16> state = ReadRegs(rtu, QModbusDataUnit::InputRegisters, 1, 3, 1);
    QCOMPARE(state.size(), 3);
    QCOMPARE(state[2], quint16(state[0] == 0 ? 5 : 4)); // the peer's stop just above
    auto id = Await(rtu.sendRawRequest(QModbusRequest(QModbusRequest::ReportServerId), 3));
    QVERIFY(id);
    QCOMPARE(id->rawResult().functionCode(), QModbusPdu::ReportServerId);
    QVERIFY(id->rawResult().data().contains(QByteArray("\xD6\xD2\xCC-\xC8\xCF\xD2")));
    rtu.disconnectDevice();

    // Damaged replies: the client sees the bad CRC, never the data.
    PtyPair noisy;
    QVERIFY(noisy.Ready());
    SimProcess crc({"--bench", noisy.a, "--flowmeter", "tcp://127.0.0.1:0", "--fault", "crc:100"});
    QVERIFY(crc.WaitReady());
    out = RunTool("mbpoll", {"-m", "rtu", "-b", "9600", "-P", "none", "-a", "1", "-o", "0.3", "-1", noisy.b},
                  &code);
    QVERIFY2(!out.contains("[1]: "), qPrintable(out));
}

void TestSimProcess::lineSpeedAndFaults()
{
    SimProcess sim(kFreePorts +
                   QStringList{"--line-speed", "1200", "--fault", "no-answer:2", "--fault", "slow:100"});
    QVERIFY(sim.WaitReady());
    QModbusTcpClient c;
    ConnectTcp(c, sim.bench);
    c.setTimeout(1500);
    QElapsedTimer t;
    t.start();
    QCOMPARE(ReadRegs(c, QModbusDataUnit::HoldingRegisters, 0, 3, 1), (QList<quint16>{1, 3, 0}));
    // 8 + 3.5 + 11 characters of 10 bits at 1200 baud, plus the slow answer.
    QVERIFY2(t.elapsed() >= 188 + 100 - 5, qPrintable(QString::number(t.elapsed())));
    QModbusDevice::Error error;
    QVERIFY(ReadRegs(c, QModbusDataUnit::HoldingRegisters, 0, 3, 2, &error).isEmpty());
    QCOMPARE(error, QModbusDevice::TimeoutError);

    SimProcess crc(kFreePorts + QStringList{"--fault", "crc:100"});
    QVERIFY(crc.WaitReady());
    QModbusTcpClient d;
    ConnectTcp(d, crc.bench);
    QVERIFY(ReadRegs(d, QModbusDataUnit::HoldingRegisters, 0, 3, 1, &error).isEmpty());
    QVERIFY(error != QModbusDevice::NoError);

    SimProcess ex(kFreePorts + QStringList{"--fault", "exception:6:100"});
    QVERIFY(ex.WaitReady());
    QModbusTcpClient e;
    ConnectTcp(e, ex.bench);
    auto r = Await(e.sendReadRequest(QModbusDataUnit(QModbusDataUnit::HoldingRegisters, 0, 1), 1));
    QVERIFY(r);
    QCOMPARE(r->rawResult().exceptionCode(), QModbusPdu::ServerDeviceBusy);
}

QTEST_GUILESS_MAIN(TestSimProcess)
#include "tst_simprocess.moc"
