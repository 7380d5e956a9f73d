#include "usi_ipt/grouphost.h"

#include <QLayout>
#include <QWidget>

void DockInHost(QWidget *group)
{
    QWidget *page = group->parentWidget();
    if (!page || page->property("hostsGroup").toString() == group->objectName())
        return;
    const auto candidates = page->findChildren<QWidget *>();
    for (QWidget *host : candidates) {
        if (host != group && host->layout() &&
            host->property("hostsGroup").toString() == group->objectName()) {
            host->layout()->addWidget(group);
            return;
        }
    }
    group->adjustSize();
}
