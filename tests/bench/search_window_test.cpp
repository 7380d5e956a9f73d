#include "bench/modulesearch.h"
#include "session/benchqids.h"
#include "shell/mainfixture.h"
#include "support/messagerecorder.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTest>

// The search as the main window runs it: its button, its grid, its exchange handler.
class SearchWindowTest : public QObject
{
    Q_OBJECT

    static constexpr int kDeadline = 3000;

private Q_SLOTS:
    void searchFromTheWindow()
    {
        MessageRecorder messages;
        MainFixture fx;
        TMainFrm &main = fx.Create();
        auto *search = main.Control<QPushButton>(QStringLiteral("BitBtn5"));
        auto *props = main.Control<QPushButton>(QStringLiteral("BtnPropQTM"));
        auto *sg = main.Control<QTableWidget>(QStringLiteral("sg"));
        QVERIFY(search && props && sg);
        QVERIFY(!search->isEnabled());

        QTest::mouseClick(main.Control<QPushButton>(QStringLiteral("BtnConnect")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(search->isEnabled(), kDeadline);
        fx.mbcm->ClearTasks();
        QTest::mouseClick(search, Qt::LeftButton);
        QVERIFY(!search->isEnabled());
        QCOMPARE(fx.mbcm->CountOp(QStringLiteral("GetDeviceName")), 10);
        fx.mbcm->DeliverFrom(BenchQid::DeviceName, 7, QStringLiteral("ЦТМ-УСИ"));
        for (int adr = 1; adr <= 10; ++adr)
            if (adr != 7)
                fx.mbcm->DeliverFrom(BenchQid::DeviceName, adr, QVariant(), 4);
        QTRY_VERIFY_WITH_TIMEOUT(search->isEnabled(), kDeadline);
        QCOMPARE(sg->item(2, 1)->text(), QStringLiteral("7"));
        QCOMPARE(sg->item(2, 2)->text(), QStringLiteral("ТЕВОР ЦТМ УСИ 31.03.04.00"));
        QCOMPARE(sg->item(1, 2)->text(), QStringLiteral("Не обнаружено"));
        QCOMPARE(int(main.Session().UsiDev().Adr), 7);
        QVERIFY(fx.ReadIni().contains("USI=7"));

        sg->setCurrentCell(2, 0);
        emit sg->cellClicked(2, 0);
        QVERIFY(props->isEnabled());
        QCOMPARE(main.Search()->Selected(), &main.Session().UsiDev());
        emit sg->cellClicked(1, 0);
        QVERIFY(!props->isEnabled());
        QVERIFY(messages.shown.isEmpty());
    }
};

QTEST_MAIN(SearchWindowTest)
#include "search_window_test.moc"
