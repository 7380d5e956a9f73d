#include "shell/accessibility.h"

#include "link/conventions.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

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
        if (!b->text().isEmpty())
            FreeName(b);
        else if (b->accessibleName().isEmpty())
            b->setAccessibleName(Plain(b->toolTip()));
    }
}
