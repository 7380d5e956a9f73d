#pragma once

#include "link/imbcommaster.h"

// A client without a server: the link never opens and every task ends with
// "request cannot be sent" (3), so no wait is left hanging.
class NullMBComMaster : public IMBComMaster
{
    Q_OBJECT
public:
    using IMBComMaster::IMBComMaster;

    bool Connected() const override { return false; }
    void SetConnected(bool) override {}
    void ReadInputRegs(int qid, int, int, int, int) override { Fail(qid, 4); }
    void ReadHoldRegs(int qid, int, int, int, int) override { Fail(qid, 3); }
    void WriteHoldRegs(int qid, int, int, const QVariant &) override { Fail(qid, 16); }
    void WriteHoldBins(int qid, int, int, const QVariant &) override { Fail(qid, 15); }
    void ReadHoldBins(int qid, int, int, int) override { Fail(qid, 1); }
    void GetDeviceName(int qid) override { Fail(qid, 0x11); }
    void FreeTask(int) override {}
    void FreeAllTasks() override {}

private:
    void Fail(int qid, int fun);
};
