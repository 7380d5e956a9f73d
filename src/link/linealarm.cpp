#include "link/linealarm.h"

#include <QSocketNotifier>
#include <QTimer>

#include <chrono>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>
#endif

LineAlarm::LineAlarm(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_LINUX
    m_fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            quint64 expirations = 0;
            [[maybe_unused]] const ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
            Fire();
        });
        return;
    }
#endif
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &LineAlarm::Fire);
}

LineAlarm::~LineAlarm()
{
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        delete m_notifier;
        ::close(m_fd);
    }
#endif
}

// steady_clock is CLOCK_MONOTONIC on Linux, the timerfd's clock.
qint64 LineAlarm::NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void LineAlarm::StartAt(qint64 clockNs)
{
    m_active = true;
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        // A moment already past would disarm the timer: ring at once instead.
        const qint64 at = qMax(clockNs, NowNs() + 1);
        itimerspec ring = {};
        ring.it_value.tv_sec = time_t(at / 1'000'000'000);
        ring.it_value.tv_nsec = long(at % 1'000'000'000);
        timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &ring, nullptr);
        return;
    }
#endif
    const qint64 left = clockNs - NowNs();
    m_timer->start(int(qMax<qint64>(0, (left + 999'999) / 1'000'000)));
}

void LineAlarm::Stop()
{
    m_active = false;
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        const itimerspec off = {};
        timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &off, nullptr);
        return;
    }
#endif
    m_timer->stop();
}

void LineAlarm::Fire()
{
    if (!m_active)
        return;
    m_active = false;
    emit Rang();
}
