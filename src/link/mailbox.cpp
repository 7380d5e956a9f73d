#include "link/mailbox.h"

#include "link/imbcommaster.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <climits>
#include <utility>

void Mailbox::Bind(const IMBComMaster *link)
{
    m_link = link;
    m_staleUpTo = 0;
}

const IMBComMaster *Mailbox::Link() const
{
    return static_cast<const IMBComMaster *>(m_link.data());
}

Mailbox &Mailbox::operator=(int v)
{
    if (v >= 0 && m_link) {
        const quint64 tag = Link()->ExchangeTag();
        if (tag != 0 && tag <= m_staleUpTo)
            return *this; // the late result of an execution whose wait gave up
    }
    Store(v);
    return *this;
}

void Mailbox::Store(int v)
{
    m_value = v;
    if (v >= 0) {
        // Quitting an outer loop while an inner one runs is safe: the outer
        // exec() returns as soon as control is back in it, so waits unwind
        // innermost first.
        for (QEventLoop *loop : std::as_const(m_waiters))
            loop->quit();
    }
}

int WaitResult(Mailbox &mailbox)
{
    const IMBComMaster *link = mailbox.Link();
    if (!link)
        return WaitResult(mailbox, kWaitDeadlineMs);
    return WaitResult(mailbox, int(qMin<qint64>(qint64(link->CompletionBoundMs()) + kWaitMarginMs, INT_MAX)));
}

int WaitResult(Mailbox &mailbox, int deadlineMs)
{
    mailbox = -1;
    if (!QCoreApplication::instance()) {
        // Without an event loop nothing can ever deliver the result.
        mailbox.Store(1);
        return mailbox;
    }

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    // Coarse timers may fire up to 5 % early; a deadline is a promise to the operator.
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(qMax(0, deadlineMs));

    mailbox.m_waiters.append(&loop);
    while (mailbox.m_value < 0 && deadline.isActive()) {
        // A non-zero exit means the application is shutting down.
        if (loop.exec() != 0)
            break;
    }
    mailbox.m_waiters.removeOne(&loop);

    if (mailbox.m_value < 0) {
        // Whatever is still pending on the link belongs to this abandoned wait.
        if (const IMBComMaster *link = mailbox.Link())
            mailbox.m_staleUpTo = qMax(mailbox.m_staleUpTo, link->LastExecutionTag());
        mailbox.Store(1);
    }
    return mailbox;
}

void PauseResponsive(int ms)
{
    if (!QCoreApplication::instance() || ms <= 0)
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ms);
    while (timer.isActive()) {
        // A non-zero exit means the application is shutting down.
        if (loop.exec() != 0)
            break;
    }
}
