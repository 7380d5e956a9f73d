#include "imr/delayline.h"
#include "imr/imitflow.h"
#include "imr/imrstatus.h"

#include "link/conventions.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

class ImrLogicTest : public QObject
{
    Q_OBJECT

private:
    static TCalibChannel Sums(quint32 s0, quint32 s1, quint32 s2, quint32 s3, quint32 s4)
    {
        TCalibChannel c;
        c.S0 = s0;
        c.S1 = s1;
        c.S2 = s2;
        c.S3 = s3;
        c.S4 = s4;
        return c;
    }
    // A channel of ten equal-ish readings: mean x with variance sx2 etc.
    static TCalibChannel Channel(double x, double sx2, double y, double sy2, quint32 s0 = 80)
    {
        const double s1 = 10 * x, s3 = 10 * y;
        return Sums(s0, quint32(s1), quint32(std::llround(sx2 * 9 + s1 * s1 / 10)), quint32(s3),
                    quint32(std::llround(sy2 * 9 + s3 * s3 / 10)));
    }
    static const DelayLineInput kIn;

    static ImitFlowInput Flow(int q, double delayStep = 600, int n = 256, int pribType = 0,
                              bool verify = false)
    {
        ImitFlowInput in;
        in.Q = q;
        in.delayStep = delayStep;
        in.autoCircCount = n;
        in.pribType = pribType;
        in.verifyMode = verify;
        return in;
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void statusTextLines()
    {
        QCOMPARE(ImrStatusText(0, 0, 0), QStringLiteral("0\rOk\rкоманды не было"));
        QCOMPARE(ImrStatusText(2, 1, 2),
                 QStringLiteral("состояние \"ИМИТАЦИЯ ЗАПУЩЕНА\"\r"
                                "не дождались спада TEXT в течение uc_TEXT_TimeOut (ошибка режима имитации)\r"
                                "КОМАНДА \"НАЧАТЬ ИМИТАЦИЮ\" ВЫПОЛНЕНА УСПЕШНО\""));
        QCOMPARE(ImrStateText(8),
                 QStringLiteral("состояние \"НЕПРЕРЫВНАЯ ПОВЕРКА ЧИСЛА ЗАДЕРЖАННЫХ ИМПУЛЬСОВ\""));
        QCOMPARE(ImrErrorText(2),
                 QStringLiteral("не дождались EOC в течение EOC_TIMEOUT_MKS (ошибка режима калибровки)"));
        QCOMPARE(ImrLastCmdText(25),
                 QStringLiteral("КОМАНДА \"ПРЕКРАТИТЬ ПОВЕРКУ ЛИНИИ ЗАДЕРЖКИ\" ВЫПОЛНЕНА УСПЕШНО\""));
        QVERIFY(!ImrStatusText(0, 0, 0).endsWith(QLatin1Char('\r')));
    }

    void statusTextUnknownCodes()
    {
        QCOMPARE(ImrStatusText(9, 0, 0).section(QLatin1Char('\r'), 0, 0), QStringLiteral("???"));
        QCOMPARE(ImrStatusText(0, 3, 0).section(QLatin1Char('\r'), 1, 1), QStringLiteral("???"));
        QCOMPARE(ImrStateText(255), QStringLiteral("???"));
        QCOMPARE(ImrStateText(-1), QStringLiteral("???"));
        QCOMPARE(ImrLastCmdText(26), QStringLiteral("???"));
        QCOMPARE(ImrLastCmdText(-1), QStringLiteral("???"));
    }

    void delayLineWorkedFigures()
    {
        TCalibChannel ch[2] = {Sums(80, 1000, 100010, 1280, 163850), Sums(80, 1000, 100010, 1280, 163850)};
        const DelayLineResult r = ComputeDelayLine(kIn, ch, 0);
        QCOMPARE(r.Tosc, 50.0);
        QVERIFY(qFuzzyCompare(r.DacStep, 0.1));
        QCOMPARE(ch[0].A, 1.0);
        QCOMPARE(ch[0].Xm, 100.0);
        QCOMPARE(Fmt3(ch[0].sX2), QStringLiteral("1.111"));
        QCOMPARE(ch[0].Ym, 128.0);
        QCOMPARE(Fmt3(ch[0].sY2), QStringLiteral("1.111"));
        QVERIFY(qFuzzyCompare(r.FineCorr, 10.0));
        QVERIFY(qFuzzyCompare(ch[0].D, 97.2));
        QVERIFY(!ch[0].unstable && !ch[1].unstable);
        // channel 1 of the same sums: 1.5 x 50 - 12.8 - (25 - 10)
        QVERIFY(qFuzzyCompare(ch[1].D, 47.2));
        QCOMPARE(r.chosen, 1); // equal distances from 128 go to channel 1
        QCOMPARE(r.DelayStep, ch[1].D);
        QVERIFY(r.valid);
    }

    void fineCorrKeptWhenFirstCodeIsNoisy()
    {
        TCalibChannel ch[2] = {Channel(100, 6, 128, 1), Channel(100, 1, 128, 1)};
        DelayLineResult r = ComputeDelayLine(kIn, ch, 0);
        QCOMPARE(r.FineCorr, 0.0);
        QVERIFY(qFuzzyCompare(ch[0].D, 87.2));
        r = ComputeDelayLine(kIn, ch, 7.5);
        QCOMPARE(r.FineCorr, 7.5);
        QVERIFY(qFuzzyCompare(ch[0].D, 94.7));
    }

    void fineCorrAtHalfPeriodSubtracts()
    {
        // X mean 250 x 0.1 ns = 25 ns = Tosc / 2: D0 = 87.2 - (50 - 25)
        TCalibChannel ch[2] = {Channel(250, 1, 128, 1), Channel(100, 1, 128, 1)};
        const DelayLineResult r = ComputeDelayLine(kIn, ch, 0);
        QVERIFY(qFuzzyCompare(r.FineCorr, 25.0));
        QVERIFY(qFuzzyCompare(ch[0].D, 62.2));
        // just below the half period adds
        TCalibChannel below[2] = {Channel(249, 1, 128, 1), Channel(100, 1, 128, 1)};
        ComputeDelayLine(kIn, below, 0);
        QVERIFY(qFuzzyCompare(below[0].D, 87.2 + 24.9));
    }

    void channelChoice_data()
    {
        QTest::addColumn<double>("y0");
        QTest::addColumn<double>("sy0");
        QTest::addColumn<double>("y1");
        QTest::addColumn<double>("sy1");
        QTest::addColumn<int>("chosen");
        QTest::newRow("stable, equal distances 28") << 100.0 << 1.0 << 156.0 << 1.0 << 1;
        QTest::newRow("stable, channel 0 nearer") << 120.0 << 1.0 << 150.0 << 1.0 << 0;
        QTest::newRow("stable, channel 1 nearer") << 90.0 << 1.0 << 130.0 << 1.0 << 1;
        QTest::newRow("channel 1 unstable") << 90.0 << 1.0 << 128.0 << 6.0 << 0;
        QTest::newRow("channel 0 unstable") << 128.0 << 6.0 << 90.0 << 1.0 << 1;
        QTest::newRow("both unstable, equal") << 128.0 << 7.0 << 128.0 << 7.0 << 1;
        QTest::newRow("both unstable, 0 steadier") << 128.0 << 6.0 << 128.0 << 8.0 << 0;
        QTest::newRow("variance exactly 5 is stable") << 128.0 << 5.0 << 128.0 << 6.0 << 0;
    }
    void channelChoice()
    {
        QFETCH(double, y0);
        QFETCH(double, sy0);
        QFETCH(double, y1);
        QFETCH(double, sy1);
        QFETCH(int, chosen);
        TCalibChannel ch[2] = {Channel(100, 1, y0, sy0), Channel(100, 1, y1, sy1)};
        const DelayLineResult r = ComputeDelayLine(kIn, ch, 0);
        QCOMPARE(r.chosen, chosen);
        QCOMPARE(r.DelayStep, ch[chosen].D);
    }

    void channelChoiceWithNotANumber()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        TCalibChannel a, b;
        a.Ym = nan;
        b.Ym = 128;
        QCOMPARE(ChooseChannel(a, b), 0);
        QCOMPARE(ChooseChannel(b, a), 0);
        a.unstable = b.unstable = true;
        a.sY2 = nan;
        b.sY2 = 1;
        QCOMPARE(ChooseChannel(a, b), 0);
        QCOMPARE(ChooseChannel(b, a), 0);
    }

