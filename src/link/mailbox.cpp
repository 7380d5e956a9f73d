#include "link/mailbox.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <utility>

Mailbox &Mailbox::operator=(int v)
{
    m_value = v;
    if (v >= 0) {
        // Quitting an outer loop while an inner one runs is safe: the outer
        // exec() returns as soon as control is back in it, so waits unwind
        // innermost first.
        for (QEventLoop *loop : std::as_const(m_waiters))
            loop->quit();
    }
    return *this;
}

int WaitResult(Mailbox &mailbox, int deadlineMs)
{
    mailbox = -1;
    if (!QCoreApplication::instance()) {
        // Without an event loop nothing can ever deliver the result.
        mailbox = 1;
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

    if (mailbox.m_value < 0)
        mailbox = 1;
    return mailbox;
}
