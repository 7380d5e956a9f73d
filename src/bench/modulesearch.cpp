#include "bench/modulesearch.h"

#include "bench/mprofrm.h"
#include "session/benchqids.h"

#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <QTableWidget>

#include <algorithm>

namespace
{
constexpr int kAddressColumn = 1;
constexpr int kLinkColumn = 2;
constexpr int kAddresses = ModuleSearch::kLastAddress - ModuleSearch::kFirstAddress + 1;
const QString kNotAsked = QStringLiteral("Не проверено");
} // namespace

// Ordered as the modules not found are marked at the end of a search.
const ModuleSearch::Module ModuleSearch::kModules[3] = {
    {"ЦТМ-ИМР", "ТЕВОР ЦТМ ИМР 31.02.04.00", &BenchSession::ImrDev, 1},
    {"ЦТМ-ИПТ", "ТЕВОР ЦТМ ИПТ 31.04.03.01", &BenchSession::IptDev, 3},
    {"ЦТМ-УСИ", "ТЕВОР ЦТМ УСИ 31.03.04.00", &BenchSession::UsiDev, 2},
};

ModuleSearch::ModuleSearch(BenchSession &session, const Controls &controls, TMProFrm *mpro, QObject *parent)
    : QObject(parent), m_session(session), m_ui(controls), m_mpro(mpro)
{
    m_session.Subscribe(BenchQid::DeviceName, this,
                        [this](int mbAddr, const QVariant &value, int result) {
                            IdentificationAnswer(mbAddr, value, result);
                        });
}

void ModuleSearch::BitBtn5Click()
{
    if (m_ui.BitBtn5)
        m_ui.BitBtn5->setEnabled(false);
    // Answers still due from an earlier search must not count for this one.
    m_session.BenchAt(kFirstAddress).FreeTask(BenchQid::DeviceName);
    m_awaiting.clear();
    m_searchPending = kAddresses;
    for (int i = 0; i < 3; ++i) {
        const Module &m = kModules[i];
        m_before[i] = Device(m).Adr;
        Device(m).Adr = 0;
        SetCell(m.row, kLinkColumn, QString());
    }
    for (int adr = kFirstAddress; adr <= kLastAddress; ++adr) {
        m_awaiting.insert(adr);
        (void)m_session.BenchAt(adr).GetDeviceName(BenchQid::DeviceName);
    }
    if (m_ui.BtnSearchStop)
        m_ui.BtnSearchStop->show();
    ShowCourse();
}

void ModuleSearch::BtnSearchStopClick()
{
    if (!Running())
        return;
    m_session.BenchAt(kFirstAddress).FreeTask(BenchQid::DeviceName);
    for (int i = 0; i < 3; ++i) {
        const Module &m = kModules[i];
        TPQTM &dev = Device(m);
        if (dev.Adr == 0 && m_before[i] != 0 && m_awaiting.contains(m_before[i])) {
            dev.Adr = m_before[i];
            SetCell(m.row, kLinkColumn, kNotAsked);
        }
    }
    const int stoppedAt = *std::min_element(m_awaiting.cbegin(), m_awaiting.cend());
    const int asked = kAddresses - m_searchPending;
    m_awaiting.clear();
    m_searchPending = 0;
    Finish();
    // Where it stopped, not a whole search.
    if (m_ui.PbSearch)
        m_ui.PbSearch->setValue(asked);
    if (m_ui.LblSearch)
        m_ui.LblSearch->setText(QStringLiteral("Поиск остановлен на адресе %1").arg(stoppedAt));
}

void ModuleSearch::ShowCourse()
{
    if (m_ui.PbSearch) {
        m_ui.PbSearch->show();
        m_ui.PbSearch->setRange(0, kAddresses);
        m_ui.PbSearch->setValue(kAddresses - m_searchPending);
    }
    if (!m_ui.LblSearch)
        return;
    if (Running()) {
        // The link asks in the order handed over: the lowest address still due is the one on the line.
        const int asked = *std::min_element(m_awaiting.cbegin(), m_awaiting.cend());
        m_ui.LblSearch->setText(QStringLiteral("Опрашивается адрес %1 из %2").arg(asked).arg(kLastAddress));
        return;
    }
    int found = 0;
    for (const Module &m : kModules)
        found += Device(m).Adr != 0 ? 1 : 0;
    m_ui.LblSearch->setText(QStringLiteral("Поиск завершен: найдено %1 из 3").arg(found));
}

void ModuleSearch::IdentificationAnswer(int mbAddr, const QVariant &value, int result)
{
    if (!m_awaiting.remove(mbAddr))
        return;
    --m_searchPending;
    if (result == 0) {
        QString text = value.toString();
        const qsizetype nul = text.indexOf(QChar(0));
        if (nul >= 0)
            text.truncate(nul);
        Identify(mbAddr, text);
    }
    if (m_searchPending > 0 && !m_awaiting.isEmpty()) {
        ShowCourse();
        return;
    }
    m_awaiting.clear();
    m_searchPending = 0;
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
    if (m_ui.BtnSearchStop)
        m_ui.BtnSearchStop->hide();
    ShowCourse();
    if (m_mpro)
        m_mpro->writeIni();
    // A link closed during the search fails its answers; searching again needs it open.
    if (m_ui.BitBtn5)
        m_ui.BitBtn5->setEnabled(m_session.BenchConnected());
}

void ModuleSearch::sgClick(int row)
{
    if (m_ui.BtnPropQTM)
        m_ui.BtnPropQTM->setEnabled(false);
    TPQTM *dev = nullptr;
    switch (row) {
    case 1:
        dev = &m_session.ImrDev();
        break;
    case 2:
        dev = &m_session.UsiDev();
        break;
    case 3:
        dev = &m_session.IptDev();
        break;
    default:
        return;
    }
    if (m_ui.BtnPropQTM)
        m_ui.BtnPropQTM->setEnabled(dev->Adr != 0 && m_session.BenchConnected());
    m_selected = dev;
}

QStringList ModuleSearch::LinkTexts()
{
    QStringList texts{QStringLiteral("Не обнаружено"), kNotAsked};
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