    void sumsAreUnsigned()
    {
        // Sums above 2^31 must not turn negative; 2^32-1 squared needs doubles.
        TCalibChannel c = Sums(4000000000u, 4000000000u, 4294967295u, 1280, 163850);
        DeriveChannel(c);
        QCOMPARE(c.A, 50000000.0);
        QCOMPARE(c.Xm, 400000000.0);
        QVERIFY(c.sX2 < 0); // impossible sums, but computed, not wrapped
    }

    void zeroQuartzFrequencyIsNotADelay()
    {
        TCalibChannel ch[2] = {Sums(80, 1000, 100010, 1280, 163850), Sums(80, 1000, 100010, 1280, 163850)};
        DelayLineInput in = kIn;
        in.Fosc = 0;
        QVERIFY(!ComputeDelayLine(in, ch, 0).valid);
    }

    void flowWorkedFigures_data()
    {
        QTest::addColumn<int>("q");
        QTest::addColumn<QString>("d");
        QTest::addColumn<int>("c");
        QTest::addColumn<QString>("imitQ");
        QTest::addColumn<QString>("shown");
        QTest::newRow("30") << 30 << "25.0516" << 26 << "31.0922"
                            << "31.092";
        QTest::newRow("250") << 250 << "216.0966" << 217 << "251.0404"
                             << "251.04";
        QTest::newRow("1") << 1 << "-0.1316" << 0 << "1.1516"
                           << "1.152";
    }
    void flowWorkedFigures()
    {
        QFETCH(int, q);
        QFETCH(QString, d);
        QFETCH(int, c);
        QFETCH(QString, imitQ);
        QFETCH(QString, shown);
        const ImitFlowResult r = ComputeImitFlow(Flow(q));
        QCOMPARE(r.status, ImitFlowResult::Ok);
        QCOMPARE(Fmt4(r.d), d);
        QCOMPARE(r.c, c);
        QCOMPARE(r.v, c);
        QCOMPARE(Fmt4(r.ImitQ), imitQ);
        QCOMPARE(Fmt3(r.ImitQ), shown);
        QCOMPARE(FormatDecimals(kFlowPerPulse * 600, 5), QStringLiteral("294.79968"));
    }

