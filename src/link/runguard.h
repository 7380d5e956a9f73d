#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

// Keeps a handler that waits from being entered again while it runs (the
// waits pump the event loop, so a second click would otherwise start the
// same sequence inside the first). Usage, with a bool member per sequence:
//
//     const RunGuard run(m_imitRunning, {ui->btnImit});
//     if (!run)
//         return; // the first run is still going
//
// The listed controls are disabled for the run, so the operator and assistive
// technology see that they cannot be used, and get back the enabled state they
// had at entry, or enabledAfter() when given. List only controls the sequence
// itself does not enable or disable.
class RunGuard
{
public:
    explicit RunGuard(bool &running, const QList<QWidget *> &controls = {},
                      std::function<bool()> enabledAfter = {});
    ~RunGuard();
    RunGuard(const RunGuard &) = delete;
    RunGuard &operator=(const RunGuard &) = delete;

    // False when the sequence was already running: the caller returns at once.
    explicit operator bool() const { return m_entered; }

private:
    bool &m_running;
    bool m_entered;
    QList<std::pair<QPointer<QWidget>, bool>> m_controls;
    std::function<bool()> m_enabledAfter;
};
