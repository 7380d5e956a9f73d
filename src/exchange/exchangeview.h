#pragma once

#include <QTableView>

// The list of the exchange monitor: a table view that tells how long it takes to
// draw, so that a busy link is not slowed down by redrawing it too often.
//
// Qt's accessibility layer keeps an object for every cell a screen reader has read
// and walks them all at every row inserted or removed, so a reader going over a
// filling list makes each batch cost more than the last. The view lets those objects
// go after each batch; the reader asks again for what it reads next. While the list
// has the keyboard focus (the operator is reading it) they are kept longer.
class ExchangeView : public QTableView
{
    Q_OBJECT
public:
    using QTableView::QTableView;

    void setModel(QAbstractItemModel *model) override;

    // Rows entered or dropped with the list focused before its cells are let go.
    static constexpr int kFocusedRows = 1000;

Q_SIGNALS:
    void Painted(qint64 nsecs);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void RowsChanged(int first, int last);

    int m_changedRows = 0;
};
