#pragma once

#include <QHash>
#include <QPointer>
#include <QVariant>

#include <functional>

// What the owner of a QID does with each of its results: (mbAddr, value, result).
using ResultHandler = std::function<void(int mbAddr, const QVariant &value, int result)>;

// The one owner of each QID of a link. A subscription lives as long as its
// owner: a destroyed window receives nothing more.
class ResultOwners
{
public:
    // False, and nothing changed, while another live owner holds the QID.
    bool Subscribe(int qid, QObject *owner, ResultHandler handler);
    // Ends the subscription if that owner holds it.
    void Unsubscribe(int qid, const QObject *owner);
    // Runs the owner's handler; false when the QID has no live owner.
    bool Deliver(int qid, int mbAddr, const QVariant &value, int result);
    // The live owner of the QID, or nullptr.
    QObject *Owner(int qid) const;

private:
    struct Entry
    {
        QPointer<QObject> owner;
        ResultHandler handler;
    };
    QHash<int, Entry> m_entries;
};
