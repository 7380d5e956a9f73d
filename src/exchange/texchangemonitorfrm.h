#pragma once

#include "exchange/exchangelog.h"

#include <QModelIndex>
#include <QWidget>

#include <memory>

class ExchangeFilter;
namespace Ui
{
class TExchangeMonitorFrm;
}

// "Монитор обмена": the transactions of both links as they happen, with counters,
// a filter, pause, clear, CSV and the clipboard. One instance; closing hides it.
class TExchangeMonitorFrm : public QWidget
{
    Q_OBJECT
public:
    explicit TExchangeMonitorFrm(ExchangeLog &log, QWidget *parent = nullptr);
    ~TExchangeMonitorFrm() override;

    ExchangeFilter &Shown() const { return *m_filter; }
    // The shown list with its header; false after telling the operator why not.
    bool SaveCsv(const QString &fileName);
    // Starts the continuous file log; false after telling the operator why not.
    bool StartFileLog(const QString &fileName);
    // The selected rows, tab-separated, one a line, as they go to the clipboard.
    QString SelectedText() const;

public Q_SLOTS:
    void BtnPauseClick(bool paused);
    void BtnClearClick();
    void BtnCopyClick();
    void BtnSaveClick();
    void BtnFileLogClick(bool on);

protected:
    void hideEvent(QHideEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void ApplyFilter();
    // Shows the newest row unless the operator has scrolled away from it.
    void FollowNewest();
    void ShowCounters();
    void LayCounterRows(const QList<ExchangeLog::CounterRow> &rows);
    void ShowCount();
    void ShowDecode(const QModelIndex &current);
    void ReadPlace();
    void WritePlace() const;

    std::unique_ptr<Ui::TExchangeMonitorFrm> ui;
    ExchangeLog &m_log;
    ExchangeFilter *m_filter = nullptr;
    bool m_follow = true; // the view keeps to the newest row
    double m_paintMs = 0; // what drawing the list takes, recent peaks weighing most
};