    void flowRoundingAndLimits()
    {
        const double step = kFlowPerPulse * 600;
        // N = 1 limits every count to 0
        QCOMPARE(ComputeImitFlow(Flow(250, 600, 1)).c, 0);

        // whole d: 5.5 goes to the even 6, 4.5 to the even 4
        QCOMPARE(PulseCountOf(5.0, 256), 6);
        QCOMPARE(PulseCountOf(4.0, 256), 4);
        QCOMPARE(PulseCountOf(4.01, 256), 5);
        QCOMPARE(PulseCountOf(0.0, 256), 0);
        QCOMPARE(PulseCountOf(-0.5, 256), 0);
        QCOMPARE(PulseCountOf(std::numeric_limits<double>::quiet_NaN(), 2000), 1023);
        QCOMPARE(PulseCountOf(1023.0, 2000), 1023);
        QCOMPARE(PulseCountOf(1022.2, 2000), 1023);
        QCOMPARE(PulseCountOf(150, 100), 99);

        // N = 256 never writes above 255: ImitQ at most K x DelayStep
        ImitFlowResult r = ComputeImitFlow(Flow(100000));
        QCOMPARE(r.c, 255);
        QCOMPARE(r.ImitQ, step);

        // the 1023 limit acts above N = 1024: N 2000, d 1500
        ImitFlowInput in = Flow(0, 600, 2000);
        in.Q = 1;
        in.delayStep = 2000.0 / 1501 / kFlowPerPulse;
        r = ComputeImitFlow(in);
        QVERIFY(qAbs(r.d - 1500) < 1e-9);
        QCOMPARE(r.c, 1023);
        QVERIFY(qFuzzyCompare(r.ImitQ, 1024.0 / 2000 * kFlowPerPulse * in.delayStep));

        // d below 0 writes 0: ImitQ = K x DelayStep / N
        r = ComputeImitFlow(Flow(1, 5000));
        QVERIFY(r.d < 0);
        QCOMPARE(r.c, 0);
        QCOMPARE(r.ImitQ, kFlowPerPulse * 5000 / 256);

        // AutoCircCount 100 and d 150: limited to 99, ImitQ = K x DelayStep
        in = Flow(151, 100 / kFlowPerPulse, 100);
        r = ComputeImitFlow(in);
        QVERIFY(qAbs(r.d - 150) < 1e-9);
        QCOMPARE(r.c, 99);
        QVERIFY(qFuzzyCompare(r.ImitQ, kFlowPerPulse * in.delayStep));
    }

