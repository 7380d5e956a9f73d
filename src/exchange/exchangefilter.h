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
    void SetErrorsOnly(bool on);
    void SetFunction(int function); // -1: every function
    void SetQid(const QString &qid); // empty: every QID
    // Bytes in hexadecimal ("01 03" or "0103") sought in the request and the reply.
    void SetHexText(const QString &text);
    QString Link() const { return m_link; }
    int Address() const { return m_address; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    ExchangeLog &m_log;
    QString m_link;
    int m_address = -1;
    bool m_errorsOnly = false;
    int m_function = -1;
    bool m_anyQid = true;
    int m_qid = 0;
    QString m_hex;
};
