#pragma once

#include <QTableView>

// The list of the exchange monitor: a table view that tells how long it takes to
// draw, so that a busy link is not slowed down by redrawing it too often.
class ExchangeView : public QTableView
{
    Q_OBJECT
public:
    using QTableView::QTableView;

Q_SIGNALS:
    void Painted(qint64 nsecs);

protected:
    void paintEvent(QPaintEvent *event) override;
};
