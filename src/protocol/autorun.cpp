#include "protocol/autorun.h"

#include "link/conventions.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cmath>

using namespace Verification;

AutoRun::AutoRun(VerificationBench &bench, const Settings &settings, QObject *parent)
    : QObject(parent), m_bench(bench), m_settings(settings)
{
}

void AutoRun::Stop()
{
    m_stop = true;
}

bool AutoRun::Fail(const QString &text)
{
    if (m_failure.isEmpty())
        m_failure = text;
    return false;
}

bool AutoRun::Pause(double seconds)
{
    QElapsedTimer clock;
    clock.start();
    const qint64 total = qint64(seconds * 1000);
    while (!m_stop && m_bench.LinksUp()) {
        const qint64 left = total - clock.elapsed();
        if (left <= 0)
            return true;
        QEventLoop loop;
        QTimer::singleShot(int(qMin<qint64>(left, 100)), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return Fail(m_stop ? QStringLiteral("Поверка остановлена оператором")
                       : QStringLiteral("Поверка прервана: потеряна связь"));
}

bool AutoRun::Step(const QString &text)
{
    Q_EMIT StepChanged(text);
    Q_EMIT ProgressChanged(qBound(0, m_step * 100 / m_steps, 100));
    ++m_step;
    return Pause(0);
}

void AutoRun::StepProgress(double fraction)
{
    const double done = (m_step - 1 + qBound(0.0, fraction, 1.0)) * 100 / m_steps;
    Q_EMIT ProgressChanged(qBound(0, int(done), 100));
}

bool AutoRun::Fresh(quint64 (VerificationBench::*counter)() const, const QString &what, bool *missing)
{
    const quint64 before = (m_bench.*counter)();
    QElapsedTimer clock;
    clock.start();
    while ((m_bench.*counter)() == before) {
        if (clock.elapsed() > readingDeadlineMs && missing) {
            *missing = true;
            return false;
        }
        if (clock.elapsed() > readingDeadlineMs)
            return Fail(QStringLiteral("Поверка прервана: нет показаний (%1)").arg(what));
        if (!Pause(0.05))
            return false;
    }
    return true;
}

bool AutoRun::MeasurePoint(double q, Record &record)
{
    if (!Step(QStringLiteral("Расход %1 м3/ч: имитация").arg(Fmt3(q))))
        return false;
    const std::optional<double> imitated = m_bench.StartFlow(q);
    if (!imitated)
        return Fail(
            QStringLiteral("Поверка прервана: не удалось начать имитацию расхода %1 м3/ч").arg(Fmt3(q)));
    if (!Pause(m_settings.params.transientS))
        return false;
    Check flow{Quantity::Flow, q, m_settings.Limit(Quantity::Flow), {}};
    Check current{Quantity::Current, q, m_settings.Limit(Quantity::Current), {}};
    for (int i = 1; i <= m_settings.params.readings; ++i) {
        if (!Step(QStringLiteral("Расход %1 м3/ч: показание %2 из %3")
                      .arg(Fmt3(q))
                      .arg(i)
                      .arg(m_settings.params.readings)))
            return false;
        if (i > 1 && !Pause(m_settings.params.periodS))
            return false;
        if (!Fresh(&VerificationBench::FlowReadings, QStringLiteral("расход")))
            return false;
        flow.readings << FlowReading(*imitated, m_bench.Flow());
        Q_EMIT CheckUpdated(flow);
        if (m_settings.WithCurrent()) {
            // A current meter that falls silent leaves the current checks not done, and
            // the verification incomplete, rather than losing the other checks.
            if (!m_noCurrent &&
                !Fresh(&VerificationBench::CurrentReadings, QStringLiteral("ток"), &m_noCurrent) &&
                !m_noCurrent)
                return false;
            if (m_noCurrent) {
                Q_EMIT StepChanged(
                    QStringLiteral("Нет показаний тока: проверка токового выхода не выполнена"));
                current.readings << Reading{qQNaN(), qQNaN(), qQNaN()};
            } else {
                current.readings << CurrentReading(m_bench.Flow(), m_bench.Current(), m_settings.qMax);
            }
            Q_EMIT CheckUpdated(current);
        }
    }
    record.checks << flow;
    if (m_settings.WithCurrent())
        record.checks << current;
    return true;
}

bool AutoRun::MeasureVolume(double q, Record &record)
{
    if (!Step(QStringLiteral("Поверка объема: %1 м3 при %2 м3/ч")
                  .arg(Fmt3(m_settings.params.volumeM3), Fmt3(q))))
        return false;
    m_bench.StopAll();
    // The flowmeter's volume and pulses before the run, with no flow imitated.
    if (!Pause(m_settings.params.volumeTransientS) ||
        !Fresh(&VerificationBench::VolumeReadings, QStringLiteral("объем")))
        return false;
    if (m_settings.WithPulses() && !Fresh(&VerificationBench::PulseReadings, QStringLiteral("импульсы")))
        return false;
    const double v0 = m_bench.FlowmeterVolume();
    const double p0 = m_bench.Pulses();
    const std::optional<int> seconds = m_bench.StartVolume(m_settings.params.volumeM3, q);
    if (!seconds)
        return Fail(QStringLiteral("Поверка прервана: не удалось начать имитацию объема"));
    QElapsedTimer clock;
    clock.start();
    while (m_bench.VolumeRunning()) {
        if (clock.elapsed() > (qint64(*seconds) + 30) * 1000)
            return Fail(QStringLiteral("Поверка прервана: имитация объема не закончилась в срок"));
        StepProgress(*seconds > 0 ? clock.elapsed() / 1000.0 / *seconds : 1.0);
        if (!Pause(0.2))
            return false;
    }
    if (!Step(QStringLiteral("Поверка объема: считывание показаний")))
        return false;
    if (!Pause(m_settings.params.volumeTransientS) ||
        !Fresh(&VerificationBench::VolumeReadings, QStringLiteral("объем")))
        return false;
    if (m_settings.WithPulses() && !Fresh(&VerificationBench::PulseReadings, QStringLiteral("импульсы")))
        return false;
    const double dv = m_bench.FlowmeterVolume() - v0;
    const double reference = m_bench.ImitatedVolume();
    record.checks << Check{
        Quantity::Volume, q, m_settings.Limit(Quantity::Volume), {VolumeReading(reference, dv)}};
    Q_EMIT CheckUpdated(record.checks.last());
    if (m_settings.WithPulses()) {
        record.checks << Check{Quantity::Pulses,
                               q,
                               m_settings.Limit(Quantity::Pulses),
                               {PulseReading(reference, m_bench.Pulses() - p0, m_settings.pulseWeight)}};
        Q_EMIT CheckUpdated(record.checks.last());
    }
    return true;
}

Record AutoRun::Run()
{
    Record record;
    record.settings = m_settings;
    record.started = QDateTime::currentDateTime();
    if (m_running)
        return record;
    m_running = true;
    m_stop = false;
    m_failure.clear();
    m_noCurrent = false;
    m_step = 0;
    m_steps = PlannedSteps(m_settings);
    if (const QString why = m_bench.NotReady(); !why.isEmpty()) {
        m_failure = why;
        record.failure = why;
        record.finished = record.started;
        m_running = false;
        return record;
    }
    record.modules = m_bench.Modules();
    record.model = m_bench.Model();
    record.flowmeter = m_bench.Flowmeter();
    record.software = m_bench.Software();
    m_bench.StartMeasurements(m_settings.WithCurrent(), m_settings.WithPulses());
    bool ok = true;
    double largest = 0;
    for (double q : m_settings.points) {
        if (q <= 0)
            continue;
        largest = qMax(largest, q);
        if (!(ok = MeasurePoint(q, record)))
            break;
    }
    record.delayStep = m_bench.DelayStep();
    ok = ok && MeasureVolume(largest, record);
    m_bench.StopAll();
    record.finished = QDateTime::currentDateTime();
    record.completed = ok;
    record.failure = m_failure;
    if (ok) {
        Q_EMIT ProgressChanged(100);
        Q_EMIT StepChanged(record.Announcement());
    }
    m_running = false;
    return record;
}
