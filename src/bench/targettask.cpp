#include "bench/targettask.h"

#include <QLayout>
#include <QWidget>

namespace
{

struct PageSet {
    bool imitV, imitQ, poverQ, poverV, ipt, imr, ipt2, usi, protocol;
};
// The flowmeter verification also offers its automatic run and protocol.
const PageSet kSets[kTargetTaskCount] = {{true, true, false, false, false, false, false, false, true},
                                         {false, false, true, true, true, false, false, true, false},
                                         {false, false, false, false, false, true, true, false, false}};

struct GroupMove {
    const char *group;
    const char *page;
    int top;
};
const GroupMove kMoves[kTargetTaskCount][2] = {{{"GBIpt", "TSImitQ", 253}, {"GbUsi", "TSImitV", 201}},
                                               {{"GbUsi", "TsUSI", 10}, {nullptr, nullptr, 0}},
                                               {{"GBIpt", "tsIPT2", 8}, {"GbUsi", "tsIPT2", 264}}};

QString HostOf(const QString &group)
{
    return group == QLatin1String("GBIpt") ? QStringLiteral("IptHost") : QStringLiteral("UsiHost");
}

void Move(QWidget *group, QWidget *page, int top)
{
    auto *host = page->findChild<QWidget *>(HostOf(group->objectName()));
    if (host && host->layout()) {
        if (group->parentWidget() != host) {
            if (QWidget *old = group->parentWidget(); old && old->layout())
                old->layout()->removeWidget(group);
            host->layout()->addWidget(group);
        }
    } else {
        // Its left edge as the operator saw it on its page, even from inside a layout.
        int left = group->x();
        if (QWidget *from = group->parentWidget(); from && from->layout() && from != page) {
            QWidget *window = group->window();
            left = group->mapTo(window, QPoint()).x() - page->mapTo(window, QPoint()).x();
        }
        if (QWidget *old = group->parentWidget(); old && old->layout())
            old->layout()->removeWidget(group);
        group->setParent(page);
        group->move(left, top);
    }
    group->show();
}

} // namespace

void ApplyTargetTask(int task, const TargetPageHost &host)
{
    if (task < 0 || task >= kTargetTaskCount)
        return;
    const PageSet &s = kSets[task];
    // The order in which the pages are switched is the one operators know.
    host.SetShow(nsImitV, s.imitV);
    host.SetShow(nsImitQ, s.imitQ);
    host.SetShow(nsPoverQ, s.poverQ);
    host.SetShow(nsPoverV, s.poverV);
    host.SetShow(nsIPT, s.ipt);
    host.SetShow(nsIMR, s.imr);
    host.SetShow(nsIPT2, s.ipt2);
    host.SetShow(nsUSI, s.usi);
    host.SetShow(nsProtocol, s.protocol);
    for (const GroupMove &m : kMoves[task]) {
        if (!m.group)
            continue;
        QWidget *group = host.Find(QString::fromLatin1(m.group));
        QWidget *page = host.Page(QString::fromLatin1(m.page));
        if (group && page)
            Move(group, page, m.top);
    }
}
