#include "shell/tmainfrm.h"
#include "ui_tmainfrm.h"

#include "exchange/exchangelog.h"
#include "exchange/texchangemonitorfrm.h"
#include "session/flowmeterqidnames.h"
#include "session/benchqidnames.h"

// The exchange monitor records from the start, so a window opened in the middle
// of a search still shows the search from its first request.
void TMainFrm::WireMonitor()
{
    auto *log = new ExchangeLog(this);
    log->setObjectName(QStringLiteral("ExchangeLog"));
    log->Attach(m_session->BenchClient(), QStringLiteral("ЦТМ"));
    log->Attach(m_session->FlowmeterClient(), QStringLiteral("Прибор"));
    log->SetQidNames(QStringLiteral("ЦТМ"), BenchQidName);
    log->SetQidNames(QStringLiteral("Прибор"), FlowQidName);
    connect(ui->NExchangeMonitor, &QAction::triggered, this, [this, log] {
        if (!Windows.ExchangeMonitorFrm)
            Windows.ExchangeMonitorFrm = new TExchangeMonitorFrm(*log, this);
        QWidget *w = Windows.ExchangeMonitorFrm;
        w->show();
        w->raise();
        w->activateWindow();
    });
}
