#pragma once

#include "session/benchvalues.h"

#include <QVariant>

// The storing half of the bench results: puts the result code of a bench task
// into its mailbox and decodes a successful read into the values. What the
// result means to a window is left to the QID's owner.
class BenchRouter
{
public:
    BenchRouter(BenchMailboxes &box, BenchValues &values) : m_box(box), m_values(values) {}

    // Returns false for a QID that is not a bench task (nothing changed). A success
    // whose value cannot be decoded becomes kShortReply in result.
    bool Store(int qid, const QVariant &value, int &result);

    // Code stored when a successful read carries fewer values than its task asked
    // for: a value the handler cannot decode is not a success.
    static constexpr int kShortReply = 16;

private:
    Mailbox *MailboxOf(int qid);
    bool Decode(int qid, const QVariant &value);

    BenchMailboxes &m_box;
    BenchValues &m_values;
};
