#include "shell/accessibility.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

static QString Plain(QString text)
{
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text = text.trimmed();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

void AssignAccessibleNames(QWidget *root)
{
    const auto labels = root->findChildren<QLabel *>();
    for (QLabel *label : labels)
        if (QWidget *b = label->buddy(); b && b->accessibleName().isEmpty())
            b->setAccessibleName(Plain(label->text()));
    const auto widgets = root->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (!w->accessibleName().isEmpty())
            continue;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            w->setAccessibleName(Plain(b->text().isEmpty() ? b->toolTip() : b->text()));
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            w->setAccessibleName(Plain(g->title()));
    }
}