    void flowClassThreeOffset()
    {
        ImitFlowResult r = ComputeImitFlow(Flow(30, 600, 0, 3));
        QCOMPARE(r.N, 256);
        QCOMPARE(r.c, 26);
        QCOMPARE(r.v, 42);
        QCOMPARE(Fmt4(r.ImitQ), QStringLiteral("31.0922"));
        r = ComputeImitFlow(Flow(30, 600, 5000, 3));
        QCOMPARE(r.N, 256);
        QCOMPARE(r.v, 42);
    }

    void flowInVerification()
    {
        // the divisor is 256 whatever N is, but the count is still limited by N
        ImitFlowResult r = ComputeImitFlow(Flow(30, 600, 2000, 0, true));
        QCOMPARE(Fmt4(r.d), QStringLiteral("25.0516"));
        QCOMPARE(r.c, 26);
        QCOMPARE(Fmt4(r.ImitQ), QStringLiteral("31.0922"));
        r = ComputeImitFlow(Flow(30, 600, 10, 0, true));
        QCOMPARE(r.c, 9);
        QCOMPARE(r.ImitQ, 10.0 / 256 * kFlowPerPulse * 600);
    }

    void flowRefusals()
    {
        // no autocirculations counted yet: refused instead of a count of -1 and a division by 0
        ImitFlowResult r = ComputeImitFlow(Flow(30, 600, 0, 1));
        QCOMPARE(r.status, ImitFlowResult::NoAutoCirc);
        QVERIFY(!ImitFlowRefusalText(r.status).isEmpty());
        QCOMPARE(ComputeImitFlow(Flow(30, 600, -1)).status, ImitFlowResult::NoAutoCirc);
        QCOMPARE(ComputeImitFlow(Flow(30, 600, 0, 0, true)).status, ImitFlowResult::NoAutoCirc);
        QCOMPARE(ComputeImitFlow(Flow(30, 0)).status, ImitFlowResult::NoDelayStep);
        QCOMPARE(ComputeImitFlow(Flow(30, std::numeric_limits<double>::infinity())).status,
                 ImitFlowResult::NoDelayStep);
        QCOMPARE(ComputeImitFlow(Flow(30, 600, 1)).status, ImitFlowResult::Ok);
    }

    void imitLength()
    {
        // 1 m3 at 31.0922 m3/h: 115.78 s -> 116 + 1
        QCOMPARE(ImitLengthSeconds(1, 27.0 / 256 * kFlowPerPulse * 600), 117);
        QCOMPARE(ImitLengthSeconds(1, 3600.0 / 2.5), 3); // 2.5 to the even 2, plus 1
        QCOMPARE(ImitLengthSeconds(1, 3600.0 / 3.5), 5); // 3.5 to the even 4, plus 1
    }
};

const DelayLineInput ImrLogicTest::kIn = {2000000000u, 10, 35.5};

QTEST_APPLESS_MAIN(ImrLogicTest)
#include "imr_logic_test.moc"
