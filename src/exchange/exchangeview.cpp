#include "exchange/exchangeview.h"

#include <QAccessible>
#include <QElapsedTimer>

void ExchangeView::paintEvent(QPaintEvent *event)
{
    QElapsedTimer t;
    t.start();
    QTableView::paintEvent(event);
    emit Painted(t.nsecsElapsed());
}

void ExchangeView::setModel(QAbstractItemModel *model)
{
    if (QAbstractItemModel *old = this->model())
        disconnect(old, nullptr, this, nullptr);
    QTableView::setModel(model);
    if (!model)
        return;
    // Connected after the view's own handlers: the layer has moved its cells by then.
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { RowsChanged(first, last); });
    connect(model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) { RowsChanged(first, last); });
}

void ExchangeView::RowsChanged(int first, int last)
{
    if (!QAccessible::isActive())
        return;
    m_changedRows += last - first + 1;
    if (hasFocus() && m_changedRows < kFocusedRows)
        return;
    m_changedRows = 0;
    QAccessibleTableModelChangeEvent reset(this, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&reset);
}
