#include "imr/clicklabel.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

ClickFilter::ClickFilter(QWidget *target, std::function<void()> action)
    : QObject(target), m_action(std::move(action))
{
    target->installEventFilter(this);
}

bool ClickFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        m_action();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
