// The simulated modules and flowmeter as a Modbus master sees them, on a manual clock.

#include "simrig.h"

#include "sim/lib/flowmeter.h"
#include "sim/lib/modbuspdu.h"
#include "sim/lib/win1251.h"

#include <QtTest>

class TestSimDevices : public QObject
{
    Q_OBJECT
private slots:
    void modulesAnswerOnlyTheirAddress();
    void identificationIsStandardAndWindows1251();
    void broadcastsAreExecutedSilently();
    void addressChangeTakesEffect();
    void refusedRequestsGetExceptions();
    void imitationEntersRunsAndLeaves();
    void imitationEndsByItselfAfterItsLength();
    void autocirculationCount();
    void tuningAndCheckCommands();
    void calibrationGivesBackTheDelay_data();
    void calibrationGivesBackTheDelay();
    void calibrationIsReproducibleWhenExact();
    void calibrationFailsWithoutConversion();
    void flowmeterMeasuresTheImitatedFlow_data();
    void flowmeterMeasuresTheImitatedFlow();
    void flowErrorAndNoise();
    void volumePulsesAndCurrentFollowTheFlow();
    void volumeImitationMatchesItsClock();
    void currentMeterCalibration();
    void twoChannelFlowmeter();
    void multiChannelFlowmeter();
};

void TestSimDevices::modulesAnswerOnlyTheirAddress()
{
    SimRig rig;
    for (int unit = 1; unit <= 3; ++unit) {
        const QList<quint16> link = rig.Holding(unit, 0, 3);
        QCOMPARE(link, (QList<quint16>{quint16(unit), 3, 0}));
    }
    for (int unit = 4; unit <= 10; ++unit)
        QVERIFY(rig.Bench(unit, wire::Read(3, 0, 3)).silent);
    QVERIFY(!rig.Meter(wire::Read(3, 0, 2)).silent);
    QVERIFY(rig.bench->FlowmeterLine().Execute(2, wire::Read(3, 0, 2)).silent);
}

void TestSimDevices::identificationIsStandardAndWindows1251()
{
    SimRig rig;
    const QStringList markers = {"ЦТМ-ИМР", "ЦТМ-УСИ", "ЦТМ-ИПТ"};
    for (int unit = 1; unit <= 3; ++unit) {
        const QByteArray pdu = rig.Bench(unit, QByteArray(1, char(0x11))).pdu;
        QCOMPARE(quint8(pdu[0]), quint8(0x11));
        QCOMPARE(int(quint8(pdu[1])), pdu.size() - 2); // byte count
        QCOMPARE(int(quint8(pdu[2])), unit);           // server ID
        QCOMPARE(quint8(pdu[3]), quint8(0xFF));        // running
        QVERIFY(pdu.mid(4).contains(ToWindows1251(markers[unit - 1])));
        for (int other = 0; other < 3; ++other)
            if (other != unit - 1)
                QVERIFY(!pdu.contains(ToWindows1251(markers[other])));
    }
    QCOMPARE(ToWindows1251("ЦТМ-ИМР"), QByteArray("\xD6\xD2\xCC-\xC8\xCC\xD0"));
    for (int row = 0; row < Flowmeter::kRows; ++row) {
        SimRig meter(SimRig::Exact(row));
        const QByteArray pdu = meter.Meter(QByteArray(1, char(0x11))).pdu;
        QVERIFY(pdu.mid(4).startsWith(ToWindows1251(Flowmeter::ModelName(row))));
    }
}

void TestSimDevices::broadcastsAreExecutedSilently()
{
    SimRig rig;
    QVERIFY(rig.Bench(0, wire::WriteRegs(2, {7})).silent);
    for (int unit = 1; unit <= 3; ++unit)
        QCOMPARE(rig.Holding(unit, 2, 1), QList<quint16>{7});
    QVERIFY(rig.Bench(0, wire::Read(3, 0, 1)).silent);
    QVERIFY(rig.Bench(0, QByteArray(1, char(0x11))).silent);
    // The "default settings" broadcast: address 0 sends every module back to its own.
    QCOMPARE(rig.Write(2, 0, {9}), 0);
    QVERIFY(rig.Bench(0, wire::WriteRegs(0, {0, 3, 0})).silent);
    QCOMPARE(rig.Holding(2, 0, 3), (QList<quint16>{2, 3, 0}));
    QVERIFY(rig.Bench(9, wire::Read(3, 0, 1)).silent);
}

