#pragma once

#include "session/benchtypes.h"

#include <QString>
#include <QVariant>

class IMBComMaster;

// One module on its link: the only way a request is handed over. Each call
// selects the module's address and hands the task over in one step, so nothing
// that runs while a sequence waits can re-point its next request. A module that
// was not found (address 0) gets nothing: the operator is told and the call
// returns false; broadcasts go only through a link made for them.
class ModuleLink
{
public:
    // A module of the registry; its address is read at every hand-over, so a
    // module re-addressed meanwhile is still the one asked.
    ModuleLink(IMBComMaster *client, const TPQTM *module, const QString &name);
    // A fixed address on the link (the search's candidates); 0 is refused.
    static ModuleLink At(IMBComMaster *client, int address);
    // Address 0 on purpose: every module of the line takes the write.
    static ModuleLink Broadcast(IMBComMaster *client);
    // The flowmeter under test: the only device on its link, whatever its address.
    static ModuleLink Sole(IMBComMaster *client, const TPQTM *device, const QString &name);

    int Address() const;
    bool Found() const { return m_broadcastAllowed || Address() != 0; }
    QString Name() const { return m_name; }
    IMBComMaster *Client() const { return m_client; }
    // The text told when the module is not found.
    QString NotFoundText() const;

    [[nodiscard]] bool ReadInputRegs(int qid, int period, int regAddres, int dataType, int dataCount) const;
    [[nodiscard]] bool ReadHoldRegs(int qid, int period, int regAddres, int dataType, int dataCount) const;
    [[nodiscard]] bool WriteHoldRegs(int qid, int period, int regAddres, const QVariant &value) const;
    [[nodiscard]] bool WriteHoldBins(int qid, int period, int binAddres, const QVariant &value) const;
    [[nodiscard]] bool ReadHoldBins(int qid, int period, int binAddres, int dataCount) const;
    [[nodiscard]] bool GetDeviceName(int qid) const;
    // Tasks are freed on the link by QID, whichever module they went to.
    void FreeTask(int qid) const;

    // Without a word to the operator: a caller that tells the failure its own way.
    ModuleLink Quiet() const;

private:
    ModuleLink() = default;
    bool Select() const;

    IMBComMaster *m_client = nullptr;
    const TPQTM *m_module = nullptr;
    int m_address = 0;
    QString m_name;
    bool m_broadcastAllowed = false;
    bool m_quiet = false;
};
