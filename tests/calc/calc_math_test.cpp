#include "session/calcmath.h"
#include "link/windowplacement.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace CalcMath;

class CalcMathTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void relativeError_data();
    void relativeError();
    void zeroReferenceGivesNoError();
    void tolerance();
    void nominalCurrent();
    void expectedCurrent();
    void equalTableEntriesGiveNoCurrent();
    void pulseVolume();
    void slotEntries();
    void tableFromVariant();
    void currentSlotFromTypes();
    void statisticsBeforeFirstReset();
    void statisticsAfterReset();
    void statisticsRefuseNonNumbers();
    void placement();
};

void CalcMathTest::relativeError_data()
{
    QTest::addColumn<double>("reference");
    QTest::addColumn<double>("measured");
    QTest::addColumn<double>("percent");
    QTest::newRow("above") << 100.0 << 100.5 << 0.5;
    QTest::newRow("one percent") << 100.0 << 101.0 << 1.0;
    QTest::newRow("below is positive") << 100.0 << 99.0 << 1.0;
    QTest::newRow("negative reference") << -50.0 << -49.0 << 2.0;
    QTest::newRow("measured zero") << 10.0 << 0.0 << 100.0;
    QTest::newRow("pulses") << 1.25 << 1.234 << 1.28;
}

void CalcMathTest::relativeError()
{
    QFETCH(double, reference);
    QFETCH(double, measured);
    QFETCH(double, percent);
    const auto e = RelativeErrorPercent(reference, measured);
    QVERIFY(e.has_value());
    QVERIFY2(std::fabs(*e - percent) < 1e-9, qPrintable(QString::number(*e, 'g', 17)));
}

void CalcMathTest::zeroReferenceGivesNoError()
{
    QVERIFY(!RelativeErrorPercent(0.0, 5.0));
    QVERIFY(!RelativeErrorPercent(-0.0, 0.0));
}

void CalcMathTest::tolerance()
{
    QVERIFY(!IsOutOfTolerance(0.5));
    QVERIFY(!IsOutOfTolerance(0.8));
    QVERIFY(IsOutOfTolerance(0.8000001));
    QVERIFY(IsOutOfTolerance(std::numeric_limits<double>::quiet_NaN()));
    QVERIFY(IsOutOfTolerance(std::numeric_limits<double>::infinity()));
}

void CalcMathTest::nominalCurrent()
{
    QCOMPARE(NominalCurrent(0), 4.0);
    QCOMPARE(NominalCurrent(150), 12.0);
    QCOMPARE(NominalCurrent(300), 20.0);
    // Not limited to the scale.
    QCOMPARE(NominalCurrent(-75), 0.0);
    QCOMPARE(NominalCurrent(600), 36.0);
}

void CalcMathTest::expectedCurrent()
{
    QCOMPARE(*ExpectedCurrent(NominalCurrent(150), 4, 20), 12.0);
    // Offset |(80 - 82) / 15.9| is taken positive.
    const double ic = *ExpectedCurrent(NominalCurrent(0), 4.1, 20);
    QVERIFY(std::fabs(ic - (16.0 / 15.9 * 4 + 2.0 / 15.9)) < 1e-12);
    QVERIFY(std::fabs(ic - 4.1509) < 5e-5);
    // Reversed entries: negative slope, offset still positive.
    const double rev = *ExpectedCurrent(12, 20, 4);
    QCOMPARE(rev, -12.0 + 24.0);
}

void CalcMathTest::equalTableEntriesGiveNoCurrent()
{
    QVERIFY(!ExpectedCurrent(12, 4, 4));
    QVERIFY(!ExpectedCurrent(12, 0, 0));
}

void CalcMathTest::pulseVolume()
{
    QCOMPARE(PulseVolume(1234), 1.234);
    QCOMPARE(PulseVolume(0), 0.0);
}

void CalcMathTest::slotEntries()
{
    const CurrentTable t{0.0, 0.5, 4.1, 4.2, 5.1, 5.2, 20.1, 20.2};
    QCOMPARE(SlotCalibration(t, 0).i4, 4.1);
    QCOMPARE(SlotCalibration(t, 0).i20, 20.1);
    QCOMPARE(SlotCalibration(t, 1).i4, 4.2);
    QCOMPARE(SlotCalibration(t, 1).i20, 20.2);
}

