// The exchange monitor's list with a screen reader on it: the cells the reader has
// read are let go after each batch, so a filling list costs the same at its ten
// thousandth row as at its first. Runs in a desktop session with the accessibility bus.
#include "exchange/exchangelog.h"
#include "exchange/exchangeview.h"
#include "exchange/texchangemonitorfrm.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

class ExchangeReaderTest : public QObject
{
    Q_OBJECT

    static ExchangeRecord Record(int n)
    {
        ExchangeRecord r;
        r.startMs = 1765000000000 + n;
        r.link = QStringLiteral("ЦТМ");
        r.device = 1;
        r.function = 3;
        r.qid = n;
        r.request = QByteArray::fromHex("010300000002");
        r.reply = QByteArray::fromHex("01030400070008");
        return r;
    }

    // What a screen reader does on a table: it asks for cells. Their ids.
    static QList<QAccessible::Id> ReadRow(QTableView *view, int row)
    {
        QList<QAccessible::Id> ids;
        QAccessibleTableInterface *table = QAccessible::queryAccessibleInterface(view)->tableInterface();
        for (int c = 0; c < view->model()->columnCount(); ++c)
            ids << QAccessible::uniqueId(table->cellAt(row, c));
        return ids;
    }

    static int Alive(const QList<QAccessible::Id> &ids)
    {
        int n = 0;
        for (QAccessible::Id id : ids)
            n += QAccessible::accessibleInterface(id) != nullptr;
        return n;
    }

private Q_SLOTS:
    void readCellsAreLetGoAsTheListFills()
    {
        QElapsedTimer wait;
        wait.start();
        while (!QAccessible::isActive() && wait.elapsed() < 5000)
            QTest::qWait(50);
        QVERIFY2(QAccessible::isActive(), "the accessibility bridge did not come up");
        QTemporaryDir dir;
        qputenv("QTM_CONFIG_DIR", QFile::encodeName(dir.path()));

        ExchangeLog log;
        TExchangeMonitorFrm w(log);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *view = w.findChild<ExchangeView *>(QStringLiteral("TvExchange"));
        QVERIFY(view);
        int n = 0;
        const auto batch = [&] {
            for (int i = 0; i < 10; ++i)
                log.Append(Record(n++));
            log.Flush();
        };
        batch();
        // Unfocused, every batch lets the read cells go.
        QList<QAccessible::Id> read;
        for (int b = 0; b < 3; ++b) {
            read = ReadRow(view, log.rowCount() - 1);
            QCOMPARE(Alive(read), int(read.size()));
            batch();
            QCOMPARE(Alive(read), 0);
        }
        // With the operator reading the list, what was read stays for a while.
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        read = ReadRow(view, 0);
        batch();
        QCOMPARE(Alive(read), int(read.size()));
        for (int added = 10; added < ExchangeView::kFocusedRows; added += 10)
            batch();
        QCOMPARE(Alive(read), 0);
    }
};

QTEST_MAIN(ExchangeReaderTest)
#include "tst_exchangereader.moc"
