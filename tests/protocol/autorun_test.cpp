#include "protocol/autorun.h"

#include <QTest>

#include <QTimer>
#include <algorithm>

using namespace Verification;

// A bench whose flowmeter reads the imitated flow with a set error, polled every 20 ms.
class FakeBench : public VerificationBench
{
public:
    explicit FakeBench(double errorPercent) : m_gain(1 + errorPercent / 100)
    {
        m_poll.setInterval(20);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { Poll(); });
        m_poll.start();
    }
    QString NotReady() const override { return ready ? QString() : QStringLiteral("Не подключен ЦТМ"); }
    bool LinksUp() const override { return links; }
    void StartMeasurements(bool, bool) override {}
    std::optional<double> StartFlow(double q) override
    {
        m_q = q * 0.999; // what the pulse count really gives
        return m_q;
    }
    void StopAll() override
    {
        m_q = 0;
        ++stops;
    }
    std::optional<int> StartVolume(double volume, double q) override
    {
        m_q = q;
        m_left = volume * 3600 / q;
        m_dt = m_left / 50; // the run lasts a second
        m_imitated = 0;
        return 1;
    }
    bool VolumeRunning() const override { return m_left > 0; }
    double ImitatedVolume() const override { return m_imitated; }
    quint64 FlowReadings() const override { return m_polls; }
    double Flow() const override { return m_q * m_gain; }
    quint64 VolumeReadings() const override { return m_polls; }
    double FlowmeterVolume() const override { return m_volume; }
    quint64 CurrentReadings() const override { return currentSilent ? 0 : m_polls; }
    double Current() const override { return 4 + 16 * Flow() / 300 + 0.01; } // 0.0625 % high
    quint64 PulseReadings() const override { return m_polls; }
    double Pulses() const override { return std::floor(m_volume * 1000); }
    QStringList Modules() const override { return {QStringLiteral("ИМР")}; }
    double DelayStep() const override { return 600; }
    QString Model() const override { return QStringLiteral("ЛКТВ-210Н"); }
    QString Flowmeter() const override { return QStringLiteral("ЛКТВ"); }
    QString Software() const override { return QStringLiteral("Монитор ЦТМ-01"); }

    bool ready = true;
    bool links = true;
    bool currentSilent = false;
    int stops = 0;

private:
    // The volume run is sped up to last a second.
    void Poll()
    {
        ++m_polls;
        double dt = 0.02;
        if (m_left > 0) {
            dt = qMin(m_dt, m_left);
            m_imitated += m_q * dt / 3600;
            m_left -= dt;
        }
        m_volume += m_q * m_gain * dt / 3600;
        if (m_left <= 0 && m_imitated > 0)
            m_q = 0;
    }
    QTimer m_poll;
    double m_gain;
    double m_q = 0;
    double m_left = 0;
    double m_dt = 0;
    double m_imitated = 0;
    double m_volume = 0;
    quint64 m_polls = 0;
};

class AutoRunTest : public QObject
{
    Q_OBJECT

    static Settings Short()
    {
        Settings s;
        s.serial = QStringLiteral("1");
        s.params = {0.05, 3, 0.05, 0.05, 1};
        return s;
    }

private Q_SLOTS:
    void aGoodFlowmeterPassesEveryCheck()
    {
        FakeBench bench(0.5);
        AutoRun run(bench, Short());
        QList<int> progress;
        connect(&run, &AutoRun::ProgressChanged, this, [&progress](int p) { progress << p; });
        const Record r = run.Run();
        QVERIFY2(r.completed, qPrintable(run.Failure()));
        QCOMPARE(r.checks.size(), 4 * 2 + 2); // flow and current per point, volume, pulses
        for (const Check &c : r.checks) {
            QVERIFY2(c.Passed(), qPrintable(QuantityName(c.quantity)));
            // Errors keep their sign; the pulses are held against the imitated volume.
            if (c.quantity != Quantity::Current)
                QVERIFY2(qAbs(c.MaxError() - 0.5) < 0.1,
                         qPrintable(c.Title() + QString::number(c.MaxError())));
            else
                QCOMPARE(RoundError(c.MaxError()), 0.06); // reduced to 16 mA, not relative
        }
        QCOMPARE(r.checks[0].readings.size(), 3);
        QVERIFY(r.Passed());
        QCOMPARE(r.software, QStringLiteral("Монитор ЦТМ-01"));
        QCOMPARE(progress.last(), 100);
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
        // The volume run is the 17th of 18 steps: the bar moves inside it.
        QVERIFY2(std::any_of(progress.begin(), progress.end(),
                             [](int p) { return p > 16 * 100 / 18 && p < 17 * 100 / 18; }),
                 qPrintable(QString::number(progress.size())));
        QVERIFY(bench.stops >= 1);
    }

    void aWrongFlowmeterFails()
    {
        FakeBench bench(1.5);
        AutoRun run(bench, Short());
        const Record r = run.Run();
        QVERIFY(r.completed);
        QVERIFY(!r.Passed());
        QCOMPARE(r.Verdict(), QStringLiteral("не годен"));
    }

    // The current meter falls silent: the run goes on, its current checks read "не выполнено"
    // and the verification is incomplete.
    void aSilentCurrentMeterLeavesTheVerificationIncomplete()
    {
        FakeBench bench(0.5);
        bench.currentSilent = true;
        AutoRun run(bench, Short());
        run.readingDeadlineMs = 300;
        const Record r = run.Run();
        QVERIFY2(r.completed, qPrintable(run.Failure()));
        QCOMPARE(r.checks.size(), 4 * 2 + 2);
        QCOMPARE(r.checks[1].ResultText(), QStringLiteral("не выполнено"));
        QVERIFY(r.checks[0].Passed() && r.checks.last().Passed());
        QVERIFY(r.Incomplete() && !r.Passed());
        QVERIFY(r.Announcement().startsWith(
            QStringLiteral("Поверка не завершена: не выполнено - Токовый выход 13 м3/ч")));
    }

    void stopLostLinkAndUnreadyBenchEndTheRun()
    {
        FakeBench bench(0.5);
        Settings s = Short();
        s.params.transientS = 5;
        AutoRun run(bench, s);
        QTimer::singleShot(100, &run, &AutoRun::Stop);
        Record r = run.Run();
        QVERIFY(!r.completed);
        QVERIFY(!r.Passed());
        QCOMPARE(run.Failure(), QStringLiteral("Поверка остановлена оператором"));
        QVERIFY(bench.stops >= 1);

        QTimer::singleShot(100, &run, [&bench] { bench.links = false; });
        r = run.Run();
        QVERIFY(!r.completed);
        QCOMPARE(run.Failure(), QStringLiteral("Поверка прервана: потеряна связь"));

        bench.ready = false;
        r = run.Run();
        QVERIFY(!r.completed);
        QCOMPARE(run.Failure(), QStringLiteral("Не подключен ЦТМ"));
    }
};

QTEST_MAIN(AutoRunTest)
#include "autorun_test.moc"
