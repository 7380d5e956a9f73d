#include "session/benchsession.h"

#include "link/imbcommaster.h"
#include "session/benchqids.h"

BenchSession::BenchSession(IMBComMaster *bench, IMBComMaster *flowmeter, QObject *parent)
    : QObject(parent), m_bench(bench), m_flowmeter(flowmeter), m_router(m_box, m_values)
{
    m_bench->setParent(this);
    m_flowmeter->setParent(this);
    m_bench->setObjectName(QStringLiteral("MBCM"));
    m_flowmeter->setObjectName(QStringLiteral("MBCM1"));
    m_box.BindTo(m_bench);
    connect(m_bench, &IMBComMaster::OnChangeConnected, this, [this](bool up) {
        m_benchUp = up;
        Q_EMIT BenchLinkChanged(up);
    });
    connect(m_flowmeter, &IMBComMaster::OnChangeConnected, this, [this](bool up) {
        m_flowUp = up;
        Q_EMIT FlowmeterLinkChanged(up);
    });
    connect(m_bench, &IMBComMaster::OnExchange, this, &BenchSession::BenchExchange);
    connect(m_flowmeter, &IMBComMaster::OnExchange, this, &BenchSession::FlowmeterExchange);
}

BenchSession::~BenchSession()
{
    // No result may reach an owner while the session is being torn down.
    disconnect(m_bench, nullptr, this, nullptr);
    disconnect(m_flowmeter, nullptr, this, nullptr);
}

ModuleLink BenchSession::BenchModule(const TPQTM &module) const
{
    const TPQTM *known[] = {&m_imr, &m_usi, &m_ipt};
    const QString names[] = {QStringLiteral("ИМР"), QStringLiteral("УСИ"), QStringLiteral("ИПТ")};
    for (int i = 0; i < 3; ++i)
        if (known[i] == &module)
            return ModuleLink(m_bench, known[i], names[i]);
    return ModuleLink(m_bench, &module, module.Name);
}

void BenchSession::SetIptChannel(int k)
{
    if (k < -1 || k > 3 || k == m_iptChannel)
        return;
    m_iptChannel = k;
    Q_EMIT IptChannelChanged(k);
}

void BenchSession::FreeAllBenchTasks()
{
    m_bench->FreeAllTasks();
}

void BenchSession::FreeAllFlowmeterTasks()
{
    m_flowmeter->FreeAllTasks();
}

bool BenchSession::Subscribe(int qid, QObject *owner, ResultHandler handler)
{
    return m_benchOwners.Subscribe(qid, owner, std::move(handler));
}

bool BenchSession::SubscribeFlowmeter(int qid, QObject *owner, ResultHandler handler)
{
    return m_flowOwners.Subscribe(qid, owner, std::move(handler));
}

void BenchSession::BenchExchange(int qid, int mbAddr, int funNumber, const QVariant &value, int result)
{
    Q_UNUSED(funNumber);
    // Store may turn an undecodable success into a failure code.
    if (qid == BenchQid::WriteUsiCmd || !m_router.Store(qid, value, result))
        return;
    m_benchOwners.Deliver(qid, mbAddr, value, result);
}

void BenchSession::FlowmeterExchange(int qid, int mbAddr, int funNumber, const QVariant &value, int result)
{
    Q_UNUSED(funNumber);
    m_flowOwners.Deliver(qid, mbAddr, value, result);
}
