#include "link/activityindicator.h"

ActivityIndicator::ActivityIndicator(QWidget *parent) : QLabel(parent)
{
    setText(Symbol(0));
}

QString ActivityIndicator::Symbol(int phase)
{
    switch (phase) {
    case 1:
        return QStringLiteral("/");
    case 2:
        return QStringLiteral("--");
    case 3:
        return QStringLiteral("\\");
    default:
        return QStringLiteral("|");
    }
}

void ActivityIndicator::Advance()
{
    // A tag set from outside the 0..3 range starts over rather than showing nothing.
    const int next = (m_tag >= 0 && m_tag < 3) ? m_tag + 1 : 0;
    setText(Symbol(next));
    m_tag = next;
}
