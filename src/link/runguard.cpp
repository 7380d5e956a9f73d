#include "link/runguard.h"

RunGuard::RunGuard(bool &running, const QList<QWidget *> &controls, std::function<bool()> enabledAfter)
    : m_running(running), m_entered(!running), m_enabledAfter(std::move(enabledAfter))
{
    if (!m_entered)
        return;
    m_running = true;
    for (QWidget *w : controls) {
        if (!w)
            continue;
        // Its own state, not one inherited from a disabled parent.
        m_controls.append({QPointer<QWidget>(w), !w->testAttribute(Qt::WA_ForceDisabled)});
        w->setEnabled(false);
    }
}

RunGuard::~RunGuard()
{
    if (!m_entered)
        return;
    m_running = false;
    const bool after = m_enabledAfter ? m_enabledAfter() : true;
    for (const auto &[w, wasEnabled] : m_controls)
        if (w)
            w->setEnabled(m_enabledAfter ? after : wasEnabled);
}