void CalcMathTest::tableFromVariant()
{
    QVariantList floats;
    for (int i = 0; i < 8; ++i)
        floats << QVariant::fromValue(float(i) + 0.5f);
    const auto t = TableFromVariant(floats);
    QVERIFY(t);
    QCOMPARE((*t)[7], 7.5);

    QVERIFY(!TableFromVariant(QVariantList(floats.mid(0, 7))));
    QVERIFY(!TableFromVariant(QVariantList(floats + QVariantList{1.0})));
    QVERIFY(!TableFromVariant(QVariant(4.0)));
    QVERIFY(!TableFromVariant(QVariant()));
    QVariantList bad = floats;
    bad[3] = QStringLiteral("x");
    QVERIFY(!TableFromVariant(bad));
}

void CalcMathTest::currentSlotFromTypes()
{
    QCOMPARE(CurrentSlotFromTypes(QVariantList{2, 2}), std::optional<int>(0));
    QCOMPARE(CurrentSlotFromTypes(QVariantList{1, 2}), std::optional<int>(1));
    QCOMPARE(CurrentSlotFromTypes(QVariantList{quint8(0), quint8(2)}), std::optional<int>(1));
    QVERIFY(!CurrentSlotFromTypes(QVariantList{0, 3}));
    QVERIFY(!CurrentSlotFromTypes(QVariantList{}));
    QVERIFY(!CurrentSlotFromTypes(QVariant(2)));
}

void CalcMathTest::statisticsBeforeFirstReset()
{
    FlowStatistics s;
    QCOMPARE(s.Mean(), 0.0);
    QVERIFY(s.Add(10));
    QVERIFY(s.Add(12));
    QCOMPARE(s.Min(), 0.0);
    QCOMPARE(s.Max(), 12.0);
    QCOMPARE(s.Mean(), 11.0);
}

void CalcMathTest::statisticsAfterReset()
{
    FlowStatistics s;
    s.Add(500);
    s.Reset();
    QCOMPARE(s.Count(), 0);
    QCOMPARE(s.Max(), -100000.0);
    QCOMPARE(s.Min(), 1000000.0);
    for (double q : {10.0, 12.0, 11.0})
        s.Add(q);
    QCOMPARE(s.Max(), 12.0);
    QCOMPARE(s.Min(), 10.0);
    QCOMPARE(s.Mean(), 11.0);
    QCOMPARE(s.Count(), 3);
    s.Reset();
    s.Add(-3);
    QCOMPARE(s.Max(), -3.0);
    QCOMPARE(s.Min(), -3.0);
}

void CalcMathTest::statisticsRefuseNonNumbers()
{
    FlowStatistics s;
    s.Reset();
    s.Add(10);
    QVERIFY(!s.Add(std::numeric_limits<double>::quiet_NaN()));
    QVERIFY(!s.Add(std::numeric_limits<double>::infinity()));
    QCOMPARE(s.Count(), 1);
    QCOMPARE(s.Mean(), 10.0);
    QCOMPARE(s.Max(), 10.0);
}

void CalcMathTest::placement()
{
    const QRect screen(0, 0, 1920, 1080);
    const QSize w(400, 300);
    QCOMPARE(PlaceWindow(QPoint(100, 200), w, screen), QPoint(100, 200));
    QCOMPARE(PlaceWindow(QPoint(1900, 1000), w, screen), QPoint(1900, 1000));
    const QPoint centre(760, 390);
    QCOMPARE(PlaceWindow(QPoint(2000, 10), w, screen), centre);
    QCOMPARE(PlaceWindow(QPoint(10, 1100), w, screen), centre);
    QCOMPARE(PlaceWindow(QPoint(-500, 10), w, screen), centre);
    QCOMPARE(PlaceWindow(QPoint(10, -300), w, screen), centre);
}

QTEST_APPLESS_MAIN(CalcMathTest)
#include "calc_math_test.moc"
