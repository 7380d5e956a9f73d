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

void ExchangeFilter::SetErrorsOnly(bool on)
{
    if (on == m_errorsOnly)
        return;
    m_errorsOnly = on;
    invalidateFilter();
}

void ExchangeFilter::SetFunction(int function)
{
    if (function == m_function)
        return;
    m_function = function;
    invalidateFilter();
}

void ExchangeFilter::SetQid(const QString &qid)
{
    bool ok = false;
    const int value = qid.trimmed().toInt(&ok);
    if (ok == !m_anyQid && (!ok || value == m_qid))
        return;
    m_anyQid = !ok;
    m_qid = ok ? value : 0;
    invalidateFilter();
}

void ExchangeFilter::SetHexText(const QString &text)
{
    QString digits = text.toUpper();
    digits.remove(QLatin1Char(' '));
    // Whole bytes are sought as they are shown: two digits and a space.
    QString hex = digits;
    if (digits.size() % 2 == 0) {
        hex.clear();
        for (qsizetype i = 0; i < digits.size(); i += 2)
            hex += (i ? QStringLiteral(" ") : QString()) + digits.mid(i, 2);
    }
    if (hex == m_hex)
        return;
    m_hex = hex;
    invalidateFilter();
}

bool ExchangeFilter::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (m_link.isEmpty() && m_address < 0 && !m_errorsOnly && m_function < 0 && m_anyQid && m_hex.isEmpty())
        return true;
    const ExchangeRecord &r = m_log.At(sourceRow);
    if (m_errorsOnly && r.result == 0 && r.note.isEmpty())
        return false;
    return (m_link.isEmpty() || r.link == m_link) && (m_address < 0 || r.device == m_address) &&
           (m_function < 0 || r.function == m_function) && (m_anyQid || r.qid == m_qid) &&
           (m_hex.isEmpty() || r.RequestHex().contains(m_hex) || r.ReplyHex().contains(m_hex));
}
