#pragma once

#include "link/imbcommaster.h"
#include "session/benchrouter.h"
#include "session/benchtypes.h"
#include "session/benchvalues.h"
#include "session/calcinputs.h"
#include "session/modulelink.h"
#include "session/resultowners.h"

#include <QObject>

// The bench as the features see it: both links and their state, the modules
// found on them, the requests (each to a named module) and the delivery of
// every result to the one owner of its QID.
class BenchSession : public QObject
{
    Q_OBJECT
public:
    // Takes both clients as its children.
    BenchSession(IMBComMaster *bench, IMBComMaster *flowmeter, QObject *parent = nullptr);
    ~BenchSession() override;

    // The clients themselves, for the link settings and the exchange records.
    IMBComMaster *BenchClient() const { return m_bench; }
    IMBComMaster *FlowmeterClient() const { return m_flowmeter; }

    // Link state, as the connection events have told it.
    bool BenchConnected() const { return m_benchUp; }
    bool FlowmeterConnected() const { return m_flowUp; }

    // The module registry.
    TPQTM &ImrDev() { return m_imr; }
    TPQTM &UsiDev() { return m_usi; }
    TPQTM &IptDev() { return m_ipt; }
    TPQTM &PriborDev() { return m_pribor; }

    // Where requests go.
    ModuleLink Imr() const { return ModuleLink(m_bench, &m_imr, QStringLiteral("ИМР")); }
    ModuleLink Usi() const { return ModuleLink(m_bench, &m_usi, QStringLiteral("УСИ")); }
    ModuleLink Ipt() const { return ModuleLink(m_bench, &m_ipt, QStringLiteral("ИПТ")); }
    // A module of the registry by its descriptor (the properties window's module).
    ModuleLink BenchModule(const TPQTM &module) const;
    ModuleLink BenchAt(int address) const { return ModuleLink::At(m_bench, address); }
    ModuleLink BenchBroadcast() const { return ModuleLink::Broadcast(m_bench); }
    ModuleLink Flowmeter() const
    {
        return ModuleLink::Sole(m_flowmeter, &m_pribor, QStringLiteral("расходомер"));
    }
    void FreeAllBenchTasks();
    void FreeAllFlowmeterTasks();

    // Result mailboxes and decoded values of the bench tasks.
    BenchMailboxes &Box() { return m_box; }
    BenchValues &Values() { return m_values; }

    // The flowmeter under test: the behaviour class of its model (-1 = none
    // selected) and its register layout.
    int PribType() const { return m_pribType; }
    void SetPribType(int type) { m_pribType = type; }
    TPribor &Pribor() { return m_priborLayout; }
    // The operator works with a bench of the old design.
    bool OldBench() const { return m_oldBench; }
    void SetOldBench(bool old) { m_oldBench = old; }

    // The error calculator's inputs.
    CalcInputs &Calc() { return m_calc; }

    // The current meter channel (0..3, -1 none) whose current goes to the
    // calculator and to the current output calibration; chosen on the current
    // meter group or in a calibration window, each showing the other's choice.
    int IptChannel() const { return m_iptChannel; }
    void SetIptChannel(int k);

    // The one owner of a QID's results on each link; its lifetime is the
    // subscription's. A bench result's mailbox is stored before its owner runs.
    bool Subscribe(int qid, QObject *owner, ResultHandler handler);
    bool SubscribeFlowmeter(int qid, QObject *owner, ResultHandler handler);

Q_SIGNALS:
    void BenchLinkChanged(bool up);
    void FlowmeterLinkChanged(bool up);
    void IptChannelChanged(int k);

private:
    void BenchExchange(int qid, int mbAddr, int funNumber, const QVariant &value, int result);
    void FlowmeterExchange(int qid, int mbAddr, int funNumber, const QVariant &value, int result);

    IMBComMaster *m_bench;
    IMBComMaster *m_flowmeter;
    bool m_benchUp = false;
    bool m_flowUp = false;
    TPQTM m_imr, m_usi, m_ipt, m_pribor;
    BenchMailboxes m_box;
    BenchValues m_values;
    BenchRouter m_router;
    ResultOwners m_benchOwners;
    ResultOwners m_flowOwners;
    int m_pribType = -1;
    TPribor m_priborLayout;
    bool m_oldBench = false;
    CalcInputs m_calc;
    int m_iptChannel = 0;
};
