#include "shell/nullmbcommaster.h"

#include <QMetaObject>

void NullMBComMaster::Fail(int qid, int fun)
{
    const int addr = DeviceAddres();
    QMetaObject::invokeMethod(
        this, [this, qid, addr, fun] { Q_EMIT OnExchange(qid, addr, fun, QVariant(), 3); }, Qt::QueuedConnection);
}
