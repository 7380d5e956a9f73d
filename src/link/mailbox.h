#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class IMBComMaster;
class QEventLoop;

// A result mailbox: -1 while a routine waits, else the last result code of its
// task. Writing it wakes the waits sleeping on it, so waiting costs no CPU.
//
// Bound to the client that carries its tasks, a mailbox waits as long as that
// link may legitimately take, and once a wait has given up, results of the
// executions that were pending then are dropped: a late reply never completes a
// later wait on the same mailbox.
class Mailbox
{
public:
    Mailbox() = default;
    explicit Mailbox(int v) : m_value(v) {}
    explicit Mailbox(const IMBComMaster *link) { Bind(link); }
    Mailbox(const Mailbox &) = delete;
    Mailbox &operator=(const Mailbox &) = delete;

    Mailbox &operator=(int v);
    operator int() const { return m_value; }
    int value() const { return m_value; }

    void Bind(const IMBComMaster *link);
    const IMBComMaster *Link() const;

private:
    friend int WaitResult(Mailbox &, int);
    void Store(int v);
    int m_value = 0;
    QList<QEventLoop *> m_waiters;
    QPointer<const QObject> m_link; // the client, as long as it lives
    quint64 m_staleUpTo = 0; // executions up to this tag belong to a wait that gave up
};

// Safety deadline of a wait on a mailbox bound to no link, ms.
constexpr int kWaitDeadlineMs = 30000;
// What a bound wait allows beyond the link's own bound, so that the link reports
// a hung execution itself (code 1) before the wait gives up on it.
constexpr int kWaitMarginMs = 1000;

// Sets the mailbox to -1 and runs the event loop until a result is stored; returns
// it. Nested waits return innermost first. The deadline is what the mailbox's link
// needs for every task handed over so far (kWaitDeadlineMs when it has none); past
// it the mailbox gets 1 ("Прибор не отвечает") and that is returned; so it does at
// once when there is no application object to run an event loop.
int WaitResult(Mailbox &mailbox);
int WaitResult(Mailbox &mailbox, int deadlineMs);

// Runs the event loop for ms milliseconds: a pause the module needs, during which
// the windows keep painting (callers lock what must not be clicked meanwhile).
void PauseResponsive(int ms);
