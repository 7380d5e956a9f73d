#include "sim/lib/delayline.h"
#include "sim/lib/flowmeter.h"
#include "sim/lib/simclock.h"

#include <QTest>

#include <cstring>
#include <limits>

namespace
{
class ManualClock : public SimClock
{
public:
    double NowMs() const override { return now; }
    double now = 0;
};

QList<quint16> FloatRegisters(float v)
{
    quint32 bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return {quint16(bits >> 16), quint16(bits & 0xFFFF)};
}
} // namespace

class SimLimitsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A fine step near zero needs codes no counter holds: no end of conversion,
    // whatever the reference times are, instead of sums out of thin air.
    void delayLineTimesTooCloseEndTheConversion()
    {
        Noise noise(true);
        CalibrationSums sums{};
        QVERIFY(MakeCalibrationSums(600, 2000000000u, 10, 35.5, 10, noise, &sums));
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double times[][2] = {{0, 1e-30}, {0, 1e-300}, {-inf, 0}, {0, inf}, {nan, 1}};
        for (const auto &t : times)
            QVERIFY2(!MakeCalibrationSums(600, 2000000000u, t[0], t[1], 10, noise, &sums),
                     qPrintable(QStringLiteral("t0=%1 t1=%2").arg(t[0]).arg(t[1])));
        QVERIFY(!MakeCalibrationSums(1e300, 2000000000u, 10, 35.5, 10, noise, &sums));
    }

    // The pulse output feeds a 32-bit counter: past 2^32 pulses (4 294 967.296 m³)
    // it starts again from 0; a zero shift of infinity adds nothing.
    void pulseCountWrapsAt32Bits()
    {
        ManualClock clock;
        Noise noise(true);
        Flowmeter meter(1, 2, 0.0, clock, noise);
        QCOMPARE(meter.Write(Space::Holding, 24, FloatRegisters(1048576.0f)),
                 quint8(exOk)); // zero shift, m³/h
        meter.Integrate(clock.now = 4.0 * 3.6e6);
        QCOMPARE(meter.PulsesEmitted(0), quint32(4194304000u));
        meter.Integrate(clock.now = 4.097 * 3.6e6); // 1048.576 m³ past the wrap
        QVERIFY2(qAbs(qint64(meter.PulsesEmitted(0)) - 1048576) <= 1,
                 qPrintable(QString::number(meter.PulsesEmitted(0))));
        const quint32 before = meter.PulsesEmitted(0);
        QCOMPARE(meter.Write(Space::Holding, 24, FloatRegisters(std::numeric_limits<float>::infinity())),
                 quint8(exOk));
        meter.Integrate(clock.now = 5.0 * 3.6e6);
        QCOMPARE(meter.PulsesEmitted(0), before);
        QCOMPARE(meter.Write(Space::Holding, 24, FloatRegisters(3e38f)), quint8(exOk));
        meter.Integrate(clock.now = 1e6 * 3.6e6); // 3e44 m³: the count is still some 32-bit number
        (void)meter.PulsesEmitted(0);
    }
};

QTEST_GUILESS_MAIN(SimLimitsTest)
#include "tst_simlimits.moc"