void TestSimDevices::addressChangeTakesEffect()
{
    SimRig rig;
    const LineReply r = rig.Bench(3, wire::WriteRegs(0, {7}));
    QVERIFY(!r.silent);
    QCOMPARE(wire::ExceptionOf(r), 0);
    QVERIFY(rig.Bench(3, wire::Read(3, 0, 1)).silent);
    QCOMPARE(rig.Holding(7, 0, 1), QList<quint16>{7});
    QVERIFY(rig.Bench(7, QByteArray(1, char(0x11))).pdu.contains(ToWindows1251("ЦТМ-ИПТ")));
}

void TestSimDevices::refusedRequestsGetExceptions()
{
    SimRig rig;
    QCOMPARE(wire::ExceptionOf(rig.Bench(1, QByteArray(1, char(0x2B)))), int(exIllegalFunction));
    QCOMPARE(wire::ExceptionOf(rig.Bench(1, wire::Read(4, 100, 1))), int(exIllegalAddress));
    QCOMPARE(wire::ExceptionOf(rig.Bench(1, wire::Read(4, 6, 2))),
             int(exIllegalAddress)); // runs past the map
    QCOMPARE(rig.Write(1, 5, {1}), int(exIllegalAddress));
    QCOMPARE(rig.Command(16), int(exIllegalValue));
    QCOMPARE(rig.Write(2, 3, {6}), int(exIllegalValue));
    QCOMPARE(rig.Write(1, 1, {5}), int(exIllegalValue)); // no such speed code
    QCOMPARE(rig.Write(1, 0, {248}), int(exIllegalValue));
    QCOMPARE(wire::ExceptionOf(rig.Bench(1, wire::Read(3, 0, 0))), int(exIllegalValue));
    QCOMPARE(wire::ExceptionOf(rig.Bench(1, wire::Read(3, 0, 126))), int(exIllegalValue));
    QByteArray badCoil = wire::WriteCoil(2, true);
    badCoil[3] = char(0x12);
    QCOMPARE(wire::ExceptionOf(rig.Bench(1, badCoil)), int(exIllegalValue));
    // A refused write changes nothing, not even its valid part.
    QCOMPARE(rig.Write(1, 0, {5, 9}), int(exIllegalValue));
    QCOMPARE(rig.Holding(1, 0, 1), QList<quint16>{1});
}

void TestSimDevices::imitationEntersRunsAndLeaves()
{
    SimRig rig;
    QCOMPARE(rig.Status(), (QList<quint16>{0, 0, 0}));
    QCOMPARE(rig.Command(1), 0);
    QCOMPARE(rig.Status(), (QList<quint16>{1, 0, 1}));
    rig.Pass(ImrModule::kTransientMs);
    QCOMPARE(rig.Status(), (QList<quint16>{2, 0, 2}));
    rig.Pass(1500);
    QCOMPARE(wire::U32(rig.Input(1, 32770, 2), 0), 1500u);
    rig.Command(2);
    QCOMPARE(rig.Status(), (QList<quint16>{3, 0, 4}));
    rig.Pass(300);
    QCOMPARE(rig.Status(), (QList<quint16>{0, 0, 5}));
    QCOMPARE(wire::U32(rig.Input(1, 32770, 2), 0), 1500u); // the clock holds

    // A poller faster than the TEXT signal still sees the entry end within a few reads.
    rig.Command(1);
    int reads = 1;
    while (rig.Status()[0] == 1 && reads < 50)
        ++reads;
    QVERIFY(reads <= ImrModule::kTransientReads + 1);
    QCOMPARE(rig.Status(), (QList<quint16>{2, 0, 2}));
    QCOMPARE(wire::U32(rig.Input(1, 32770, 2), 0), 0u); // a new start resets the clock
    // A new count while imitating: still running.
    rig.Write(1, 16386, {40});
    rig.Command(1);
    QCOMPARE(rig.Status(), (QList<quint16>{2, 0, 2}));
    // The stop from idle only reports success.
    rig.Command(2);
    rig.Pass(100);
    rig.Command(2);
    QCOMPARE(rig.Status(), (QList<quint16>{0, 0, 5}));
}

