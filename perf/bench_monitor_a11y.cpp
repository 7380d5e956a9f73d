// What the exchange monitor's list costs per batch of records as it fills, with the
// accessibility layer on and a reader going over the visible cells after each batch
// (as a screen reader does), against the same without the layer. The layer needs a
// display, a session bus and the accessibility bus, for example:
//   tests/e2e/atspi_session.sh 600 build/perf/bench_monitor_a11y
//   bench_monitor_a11y [batches [on|off]]   2000 batches of 10 records by default, both ways
// Prints the mean cost of a batch (entering the table and drawing it) per thousand rows.
#include "exchange/exchangelog.h"
#include "exchange/texchangemonitorfrm.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>

#include <cstdio>

namespace
{

ExchangeRecord Record(int n)
{
    ExchangeRecord r;
    r.startMs = 1765000000000 + n;
    r.durationUs = 2500;
    r.link = n % 2 ? QStringLiteral("Прибор") : QStringLiteral("ЦТМ");
    r.device = 1 + n % 3;
    r.function = 3;
    r.qid = n;
    r.request = QByteArray::fromHex("010300000002");
    r.reply = QByteArray::fromHex("01030400070008");
    return r;
}

// Reads every visible cell's name through the accessibility layer.
void ReadVisible(QTableView *view)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(view);
    QAccessibleTableInterface *table = iface ? iface->tableInterface() : nullptr;
    if (!table)
        return;
    const int first = qMax(0, view->rowAt(0));
    int last = view->rowAt(view->viewport()->height() - 1);
    if (last < 0)
        last = view->model()->rowCount() - 1;
    for (int r = first; r <= last; ++r)
        for (int c = 0; c < view->model()->columnCount(); ++c)
            if (QAccessibleInterface *cell = table->cellAt(r, c))
                (void)cell->text(QAccessible::Name);
}

bool Run(bool accessible, int batches)
{
    if (accessible) {
        // The bridge comes up once it has reached the accessibility bus.
        QElapsedTimer wait;
        wait.start();
        while (!QAccessible::isActive() && wait.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!QAccessible::isActive()) {
            std::printf("no accessibility bridge: run it in a desktop session with the accessibility bus\n");
            return false;
        }
    }
    ExchangeLog log;
    TExchangeMonitorFrm w(log);
    w.resize(1000, 700);
    w.show();
    auto *view = w.findChild<QTableView *>(QStringLiteral("TvExchange"));
    std::printf("%s\n", accessible ? "accessibility on, reader over the visible cells" : "accessibility off");
    QElapsedTimer t;
    qint64 bandNs = 0;
    int bandBatches = 0;
    int n = 0;
    for (int b = 0; b < batches; ++b) {
        for (int i = 0; i < 10; ++i)
            log.Append(Record(n++));
        t.start();
        log.Flush();
        view->viewport()->repaint();
        QApplication::processEvents();
        bandNs += t.nsecsElapsed();
        ++bandBatches;
        if (accessible)
            ReadVisible(view);
        if (n % 1000 == 0) {
            std::printf("  %6d records: %7.3f ms a batch\n", n, double(bandNs) / bandBatches / 1e6);
            bandNs = 0;
            bandBatches = 0;
        }
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int batches = argc > 1 ? qMax(100, atoi(argv[1])) : 2000;
    const QByteArray only = argc > 2 ? QByteArray(argv[2]) : QByteArray();
    if (only != "on")
        Run(false, batches);
    if (only != "off" && !Run(true, batches))
        return 1;
    return 0;
}
