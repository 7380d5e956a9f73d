#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Runs an action when a widget without a click signal (a label) is clicked.
class ClickFilter : public QObject
{
public:
    ClickFilter(QWidget *target, std::function<void()> action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_action;
};