void TestSimDevices::imitationEndsByItselfAfterItsLength()
{
    SimRig rig;
    rig.Write(1, 32772, wire::U32Regs(1159000));
    rig.Command(1);
    rig.Pass(ImrModule::kTransientMs);
    rig.Pass(1000000);
    QCOMPARE(rig.Status()[0], quint16(2));
    rig.Pass(200000);
    QCOMPARE(wire::U32(rig.Input(1, 32770, 2), 0), 1159000u);
    QCOMPARE(rig.Status(), (QList<quint16>{0, 0, 5}));
}

void TestSimDevices::autocirculationCount()
{
    for (int row : {0, 1, 6}) {
        SimRig rig(SimRig::Exact(row));
        QCOMPARE(rig.Input(1, 16384, 1), QList<quint16>{0});
        rig.Command(4);
        QCOMPARE(rig.Status(), (QList<quint16>{4, 0, 10}));
        rig.Pass(ImrModule::kTransientMs);
        QCOMPARE(rig.Status(), (QList<quint16>{0, 0, 11}));
        const int expected = row == 1 ? 128 : row == 6 ? 257 : 256;
        QCOMPARE(int(rig.Input(1, 16384, 1).value(0)), expected);
    }
}

void TestSimDevices::tuningAndCheckCommands()
{
    struct Step {
        int command;
        QList<quint16> status;
    };
    const QList<Step> steps = {
        {5, {5, 0, 13}},  {9, {0, 0, 18}},  {6, {5, 0, 14}},  {9, {0, 0, 18}},  {7, {5, 0, 15}},
        {9, {0, 0, 18}},  {8, {6, 0, 16}},  {3, {6, 0, 9}},   {9, {0, 0, 18}},  {10, {0, 0, 19}},
        {11, {8, 0, 21}}, {10, {8, 0, 20}}, {12, {0, 0, 22}}, {12, {0, 0, 22}}, {13, {7, 0, 23}},
        {14, {7, 0, 24}}, {11, {8, 0, 21}}, {13, {7, 0, 23}}, {15, {0, 0, 25}}, {0, {0, 0, 25}},
        {1, {1, 0, 1}},   {4, {1, 0, 12}},
    };
    SimRig rig;
    for (const Step &s : steps) {
        QCOMPARE(rig.Command(s.command), 0);
        QCOMPARE(rig.Status(), s.status);
    }
    rig.Command(2);
    rig.Pass(100);
    rig.Command(8);
    const int sar = rig.Input(1, 6, 1).value(0);
    QVERIFY(sar > 0 && sar < 256);
    QCOMPARE(rig.bench->BenchLine().Execute(1, wire::WriteCoil(1, true)).pdu, wire::WriteCoil(1, true));
    QCOMPARE(wire::Bits(rig.Bench(1, wire::Read(1, 1, 2))),
             QByteArray(1, char(0x01))); // coil 1 set, coil 2 clear
}

void TestSimDevices::calibrationGivesBackTheDelay_data()
{
    QTest::addColumn<double>("delay");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<double>("foscMhz");
    QTest::addColumn<double>("t0");
    QTest::addColumn<double>("t1");
    for (double d : {600.0, 20.0, 24.9, 25.0, 97.2, 1234.5, 5000.0})
        for (bool exact : {true, false})
            QTest::addRow("%g ns %s", d, exact ? "exact" : "noisy") << d << exact << 20.0 << 10.0 << 35.5;
    QTest::newRow("16 MHz, other times") << 600.0 << true << 16.0 << 5.0 << 45.0;
    QTest::newRow("fine codes") << 333.3 << false << 20.0 << 10.0 << 20.0;
}

