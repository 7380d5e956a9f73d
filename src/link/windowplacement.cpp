#include "link/windowplacement.h"

#include "link/inifile.h"

#include <QApplication>
#include <algorithm>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>

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

bool PlaceOnScreens(QPoint stored, QSize window, const QList<QRect> &screens)
{
    // The title strip: what the operator needs on screen to drag the window back.
    const QRect title(stored, QSize(window.width(), qMin(window.height(), 24)));
    const int grip = qMin(window.width(), 48);
    for (const QRect &s : screens) {
        const QRect seen = title.intersected(s);
        if (seen.width() >= grip && seen.height() > 0)
            return true;
    }
    return false;
}

namespace
{
QPoint KeepOn(QPoint p, QSize window, const QRect &screen)
{
    const int x = qMax(screen.left(), qMin(p.x(), screen.left() + screen.width() - window.width()));
    const int y = qMax(screen.top(), qMin(p.y(), screen.top() + screen.height() - window.height()));
    return {x, y};
}
} // namespace

QPoint PlaceBeside(QSize window, const QRect &anchor, const QList<QRect> &screens, const QList<QRect> &occupied)
{
    QRect screen = screens.value(0);
    for (const QRect &s : screens)
        if (s.contains(anchor.center()))
            screen = s;
    if (anchor.isEmpty())
        return KeepOn(screen.center() - QPoint(window.width() / 2, window.height() / 2), window, screen);
    const int gap = 4;
    const QPoint candidates[] = {{anchor.right() + 1 + gap, anchor.top()},
                                 {anchor.left() - gap - window.width(), anchor.top()},
                                 {anchor.left(), anchor.bottom() + 1 + gap}};
    std::optional<QPoint> fitting;
    for (const QPoint &c : candidates) {
        const QRect r(c, window);
        if (!screen.contains(r))
            continue;
        const bool free = std::none_of(occupied.begin(), occupied.end(),
                                       [&](const QRect &o) { return o.intersects(r); });
        if (free)
            return c;
        if (!fitting)
            fitting = c;
    }
    if (fitting)
        return *fitting;
    // Too big for any side: pushed onto the screen from the side where it hides least of the main window.
    QPoint best;
    qint64 hidden = -1;
    for (const QPoint &c : candidates) {
        const QPoint p = KeepOn(c, window, screen);
        const QRect over = QRect(p, window).intersected(anchor);
        const qint64 area = over.isEmpty() ? 0 : qint64(over.width()) * over.height();
        if (hidden < 0 || area < hidden) {
            best = p;
            hidden = area;
        }
    }
    return best;
}

std::optional<QPoint> ReadStoredPlace(const QString &iniName, const QString &section)
{
    const IniFile ini(iniName);
    const QString left = QStringLiteral("left"), top = QStringLiteral("top");
    if (!ini.ValueExists(section, left) || !ini.ValueExists(section, top))
        return std::nullopt;
    return QPoint(ini.ReadInteger(section, left, 0), ini.ReadInteger(section, top, 0));
}

void StorePlace(const QWidget *window, const QString &iniName, const QString &section)
{
    if (!HasOwnPlace(window))
        return;
    IniFile ini(iniName);
    ini.WriteInteger(section, QStringLiteral("left"), window->x());
    ini.WriteInteger(section, QStringLiteral("top"), window->y());
    ini.Save(IniFile::Tell::Once);
}

namespace
{
QList<QRect> ScreenAreas()
{
    QList<QRect> areas;
    for (const QScreen *s : QGuiApplication::screens())
        areas.append(s->availableGeometry());
    return areas;
}

// Before its first show a window has neither its final size nor a frame.
QSize ExpectedFrame(QWidget *w, QSize guess = QSize(8, 32))
{
    // The layout grows a window to what its content needs when it is shown.
    if (QLayout *layout = w->layout())
        layout->activate();
    const QSize inner = (w->testAttribute(Qt::WA_Resized) ? w->size() : w->sizeHint())
                            .expandedTo(w->minimumSizeHint())
                            .expandedTo(w->minimumSize());
    const QSize frame = w->frameGeometry().size() - w->geometry().size();
    return inner + (frame.isEmpty() ? guess.expandedTo(QSize(0, 0)) : frame);
}

QWidget *MainWindow(const QWidget *w)
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top != w && top->isVisible() && qobject_cast<QMainWindow *>(top))
            return top;
    return w->parentWidget() ? w->parentWidget()->window() : nullptr;
}

class FirstShowPlacer : public QObject
{
public:
    static constexpr const char *kName = "qtm_firstShowPlacer";

    explicit FirstShowPlacer(QWidget *window) : QObject(window), m_window(window)
    {
        setObjectName(QLatin1String(kName));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Sent before the window is mapped: the move is where it appears.
        if (watched == m_window && event->type() == QEvent::Show) {
            Place();
            setObjectName(QString()); // the window has its place from now on
            m_window->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    void Place()
    {
        const QWidget *main = MainWindow(m_window);
        QList<QRect> occupied;
        for (const QWidget *top : QApplication::topLevelWidgets())
            if (top != m_window && top != main && top->isVisible())
                occupied.append(top->frameGeometry());
        // A window never shown is placed by its inside on X11; the window manager then
        // adds its frame around it, as big as the main window's.
        const QPoint decoration = main ? main->geometry().topLeft() - main->frameGeometry().topLeft() : QPoint();
        const QSize frame = main ? main->frameGeometry().size() - main->geometry().size() : QSize();
        const QPoint place = PlaceBeside(ExpectedFrame(m_window, frame), main ? main->frameGeometry() : QRect(),
                                         ScreenAreas(), occupied);
        m_window->move(place + decoration);
    }

    QWidget *m_window;
};
} // namespace

void PlaceTopLevel(QWidget *window, std::optional<QPoint> stored)
{
    if (stored && PlaceOnScreens(*stored, ExpectedFrame(window), ScreenAreas())) {
        window->move(*stored);
        return;
    }
    new FirstShowPlacer(window);
}

bool HasOwnPlace(const QWidget *window)
{
    return !window->findChild<QObject *>(QLatin1String(FirstShowPlacer::kName), Qt::FindDirectChildrenOnly);
}
