#pragma once

#include "link/benchshared.h"

#include <QVariant>

// The storing half of the bench exchange handler: puts the result code of a
// bench task into its mailbox and decodes a successful read into the shared
// values. Effects on controls are left to the caller.
class BenchRouter
{
public:
    explicit BenchRouter(BenchShared &shared) : m_shared(shared) {}

    // Returns false for a QID that is not a bench task (nothing changed). A success
    // whose value cannot be decoded becomes kShortReply in result.
    bool Store(int qid, const QVariant &value, int &result);

    // Code stored when a successful read carries fewer values than its task asked
    // for: a value the handler cannot decode is not a success.
    static constexpr int kShortReply = 16;

private:
    Mailbox *MailboxOf(int qid);
    bool Decode(int qid, const QVariant &value);

    BenchShared &m_shared;
};

// Element i of a result value: the list element, or the value itself for i 0.
QVariant ValueAt(const QVariant &value, int i);
// Number of values a result holds.
int ValueCount(const QVariant &value);