void TestSimDevices::calibrationGivesBackTheDelay()
{
    QFETCH(double, delay);
    QFETCH(bool, exact);
    QFETCH(double, foscMhz);
    QFETCH(double, t0);
    QFETCH(double, t1);
    SimOptions o = SimRig::Exact();
    o.exact = exact;
    o.delayNs = delay;
    SimRig rig(o);
    QCOMPARE(rig.Write(1, 32774, wire::U32Regs(quint32(foscMhz * 1e8))), 0);
    QCOMPARE(rig.Write(1, 49152, wire::FloatRegs(float(t0)) + wire::FloatRegs(float(t1))), 0);
    for (int run = 0; run < 5; ++run) {
        const double measured = rig.Calibrate();
        QCOMPARE(rig.Status(), (QList<quint16>{0, 0, 8}));
        QVERIFY2(std::fabs(measured - delay) <= delay * 0.01, qPrintable(QString::number(measured)));
    }
}

void TestSimDevices::calibrationIsReproducibleWhenExact()
{
    SimRig a, b;
    a.Calibrate();
    b.Calibrate();
    QCOMPARE(a.Input(1, 32772, 20), b.Input(1, 32772, 20));
    QCOMPARE(a.Calibrate(), 600.0);
    SimOptions noisy = SimRig::Exact();
    noisy.exact = false;
    SimRig c(noisy);
    QList<QList<quint16>> seen;
    for (int i = 0; i < 5; ++i) {
        c.Calibrate();
        seen.append(c.Input(1, 32772, 20));
    }
    QVERIFY(seen.count(seen[0]) < 5);
}

void TestSimDevices::calibrationFailsWithoutConversion()
{
    SimRig rig;
    rig.Write(1, 32774, wire::U32Regs(0));
    rig.Command(3);
    QCOMPARE(rig.Status(), (QList<quint16>{0, 2, 9}));
    rig.Write(1, 32774, wire::U32Regs(2000000000u));
    rig.Write(1, 16385, {0});
    rig.Command(3);
    QCOMPARE(rig.Status(), (QList<quint16>{0, 2, 9}));
    rig.Write(1, 16385, {10});
    rig.Command(3);
    QCOMPARE(rig.Status(), (QList<quint16>{0, 0, 8}));
}

void TestSimDevices::flowmeterMeasuresTheImitatedFlow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("q");
    for (int row = 0; row < Flowmeter::kRows; ++row)
        for (int q : {1, 13, 30, 130, 250})
            QTest::addRow("row %d, %d m3/h", row, q) << row << q;
}

void TestSimDevices::flowmeterMeasuresTheImitatedFlow()
{
    QFETCH(int, row);
    QFETCH(int, q);
    SimRig rig(SimRig::Exact(row));
    const double step = rig.Calibrate();
    // N as the monitor takes it: the model's 256, row 1 counted by the ИМР, row 3 fixed.
    int n = 256;
    if (row == 1) {
        rig.Command(4);
        rig.Pass(ImrModule::kTransientMs);
        n = rig.Input(1, 16384, 1).value(0);
    }
    const int c = wire::PulseCount(q, n, step);
    rig.StartImitation(row == 3 ? c + 16 : c);
    const double imitQ = (c + 1.0) / n * wire::K * step;
    const int fn = row == 6 ? 4 : 3;
    const int reg = (row == 1 || row == 3) ? 127 : row == 2 ? 210 : row == 6 ? 49592 : 0;
    QCOMPARE(rig.Status(), (QList<quint16>{2, 0, 2}));
    const double measured = rig.MeterFloat(fn, reg);
    QVERIFY2(std::fabs(measured - imitQ) <= imitQ * 1e-4,
             qPrintable(QString("%1 vs %2").arg(measured).arg(imitQ)));
    // Without the emulation bit the pulses go to the bench's own check, not to the flowmeter.
    rig.Bench(1, wire::WriteCoil(2, false));
    QCOMPARE(rig.MeterFloat(fn, reg), 0.0f);
}

