#pragma once

#include "support/fakembcommaster.h"

#include <QHash>
#include <QList>
#include <QVariant>

// A fake bench client that answers every ИМР task at once from a script; a
// session built on it routes the answers as it routes the real client's.
class ScriptedImr : public FakeMBComMaster
{
    Q_OBJECT
public:
    struct Reply {
        QVariant value;
        int result = 0;
    };

    ScriptedImr() { SetConnected(true); }

    // Replies to qid in order; after they run out, `steady[qid]` (or success).
    QHash<int, QList<Reply>> script;
    QHash<int, Reply> steady;
    // Requests with these qids get no reply: a module that stays silent.
    QList<int> silent;

    static QVariant Status(int state, int error, int last) { return QVariantList{state, error, last}; }
    void QueueStatus(const QList<QList<int>> &states)
    {
        for (const auto &s : states)
            script[300002] << Reply{Status(s.value(0), s.value(1), s.value(2)), 0};
    }

    void ReadInputRegs(int qid, int period, int a, int t, int n) override
    {
        FakeMBComMaster::ReadInputRegs(qid, period, a, t, n);
        Answer(qid);
    }
    void ReadHoldRegs(int qid, int period, int a, int t, int n) override
    {
        FakeMBComMaster::ReadHoldRegs(qid, period, a, t, n);
        Answer(qid);
    }
    void WriteHoldRegs(int qid, int period, int a, const QVariant &v) override
    {
        FakeMBComMaster::WriteHoldRegs(qid, period, a, v);
        Answer(qid);
    }
    void WriteHoldBins(int qid, int period, int a, const QVariant &v) override
    {
        FakeMBComMaster::WriteHoldBins(qid, period, a, v);
        Answer(qid);
    }
    void ReadHoldBins(int qid, int period, int a, int n) override
    {
        FakeMBComMaster::ReadHoldBins(qid, period, a, n);
        Answer(qid);
    }

    // Written commands, in order.
    QList<int> Commands() const
    {
        QList<int> out;
        for (const Task &t : TasksFor(400004))
            out << t.value.toInt();
        return out;
    }

private:
    void Answer(int qid)
    {
        if (silent.contains(qid))
            return;
        QList<Reply> &queue = script[qid];
        const Reply r = !queue.isEmpty() ? queue.takeFirst() : steady.value(qid, Reply{});
        Deliver(qid, r.value, r.result);
    }
};
