#include "shell/accessibility.h"

#include "link/conventions.h"

#include <QAbstractButton>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

namespace
{

// Buttons as assistive technology sees them, with one difference from Qt's own:
// a button that is not on screen cannot be pressed or toggled through it.
class ButtonAccessible : public QAccessibleWidget
{
public:
    ButtonAccessible(QAbstractButton *b, QAccessible::Role role) : QAccessibleWidget(b, role) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            QString caption = Button()->text();
            caption.replace(QLatin1String("&&"), QString(QChar(1)));
            caption.remove(QLatin1Char('&'));
            caption.replace(QChar(1), QLatin1Char('&'));
            if (!caption.isEmpty())
                return caption;
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        st.checkable = Button()->isCheckable();
        st.checked = Button()->isChecked();
        st.pressed = Button()->isDown();
        if (auto *push = qobject_cast<QPushButton *>(Button()))
            st.defaultButton = push->isDefault();
        return st;
    }
    QStringList actionNames() const override
    {
        QStringList names;
        if (Usable())
            names << (Button()->isCheckable() ? toggleAction() : pressAction());
        return names + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == pressAction() || action == toggleAction()) {
            if (!Usable())
                return;
            if (action == pressAction())
                Button()->animateClick();
            else
                Button()->toggle();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    QAbstractButton *Button() const { return static_cast<QAbstractButton *>(widget()); }
    bool Usable() const { return widget()->isEnabled() && widget()->isVisible(); }
};

QAccessibleInterface *MakeButtonAccessible(QAbstractButton *b)
{
    if (auto *radio = qobject_cast<QRadioButton *>(b))
        return new ButtonAccessible(radio, QAccessible::RadioButton);
    if (auto *check = qobject_cast<QCheckBox *>(b))
        return new ButtonAccessible(check, QAccessible::CheckBox);
    if (auto *push = qobject_cast<QPushButton *>(b); push && !push->menu())
        return new ButtonAccessible(push, QAccessible::Button);
    return nullptr; // tool buttons and menu buttons keep Qt's own
}

// Qt's own factory answers first for its button classes, so the interface is
// put in the accessibility cache in its place.
void UseButtonAccessible(QAbstractButton *b)
{
    QAccessibleInterface *current = QAccessible::queryAccessibleInterface(b);
    if (dynamic_cast<ButtonAccessible *>(current))
        return;
    QAccessibleInterface *own = MakeButtonAccessible(b);
    if (!own)
        return;
    if (current)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(current));
    QAccessible::registerAccessibleInterface(own);
}

// A group box is read by its own caption: Qt names a box inside another box by
// the outer one's title.
class GroupAccessible : public QAccessibleWidget
{
public:
    explicit GroupAccessible(QGroupBox *box) : QAccessibleWidget(box, QAccessible::Grouping) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<QGroupBox *>(widget())->title().remove(QLatin1Char('&')).simplified();
        return QAccessibleWidget::text(t);
    }
};

// Qt leaves pop-up windows out of the application's children, so an open
// context menu could not be found from the application.
class ApplicationAccessible : public QAccessibleApplication
{
public:
    int childCount() const override { return QAccessibleApplication::childCount() + int(Popups().size()); }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const int own = QAccessibleApplication::indexOfChild(child);
        if (own >= 0)
            return own;
        const int popup = int(Popups().indexOf(child->object()));
        return popup < 0 ? -1 : QAccessibleApplication::childCount() + popup;
    }
    QAccessibleInterface *child(int index) const override
    {
        const int windows = QAccessibleApplication::childCount();
        if (index < windows)
            return QAccessibleApplication::child(index);
        return QAccessible::queryAccessibleInterface(Popups().value(index - windows));
    }

private:
    static QObjectList Popups()
    {
        QObjectList menus;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<QMenu *>(w) && w->isVisible())
                menus.append(w);
        return menus;
    }
};

// Tried before Qt's own factory, class by class from the most derived.
QAccessibleInterface *OwnInterfaces(const QString &className, QObject *object)
{
    if (object == qApp && className == QLatin1String("QApplication"))
        return new ApplicationAccessible;
    if (auto *box = qobject_cast<QGroupBox *>(object); box && className == QLatin1String("QGroupBox"))
        return new GroupAccessible(box);
    // A plain widget made a window (not a dialog, not a main window) is a window, not a filler.
    if (auto *w = qobject_cast<QWidget *>(object);
        w && className == QLatin1String("QWidget") && w->isWindow() && w->windowType() == Qt::Window)
        return new QAccessibleWidget(w, QAccessible::Window);
    return nullptr;
}

// Shift+F10 is the keyboard's other way to the context menu; Qt knows only the Menu key.
class ShiftF10Menu : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        QWidget *focus = QApplication::focusWidget();
        if (key->key() != Qt::Key_F10 || key->modifiers() != Qt::ShiftModifier || watched != focus)
            return false;
        const QPoint at = focus->rect().center();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, focus->mapToGlobal(at));
        QCoreApplication::sendEvent(focus, &menu);
        return true;
    }
};

} // namespace

void InstallAccessibleInterfaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(OwnInterfaces);
        qApp->installEventFilter(new ShiftF10Menu(qApp));
        return true;
    }();
    Q_UNUSED(installed);
}

static QString Plain(QString text)
{
    text.remove(QLatin1Char('&'));
    text = DisplayLines(text);
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text = text.simplified();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

// A fixed name would hide the live text; keep it as the description instead.
static void FreeName(QWidget *w)
{
    if (w->accessibleName().isEmpty())
        return;
    if (w->accessibleDescription().isEmpty())
        w->setAccessibleDescription(w->accessibleName());
    w->setAccessibleName(QString());
}

static bool ShowsOwnText(const QWidget *w)
{
    return qobject_cast<const QLabel *>(w) || qobject_cast<const QAbstractButton *>(w);
}

void DescribeValue(QWidget *display, const QString &caption)
{
    if (!display)
        return;
    FreeName(display);
    display->setAccessibleDescription(Plain(caption));
}

void AssignAccessibleNames(QWidget *root)
{
    if (!root)
        return;
    const auto labels = root->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        if (label->textFormat() != Qt::RichText && label->text().contains(QLatin1Char('\r')))
            label->setText(DisplayLines(label->text()));
        if (!label->text().isEmpty() && label->pixmap().isNull())
            FreeName(label);
    }
    for (QLabel *label : labels) {
        QWidget *b = label->buddy();
        if (!b)
            continue;
        if (ShowsOwnText(b)) {
            if (qobject_cast<QLabel *>(b) && b->accessibleDescription().isEmpty())
                b->setAccessibleDescription(Plain(label->text()));
        } else if (b->accessibleName().isEmpty()) {
            b->setAccessibleName(Plain(label->text()));
        }
    }
    const auto buttons = root->findChildren<QAbstractButton *>();
    for (QAbstractButton *b : buttons) {
        UseButtonAccessible(b);
        if (!b->text().isEmpty())
            FreeName(b);
        else if (b->accessibleName().isEmpty())
            b->setAccessibleName(Plain(b->toolTip()));
    }
}
