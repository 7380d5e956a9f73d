#include "shell/accessibility.h"

#include "link/conventions.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QLabel>
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

} // namespace

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
