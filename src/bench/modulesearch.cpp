#include "bench/modulesearch.h"

#include "bench/mprofrm.h"
#include "link/benchqids.h"
#include "link/imbcommaster.h"

#include <QAbstractButton>
#include <QTableWidget>

namespace
{
constexpr int kAddressColumn = 1;
constexpr int kLinkColumn = 2;
} // namespace

// Ordered as the modules not found are marked at the end of a search.
const ModuleSearch::Module ModuleSearch::kModules[3] = {
    {"ЦТМ-ИМР", "ТЕВОР ЦТМ ИМР 31.02.04.00", &BenchShared::ImrDev, 1},
    {"ЦТМ-ИПТ", "ТЕВОР ЦТМ ИПТ 31.04.03.01", &BenchShared::IptDev, 3},
    {"ЦТМ-УСИ", "ТЕВОР ЦТМ УСИ 31.03.04.00", &BenchShared::UsiDev, 2},
};

ModuleSearch::ModuleSearch(IMBComMaster &mbcm, BenchShared &shared, const Controls &controls, TMProFrm *mpro,
                           std::function<bool()> linkOpen)
    : m_mbcm(mbcm), m_shared(shared), m_ui(controls), m_mpro(mpro), m_linkOpen(std::move(linkOpen))
{
}

void ModuleSearch::BitBtn5Click()
{
    if (m_ui.BitBtn5)
        m_ui.BitBtn5->setEnabled(false);
    // Answers still due from an earlier search must not count for this one.
    m_mbcm.FreeTask(BenchQid::DeviceName);
    m_awaiting.clear();
    m_shared.SearchPending = kLastAddress - kFirstAddress + 1;
    for (const Module &m : kModules) {
        Device(m).Adr = 0;
        SetCell(m.row, kLinkColumn, QString());
    }
    for (int adr = kFirstAddress; adr <= kLastAddress; ++adr) {
        m_awaiting.insert(adr);
        m_mbcm.SetDeviceAddres(adr);
        m_mbcm.GetDeviceName(BenchQid::DeviceName);
    }
}

void ModuleSearch::IdentificationAnswer(int mbAddr, const QVariant &value, int result)
{
    if (!m_awaiting.remove(mbAddr))
        return;
    --m_shared.SearchPending;
    if (result == 0) {
        QString text = value.toString();
        const qsizetype nul = text.indexOf(QChar(0));
        if (nul >= 0)
            text.truncate(nul);
        Identify(mbAddr, text);
    }
    if (m_shared.SearchPending > 0 && !m_awaiting.isEmpty())
        return;
    m_awaiting.clear();
    m_shared.SearchPending = 0;
    Finish();
}

void ModuleSearch::Identify(int mbAddr, const QString &text)
{
    for (const Module &m : kModules) {
        if (!text.contains(QString::fromUtf8(m.marker)))
            continue;
        SetCell(m.row, kLinkColumn, QString::fromUtf8(m.designation));
        SetCell(m.row, kAddressColumn, QString::number(mbAddr));
        TPQTM &dev = Device(m);
        dev.Adr = quint8(mbAddr);
        dev.Name = text;
    }
}

void ModuleSearch::Finish()
{
    for (const Module &m : kModules) {
        if (Device(m).Adr == 0)
            SetCell(m.row, kLinkColumn, QStringLiteral("Не обнаружено"));
    }
    if (m_mpro)
        m_mpro->writeIni();
    // A link closed during the search fails its answers; searching again needs it open.
    if (m_ui.BitBtn5)
        m_ui.BitBtn5->setEnabled(!m_linkOpen || m_linkOpen());
}

void ModuleSearch::sgClick(int row)
{
    if (m_ui.BtnPropQTM)
        m_ui.BtnPropQTM->setEnabled(false);
    TPQTM *dev = nullptr;
    switch (row) {
    case 1:
        dev = &m_shared.ImrDev;
        break;
    case 2:
        dev = &m_shared.UsiDev;
        break;
    case 3:
        dev = &m_shared.IptDev;
        break;
    default:
        return;
    }
    if (m_ui.BtnPropQTM)
        m_ui.BtnPropQTM->setEnabled(dev->Adr != 0 && m_linkOpen && m_linkOpen());
    m_selected = dev;
}

QStringList ModuleSearch::LinkTexts()
{
    QStringList texts{QStringLiteral("Не обнаружено")};
    for (const Module &m : kModules)
        texts << QString::fromUtf8(m.designation);
    return texts;
}

void ModuleSearch::SetCell(int row, int column, const QString &text)
{
    if (!m_ui.sg)
        return;
    QTableWidgetItem *item = m_ui.sg->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        m_ui.sg->setItem(row, column, item);
    }
    item->setText(text);
}
