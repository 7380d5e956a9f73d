// The line of the simulated bench: framing, faults, timing and the command line.

#include "simrig.h"

#include "sim/lib/modbuspdu.h"
#include "sim/lib/rtuendpoint.h"
#include "sim/lib/simoptions.h"

#include <QElapsedTimer>
#include <QtTest>

class TestSimLine : public QObject
{
    Q_OBJECT
private slots:
    void crcAndRtuFrameLengths();
    void transferTimeAtLineSpeed();
    void answersTakeTheLineTime();
    void faultsChangeTheAnswers();
    void faultsAimedAtOneModule();
    void faultTexts_data();
    void faultTexts();
    void commandLine_data();
    void commandLine();
};

void TestSimLine::crcAndRtuFrameLengths()
{
    const QByteArray frame = QByteArray::fromHex("01030000000a");
    QCOMPARE(WithCrc(frame).toHex(), QByteArray("01030000000ac5cd"));
    QCOMPARE(ModbusCrc(WithCrc(frame)), quint16(0));
    QCOMPARE(RtuEndpoint::RequestFrameLength(QByteArray::fromHex("01")), 0);
    QCOMPARE(RtuEndpoint::RequestFrameLength(QByteArray::fromHex("0104")), 8);
    QCOMPARE(RtuEndpoint::RequestFrameLength(QByteArray::fromHex("011000030002")), 0);
    QCOMPARE(RtuEndpoint::RequestFrameLength(QByteArray::fromHex("01100003000204")), 13);
    QCOMPARE(RtuEndpoint::RequestFrameLength(QByteArray::fromHex("0111")), 4);
    QCOMPARE(RtuEndpoint::RequestFrameLength(QByteArray::fromHex("012b")), 0);
}

void TestSimLine::transferTimeAtLineSpeed()
{
    ModbusLine line;
    QCOMPARE(line.TransferMs(5, 9), 0.0);
    line.SetLineSpeed(9600);
    // 8 request characters, the 3.5 that end it, 12 reply characters, 10 bits each:
    // the master keeps the silence before its next request.
    QCOMPARE(line.TransferMs(5, 9), 23.5 * 10 * 1000.0 / 9600);
    QCOMPARE(line.TransferMs(5, -1), 8 * 10 * 1000.0 / 9600);
    // Above 19200 baud the silence is 1.75 ms whatever the speed.
    line.SetLineSpeed(115200);
    QCOMPARE(line.TransferMs(5, 9), 1.75 + 20 * 10 * 1000.0 / 115200);
}

