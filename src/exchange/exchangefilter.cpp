#include "exchange/exchangefilter.h"

#include "exchange/exchangelog.h"

ExchangeFilter::ExchangeFilter(ExchangeLog &log, QObject *parent) : QSortFilterProxyModel(parent), m_log(log)
{
    setSourceModel(&log);
}

void ExchangeFilter::SetLink(const QString &link)
{
    if (link == m_link)
        return;
    m_link = link;
    invalidateFilter();
}

void ExchangeFilter::SetAddress(int address)
{
    if (address == m_address)
        return;
    m_address = address;
    invalidateFilter();
}

bool ExchangeFilter::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (m_link.isEmpty() && m_address < 0)
        return true;
    const ExchangeRecord &r = m_log.At(sourceRow);
    return (m_link.isEmpty() || r.link == m_link) && (m_address < 0 || r.device == m_address);
}
