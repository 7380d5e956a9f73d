#include "link/windowplacement.h"

QPoint PlaceWindow(QPoint stored, QSize window, const QRect &screen)
{
    const bool off = stored.x() > screen.right() + 1 || stored.y() > screen.bottom() + 1
                     || stored.x() + window.width() <= screen.left()
                     || stored.y() + window.height() <= screen.top();
    if (!off)
        return stored;
    return QPoint(screen.left() + (screen.width() - window.width()) / 2,
                  screen.top() + (screen.height() - window.height()) / 2);
}
