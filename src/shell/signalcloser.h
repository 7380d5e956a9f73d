#pragma once

#include <QObject>
#include <QPointer>

class QSocketNotifier;
class QWidget;

// Turns SIGTERM and SIGINT into a normal close of the main window, so its
// settings are written and the program exits with 0.
class SignalCloser : public QObject
{
    Q_OBJECT
public:
    explicit SignalCloser(QWidget *mainWindow);
    ~SignalCloser() override;

private:
    void OnSignal();

    QPointer<QWidget> m_window;
    QSocketNotifier *m_notifier = nullptr;
};
