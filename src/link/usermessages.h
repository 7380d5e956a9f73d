#pragma once

#include <QMetaObject>
#include <QObject>

#include <functional>
#include <tuple>
#include <utility>

// The program's window messages become calls on the receiving window.
// A sent message has run when the sender goes on.
template <class R, class M, class... A> void SendUserMessage(R *receiver, M handler, A &&...args)
{
    if (receiver)
        std::invoke(handler, receiver, std::forward<A>(args)...);
}

// A posted message runs later from the event loop, with the arguments as they
// were when it was posted; it is dropped if the receiver is destroyed meanwhile.
template <class R, class M, class... A> void PostUserMessage(R *receiver, M handler, A &&...args)
{
    if (!receiver)
        return;
    QMetaObject::invokeMethod(
        receiver,
        [receiver, handler, saved = std::make_tuple(std::forward<A>(args)...)]() mutable {
            std::apply([&](auto &...a) { std::invoke(handler, receiver, a...); }, saved);
        },
        Qt::QueuedConnection);
}
