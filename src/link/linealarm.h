#pragma once

#include <QObject>

class QSocketNotifier;
class QTimer;

// One alarm at a moment of the steady clock (ns), for the silences of a serial line:
// Qt's timers count whole milliseconds, a tenth of a frame at 9600 baud. On Linux a
// timerfd wakes the event loop within microseconds; elsewhere a precise QTimer
// rounds up to the next millisecond.
class LineAlarm : public QObject
{
    Q_OBJECT
public:
    explicit LineAlarm(QObject *parent = nullptr);
    ~LineAlarm() override;

    void StartAt(qint64 clockNs); // replaces any earlier moment
    void Stop();
    bool Active() const { return m_active; }
    static qint64 NowNs();

signals:
    void Rang();

private:
    void Fire();

    bool m_active = false;
#ifdef Q_OS_LINUX
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
#endif
    QTimer *m_timer = nullptr;
};