void TestSimDevices::flowErrorAndNoise()
{
    SimOptions o = SimRig::Exact();
    o.flowErrorPercent = 2.5;
    SimRig exact(o);
    exact.StartImitation(100);
    const double base = 101.0 / 256 * wire::K * 600;
    QCOMPARE(exact.MeterFloat(3, 0), float(base * 1.025));
    QCOMPARE(exact.MeterFloat(3, 0), float(base * 1.025));
    o.exact = false;
    SimRig noisy(o);
    noisy.StartImitation(100);
    QSet<float> values;
    for (int i = 0; i < 10; ++i) {
        const float v = noisy.MeterFloat(3, 0);
        QVERIFY(std::fabs(v - base * 1.025) <= base * 0.002);
        values.insert(v);
    }
    QVERIFY(values.size() > 1);
}

void TestSimDevices::volumePulsesAndCurrentFollowTheFlow()
{
    SimRig rig;
    const int c = wire::PulseCount(130, 256, 600);
    rig.StartImitation(c);
    const double q = (c + 1.0) / 256 * wire::K * 600;
    for (int i = 0; i < 60; ++i) {
        rig.Pass(60000);
        rig.Status();
    }
    const double v = rig.MeterFloat(3, 2);
    QVERIFY(std::fabs(v - q) < 1e-3 * q);
    const quint32 pulses = wire::U32(rig.Input(2, 0x8000, 8), 0);
    QVERIFY(std::fabs(pulses - v / 0.001) <= 1.5);
    QCOMPARE(wire::U32(rig.Input(2, 0x8000, 8), 2), 0u);
    const float current = wire::F32(rig.Input(3, 0xC000, 8), 0);
    QVERIFY(std::fabs(current - (4 + 16 * q / 300)) < 1e-3);

    // Reset of channel 1, then of all: counting starts again from zero.
    QCOMPARE(rig.Write(2, 3, {1}), 0);
    QCOMPARE(wire::U32(rig.Input(2, 0x8000, 2), 0), 0u);
    rig.Pass(3600);
    const quint32 again = wire::U32(rig.Input(2, 0x8000, 2), 0);
    QVERIFY(std::fabs(again - q * 1e-3 / 0.001) <= 1.5);
    rig.Write(2, 3, {5});
    QCOMPARE(wire::U32(rig.Input(2, 0x8000, 2), 0), 0u);
    // Input modes are plain coils, passive at start.
    QCOMPARE(wire::Bits(rig.Bench(2, wire::Read(1, 0, 4))), QByteArray(1, char(0x0F)));

    // Stopped imitation: no flow, the output at 4 mA, the volume kept.
    rig.Command(2);
    rig.Pass(600000);
    QCOMPARE(rig.MeterFloat(3, 0), 0.0f);
    QVERIFY(std::fabs(wire::F32(rig.Input(3, 0xC000, 2), 0) - 4.0f) < 1e-4);
    QVERIFY(std::fabs(rig.MeterFloat(3, 2) - v) < 1e-3 * q);
}

void TestSimDevices::volumeImitationMatchesItsClock()
{
    // 10 m³ at 30 m³/h: 26 delayed pulses, 1159 s written as the length.
    SimRig rig;
    const double step = rig.Calibrate();
    const int c = wire::PulseCount(30, 256, step);
    QCOMPARE(c, 26);
    rig.Bench(1, wire::WriteCoil(2, true));
    rig.Write(1, 32772, wire::U32Regs(1159000));
    rig.Write(1, 16386, {quint16(c)});
    rig.Command(1);
    for (int i = 0; i < 130; ++i) {
        rig.Pass(10000);
        rig.Status();
    }
    QCOMPARE(rig.Status(), (QList<quint16>{0, 0, 5}));
    const quint32 ms = wire::U32(rig.Input(1, 32770, 2), 0);
    QCOMPARE(ms, 1159000u);
    const double imitated = ms * ((c + 1) / 256.0 * wire::K * step) / 3600 / 1000;
    QVERIFY(std::fabs(imitated - 10.00995) < 1e-4);
    QVERIFY(std::fabs(rig.MeterFloat(3, 2) - imitated) < 1e-5);
    QCOMPARE(wire::U32(rig.Input(2, 0x8000, 2), 0), 10009u);
}

