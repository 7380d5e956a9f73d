#pragma once

#include <QObject>
#include <QPointer>

class QSocketNotifier;
class QWidget;

// Turns SIGTERM and SIGINT (on Windows, the console's Ctrl+C, Ctrl+Break, close,
// logoff and shutdown events) into a normal close of the main window, so its
// settings are written and the program exits with 0.
class SignalCloser : public QObject
{
    Q_OBJECT
public:
    explicit SignalCloser(QWidget *mainWindow);
    ~SignalCloser() override;

    // Closes the window; runs from the event loop, never inside the signal handler.
    void OnSignal();

private:
    QPointer<QWidget> m_window;
    QSocketNotifier *m_notifier = nullptr;
};