void TestSimLine::answersTakeTheLineTime()
{
    SimOptions o = SimRig::Exact();
    o.lineSpeed = 1200;
    SimRig rig(o);
    QElapsedTimer timer;
    timer.start();
    QList<LineReply> replies;
    // Two requests at once share the line: the second waits for the first.
    for (int i = 0; i < 2; ++i)
        rig.bench->BenchLine().Submit(1, wire::Read(3, 0, 3), [&](const LineReply &r) { replies.append(r); });
    QVERIFY(replies.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(replies.size(), 2, 3000);
    const double once = rig.bench->BenchLine().TransferMs(5, 8);
    QVERIFY2(timer.elapsed() >= 2 * once - 5, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(wire::Registers(replies[1]), (QList<quint16>{1, 3, 0}));
}

void TestSimLine::faultsChangeTheAnswers()
{
    SimOptions o = SimRig::Exact();
    QString error;
    QVERIFY(o.faults.Add("no-answer:2", &error));
    QVERIFY(o.faults.Add("exception:6:100", &error));
    SimRig rig(o);
    LineReply r;
    rig.bench->BenchLine().Submit(2, wire::Read(3, 0, 1), [&](const LineReply &x) { r = x; });
    QVERIFY(r.silent);
    rig.bench->BenchLine().Submit(1, wire::Read(3, 0, 1), [&](const LineReply &x) { r = x; });
    QCOMPARE(wire::ExceptionOf(r), 6);
    QCOMPARE(quint8(r.pdu[0]), quint8(0x83));

    SimOptions c = SimRig::Exact();
    QVERIFY(c.faults.Add("crc:100", &error));
    QVERIFY(c.faults.Add("slow:150", &error));
    SimRig crc(c);
    QElapsedTimer timer;
    timer.start();
    bool done = false;
    crc.bench->BenchLine().Submit(1, wire::Read(3, 0, 1), [&](const LineReply &x) {
        r = x;
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done, 3000);
    QVERIFY(timer.elapsed() >= 145);
    QVERIFY(r.corrupt);

    // A partial rate hits some requests, not all.
    SimOptions p = SimRig::Exact();
    QVERIFY(p.faults.Add("exception:4:50", &error));
    SimRig half(p);
    int hits = 0;
    for (int i = 0; i < 200; ++i)
        half.bench->BenchLine().Submit(1, wire::Read(3, 0, 1),
                                       [&](const LineReply &x) { hits += wire::ExceptionOf(x) == 4; });
    QVERIFY2(hits > 60 && hits < 140, qPrintable(QString::number(hits)));
}

void TestSimLine::faultsAimedAtOneModule()
{
    SimOptions o = SimRig::Exact();
    QString error;
    QVERIFY(o.faults.Add("refuse:2:0", &error));
    QVERIFY(o.faults.Add("refuse:1:3:11:6", &error));
    QVERIFY(o.faults.Add("state:1:10:8", &error));
    QVERIFY(o.faults.Add("last:1:10:20", &error));
    SimRig rig(o);
    // A refused write changes nothing; the same register of another module is written.
    QCOMPARE(rig.Write(2, 0, {7}), 4);
    QCOMPARE(rig.Holding(2, 0, 1), (QList<quint16>{2}));
    QCOMPARE(rig.Write(3, 0, {9}), 0);
    QCOMPARE(rig.Holding(9, 0, 1), (QList<quint16>{9}));
    // Only the named command is refused.
    QCOMPARE(rig.Command(11), 6);
    QCOMPARE(rig.Status(), (QList<quint16>{0, 0, 0}));
    QCOMPARE(rig.Command(13), 0);
    QCOMPARE(rig.Status().value(0), quint16(7));
    QCOMPARE(rig.Command(15), 0);
    // Both outcome forms of command 10 hold together.
    QCOMPARE(rig.Command(10), 0);
    QCOMPARE(rig.Status(), (QList<quint16>{8, 0, 20}));
}

void TestSimLine::faultTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("no-answer") << "no-answer:3" << true;
    QTest::newRow("crc") << "crc:12.5" << true;
    QTest::newRow("exception") << "exception:2:100" << true;
    QTest::newRow("slow") << "slow:250" << true;
    QTest::newRow("refuse") << "refuse:2:0" << true;
    QTest::newRow("refuse any value, code") << "refuse:1:3:*:6" << true;
    QTest::newRow("state") << "state:1:10:8" << true;
    QTest::newRow("last") << "last:1:10:20" << true;
    QTest::newRow("command above 15") << "last:1:16:20" << false;
    QTest::newRow("refuse without register") << "refuse:2" << false;
    QTest::newRow("address 0") << "no-answer:0" << false;
    QTest::newRow("percent above 100") << "crc:101" << false;
    QTest::newRow("no percent") << "exception:2" << false;
    QTest::newRow("negative") << "slow:-1" << false;
    QTest::newRow("unknown") << "smoke:1" << false;
    QTest::newRow("empty") << "" << false;
}

void TestSimLine::faultTexts()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    FaultPlan plan;
    QString error;
    QCOMPARE(plan.Add(text, &error), valid);
    QCOMPARE(error.isEmpty(), valid);
}

void TestSimLine::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("valid");
    QTest::newRow("defaults") << QStringList{} << true;
    QTest::newRow("all") << QStringList{"--bench",
                                        "/dev/ttyUSB0",
                                        "--flowmeter=tcp://127.0.0.1:0",
                                        "--imr-address",
                                        "4",
                                        "--usi-address",
                                        "5",
                                        "--ipt-address",
                                        "6",
                                        "--flowmeter-address",
                                        "9",
                                        "--model",
                                        "6",
                                        "--delay-ns",
                                        "97,2",
                                        "--flow-error-percent",
                                        "-1.5",
                                        "--exact",
                                        "--line-speed",
                                        "19200",
                                        "--fault",
                                        "crc:5",
                                        "--fault",
                                        "slow:10"}
                         << true;
    QTest::newRow("unknown option") << QStringList{"--colour"} << false;
    QTest::newRow("missing value") << QStringList{"--model"} << false;
    QTest::newRow("model out of range") << QStringList{"--model", "7"} << false;
    QTest::newRow("address not a number") << QStringList{"--imr-address", "x"} << false;
    QTest::newRow("same module addresses") << QStringList{"--usi-address", "1"} << false;
    QTest::newRow("zero delay") << QStringList{"--delay-ns", "0"} << false;
    QTest::newRow("slow line") << QStringList{"--line-speed", "10"} << false;
    QTest::newRow("bad fault") << QStringList{"--fault", "crc"} << false;
    QTest::newRow("same endpoint") << QStringList{"--bench", "/dev/ttyS0", "--flowmeter", "/dev/ttyS0"}
                                   << false;
}

void TestSimLine::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(bool, valid);
    SimOptions o;
    QString error;
    QCOMPARE(o.Parse(args, &error), valid);
    QCOMPARE(error.isEmpty(), valid);
    if (args.contains("--exact")) {
        QCOMPARE(o.delayNs, 97.2);
        QCOMPARE(o.flowmeterAddress, 9);
        QCOMPARE(o.flowmeter, QString("tcp://127.0.0.1:0"));
        QCOMPARE(o.faults.slowMs, 10);
        QVERIFY(o.exact);
    }
}

QTEST_GUILESS_MAIN(TestSimLine)
#include "tst_simline.moc"
