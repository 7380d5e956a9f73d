#include "session/resultowners.h"

#include <QtDebug>

bool ResultOwners::Subscribe(int qid, QObject *owner, ResultHandler handler)
{
    if (!owner || !handler)
        return false;
    if (QObject *holder = Owner(qid); holder && holder != owner) {
        qWarning("QID %d already has an owner (%s); %s is refused", qid, holder->metaObject()->className(),
                 owner->metaObject()->className());
        return false;
    }
    m_entries.insert(qid, Entry{owner, std::move(handler)});
    return true;
}

void ResultOwners::Unsubscribe(int qid, const QObject *owner)
{
    const auto it = m_entries.constFind(qid);
    if (it != m_entries.constEnd() && it->owner == owner)
        m_entries.remove(qid);
}

QObject *ResultOwners::Owner(int qid) const
{
    const auto it = m_entries.constFind(qid);
    return it == m_entries.constEnd() ? nullptr : it->owner.data();
}

bool ResultOwners::Deliver(int qid, int mbAddr, const QVariant &value, int result)
{
    const auto it = m_entries.constFind(qid);
    if (it == m_entries.constEnd())
        return false;
    if (!it->owner) {
        m_entries.remove(qid);
        return false;
    }
    // A copy: the handler may wait, and results delivered meanwhile may
    // change the table.
    const ResultHandler handler = it->handler;
    handler(mbAddr, value, result);
    return true;
}