void TestSimDevices::currentMeterCalibration()
{
    SimRig rig;
    // Calibration of channel 1 as the monitor does it, with the raw sums of two points.
    QCOMPARE(rig.Write(3, 0x4000, {0}), 0);
    QCOMPARE(rig.Write(3, 3, {1}), 0);
    const double x1 = wire::U32(rig.Input(3, 0x8000, 8), 0);
    rig.Write(3, 0x4000, {65535});
    const double x2 = wire::U32(rig.Input(3, 0x8000, 8), 0);
    QCOMPARE(x1, 100000.0);
    const double scale = 23.999334 / (x2 - x1), offset = -scale * x1;
    QVERIFY(scale >= 2e-5 && scale <= 4e-5);
    QVERIFY(offset >= -4 && offset <= -2);
    // Channel 3 always sees the reference output.
    QVERIFY(std::fabs(wire::F32(rig.Input(3, 0xC000, 8), 4) - 23.999334f) < 1e-3);
    // New scale and offset: the measured current obeys them.
    rig.Write(3, 0xC000, wire::FloatRegs(float(scale * 2)));
    rig.Write(3, 0xC008, wire::FloatRegs(float(offset)));
    QVERIFY(std::fabs(wire::F32(rig.Input(3, 0xC000, 2), 0) - (2 * scale * x2 + offset)) < 2e-3);
    QCOMPARE(rig.Write(3, 3, {0}), 0);
    rig.Write(3, 0xC000, wire::FloatRegs(float(scale)));
    QVERIFY(std::fabs(wire::F32(rig.Input(3, 0xC000, 2), 0) - 4.0) < 1e-3); // flowmeter output, no flow
}

void TestSimDevices::twoChannelFlowmeter()
{
    SimRig rig(SimRig::Exact(2));
    rig.StartImitation(100);
    const float q = float(101.0 / 256 * wire::K * 600);
    const auto status = [&] { return wire::Registers(rig.Meter(wire::Read(3, 254, 2))); };
    QCOMPARE(rig.MeterFloat(3, 210), q);
    QCOMPARE(rig.MeterFloat(3, 235), 0.0f);
    QCOMPARE(status(), (QList<quint16>{0, 8}));
    rig.Meter(wire::WriteCoil(2, true));
    QCOMPARE(rig.MeterFloat(3, 235), q);
    QCOMPARE(status(), (QList<quint16>{8, 0}));
    rig.Pass(3600000);
    QVERIFY(rig.MeterFloat(3, 244) > 0);
    rig.Meter(wire::WriteRegs(28, {1})); // only 2 resets
    QVERIFY(rig.MeterFloat(3, 244) > 0);
    rig.Meter(wire::WriteRegs(28, {2}));
    QCOMPARE(rig.MeterFloat(3, 244), 0.0f);
    rig.Meter(wire::WriteCoil(3, false)); // imitator input off: no signal anywhere
    QCOMPARE(status(), (QList<quint16>{8, 8}));
    // Without the flowmeter's TEXT the ИМР cannot enter the imitation.
    rig.Command(2);
    rig.Pass(100);
    rig.Command(1);
    rig.Pass(ImrModule::kTransientMs);
    QCOMPARE(rig.Status(), (QList<quint16>{0, 1, 3}));
    // Window offset is a plain word; the cutoff hides small flows.
    rig.Meter(wire::WriteRegs(161, {65535}));
    QCOMPARE(wire::Registers(rig.Meter(wire::Read(3, 161, 1))), QList<quint16>{65535});
    rig.Meter(wire::WriteCoil(3, true));
    rig.Meter(wire::WriteRegs(31, wire::FloatRegs(q + 1)));
    QCOMPARE(rig.MeterFloat(3, 235), 0.0f);
    QCOMPARE(wire::ExceptionOf(rig.Meter(wire::WriteRegs(15, {2}))), int(exIllegalValue));
}

