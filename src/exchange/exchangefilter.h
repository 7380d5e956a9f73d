#pragma once

#include <QSortFilterProxyModel>

class ExchangeLog;

// The records of one link and/or one device address; all of them by default.
class ExchangeFilter : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit ExchangeFilter(ExchangeLog &log, QObject *parent = nullptr);

    void SetLink(const QString &link); // empty: every link
    void SetAddress(int address);      // -1: every address
    QString Link() const { return m_link; }
    int Address() const { return m_address; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    ExchangeLog &m_log;
    QString m_link;
    int m_address = -1;
};
