#include "exchange/exchangeview.h"

#include <QElapsedTimer>

void ExchangeView::paintEvent(QPaintEvent *event)
{
    QElapsedTimer took;
    took.start();
    QTableView::paintEvent(event);
    emit Painted(took.nsecsElapsed());
}