void TestSimDevices::multiChannelFlowmeter()
{
    SimOptions o = SimRig::Exact(6);
    o.gcChannels = 3;
    o.slotErrorPercent = 2;
    SimRig rig(o);
    const auto in = [&](int addr, int count) {
        return wire::Registers(rig.Meter(wire::Read(4, addr, count)));
    };
    QCOMPARE(in(26, 1), QList<quint16>{3});
    QCOMPARE(in(29, 1), QList<quint16>{0});
    QCOMPARE(in(16480, 4), (QList<quint16>{256, 240, 224, 208}));
    rig.Meter(wire::WriteRegs(74, {2}));
    QCOMPARE(in(29, 1), QList<quint16>{1});
    rig.Meter(wire::WriteRegs(74, {1}));
    QCOMPARE(in(29, 1), QList<quint16>{0});
    QCOMPARE(wire::ExceptionOf(rig.Meter(wire::WriteRegs(74, {3}))), int(exIllegalValue));
    QCOMPARE(wire::ExceptionOf(rig.Meter(wire::WriteRegs(75, {3}))), int(exIllegalValue)); // three channels

    // The measuring channel divides by its own autocirculation count, and the ИМР counts it.
    rig.StartImitation(100);
    const float q = float(101.0 / 224 * wire::K * 600);
    rig.Meter(wire::WriteRegs(75, {2}));
    QCOMPARE(rig.MeterFloat(4, 49596), q);
    QCOMPARE(rig.MeterFloat(4, 49592), 0.0f);
    QCOMPARE(rig.bench->Meter().CountedCirculations(), 225);
    rig.Pass(360000);
    QVERIFY(rig.MeterFloat(4, 49604) > 0);
    rig.Meter(wire::WriteRegs(85, {1}));
    QCOMPARE(rig.MeterFloat(4, 49604), 0.0f);
    QCOMPARE(wire::Registers(rig.Meter(wire::Read(3, 85, 1))), QList<quint16>{0});

    // The main output carries the flow on ИПТ channel 1; slot 1, a current output on
    // channel 2, delivers the calibration points with its own 2 % error.
    const auto ipt = [&](int ch) { return double(wire::F32(rig.Input(3, 0xC000, 8), 2 * ch)); };
    const double wanted = 4 + 16 * double(q) / 300;
    QVERIFY(std::fabs(ipt(0) - wanted) < 1e-3);
    QCOMPARE(wire::Registers(rig.Meter(wire::Read(3, 7, 2))), (QList<quint16>{2, 1}));
    const double points[4] = {0, 4, 5, 20};
    rig.Meter(wire::WriteRegs(60, {1}));
    for (int k = 0; k < 4; ++k) {
        rig.Meter(wire::WriteRegs(62, {quint16(k)}));
        QVERIFY(std::fabs(ipt(1) - points[k] * 1.02) < 1e-3);
    }
    rig.Meter(wire::WriteRegs(60, {0}));
    // The factory table is nominal, so the error shows; the measured table takes it out.
    QCOMPARE(rig.MeterFloat(3, 49200), 4.0f);
    QVERIFY(std::fabs(ipt(1) - wanted * 1.02) < 1e-3);
    for (int k = 0; k < 4; ++k)
        rig.Meter(wire::WriteRegs(49196 + 4 * k, wire::FloatRegs(float(points[k] * 1.02))));
    QVERIFY(std::fabs(ipt(1) - wanted) < 1e-3);

    // Slot 2 holds a universal output until it is made a current output.
    QCOMPARE(rig.bench->Meter().OutputCurrent(2), 0.0);
    rig.Meter(wire::WriteRegs(8, {2}));
    rig.Meter(wire::WriteRegs(61, {1}));
    rig.Meter(wire::WriteRegs(63, {1}));
    QVERIFY(std::fabs(rig.bench->Meter().OutputCurrent(2) - 4.08) < 1e-9);
    QCOMPARE(rig.MeterFloat(3, 49864), 1480.0f);
}

QTEST_GUILESS_MAIN(TestSimDevices)
#include "tst_simdevices.moc"
