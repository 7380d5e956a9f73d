#pragma once

#include <QList>
#include <QPointer>

class QEventLoop;

// A result mailbox: -1 while a routine waits, else the last result code of its
// task. Writing it wakes the waits sleeping on it, so waiting costs no CPU.
class Mailbox
{
public:
    Mailbox() = default;
    explicit Mailbox(int v) : m_value(v) {}
    Mailbox(const Mailbox &) = delete;
    Mailbox &operator=(const Mailbox &) = delete;

    Mailbox &operator=(int v);
    operator int() const { return m_value; }
    int value() const { return m_value; }

private:
    friend int WaitResult(Mailbox &, int);
    int m_value = 0;
    QList<QEventLoop *> m_waiters;
};

// Default safety deadline of a wait, ms: a task that was freed or never answered
// must not keep the operator waiting forever.
constexpr int kWaitDeadlineMs = 30000;

// Sets the mailbox to -1 and runs the event loop until a result is stored; returns
// it. Nested waits return innermost first. After deadlineMs without a result the
// mailbox gets 1 ("Прибор не отвечает") and that is returned; so it does at once
// when there is no application object to run an event loop.
int WaitResult(Mailbox &mailbox, int deadlineMs = kWaitDeadlineMs);
