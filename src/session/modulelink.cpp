#include "session/modulelink.h"

#include "link/imbcommaster.h"
#include "link/messages.h"

ModuleLink::ModuleLink(IMBComMaster *client, const TPQTM *module, const QString &name)
    : m_client(client), m_module(module), m_name(name)
{
}

ModuleLink ModuleLink::At(IMBComMaster *client, int address)
{
    ModuleLink l;
    l.m_client = client;
    l.m_address = address;
    l.m_name = QStringLiteral("с адресом %1").arg(address);
    return l;
}

ModuleLink ModuleLink::Broadcast(IMBComMaster *client)
{
    ModuleLink l;
    l.m_client = client;
    l.m_broadcastAllowed = true;
    l.m_name = QStringLiteral("(широковещательная запись)");
    return l;
}

ModuleLink ModuleLink::Sole(IMBComMaster *client, const TPQTM *device, const QString &name)
{
    ModuleLink l(client, device, name);
    l.m_broadcastAllowed = true;
    return l;
}

ModuleLink ModuleLink::Quiet() const
{
    ModuleLink l = *this;
    l.m_quiet = true;
    return l;
}

int ModuleLink::Address() const
{
    return m_module ? m_module->Adr : m_address;
}

QString ModuleLink::NotFoundText() const
{
    return QStringLiteral("Модуль %1 не найден: запрос не отправлен.").arg(m_name);
}

bool ModuleLink::Select() const
{
    if (!m_client)
        return false;
    if (!Found()) {
        if (!m_quiet)
            Messages::Show(NotFoundText());
        return false;
    }
    m_client->SetDeviceAddres(Address());
    return true;
}

bool ModuleLink::ReadInputRegs(int qid, int period, int regAddres, int dataType, int dataCount) const
{
    if (!Select())
        return false;
    m_client->ReadInputRegs(qid, period, regAddres, dataType, dataCount);
    return true;
}

bool ModuleLink::ReadHoldRegs(int qid, int period, int regAddres, int dataType, int dataCount) const
{
    if (!Select())
        return false;
    m_client->ReadHoldRegs(qid, period, regAddres, dataType, dataCount);
    return true;
}

bool ModuleLink::WriteHoldRegs(int qid, int period, int regAddres, const QVariant &value) const
{
    if (!Select())
        return false;
    m_client->WriteHoldRegs(qid, period, regAddres, value);
    return true;
}

bool ModuleLink::WriteHoldBins(int qid, int period, int binAddres, const QVariant &value) const
{
    if (!Select())
        return false;
    m_client->WriteHoldBins(qid, period, binAddres, value);
    return true;
}

bool ModuleLink::ReadHoldBins(int qid, int period, int binAddres, int dataCount) const
{
    if (!Select())
        return false;
    m_client->ReadHoldBins(qid, period, binAddres, dataCount);
    return true;
}

bool ModuleLink::GetDeviceName(int qid) const
{
    if (!Select())
        return false;
    m_client->GetDeviceName(qid);
    return true;
}

void ModuleLink::FreeTask(int qid) const
{
    if (m_client)
        m_client->FreeTask(qid);
}
