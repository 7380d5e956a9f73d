#include "shell/mainfixture.h"

#include "calc/tcalcfrm.h"
#include "imr/imitflow.h"
#include "imr/imrcontroller.h"
#include "imr/volumeimit.h"
#include "session/benchqids.h"
#include "link/radiogroup.h"
#include "link/tpanel.h"
#include "support/messagerecorder.h"
#include "usi_ipt/iptgroup.h"
#include "usi_ipt/usigroup.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace BenchQid;

// The pulse counter, the current meter and the volume completion as the operator
// sees them in the main window, with scripted bench results.
class TestUsiIptVolume : public QObject
{
    Q_OBJECT

    MainFixture f;
    TMainFrm *w = nullptr;

    template <class T> T *C(const char *name) const
    {
        T *c = w->Control<T>(QString::fromLatin1(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    QString Text(const char *edit) const { return C<QLineEdit>(edit)->text(); }
    // Runs the queued results.
    static void Settle() { QTest::qWait(20); }
    static QVariantList List(std::initializer_list<QVariant> v) { return QVariantList(v); }

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(QLocale::c());
        w = &f.Create();
        f.mbcm->DeliverConnected(true);
        QTRY_VERIFY(w->ServerConnected());
        w->Session().UsiDev().Adr = 2;
        w->Session().IptDev().Adr = 3;
        w->Session().ImrDev().Adr = 1;
        f.mbcm->ClearTasks();
    }
    void cleanup() { f.Close(); }

    void groupsSitOnTheirPagesAndFollowTheTargetTask()
    {
        QWidget *usi = C<QWidget>("GbUsi");
        QWidget *ipt = C<QWidget>("GBIpt");
        QVERIFY(w->Page(QStringLiteral("TSImitV"))->isAncestorOf(usi));
        QVERIFY(w->Page(QStringLiteral("TSImitQ"))->isAncestorOf(ipt));
        QVERIFY(w->Page(QStringLiteral("TSIpt"))->isAncestorOf(C<QWidget>("GroupBox9")));
        w->ApplyPageSet(1);
        QVERIFY(w->Page(QStringLiteral("TsUSI"))->isAncestorOf(usi));
        QVERIFY(usi->width() > 100 && usi->height() > 100);
        w->ApplyPageSet(2);
        QVERIFY(w->Page(QStringLiteral("tsIPT2"))->isAncestorOf(usi));
        QVERIFY(w->Page(QStringLiteral("tsIPT2"))->isAncestorOf(ipt));
        w->ApplyPageSet(0);
        QVERIFY(w->Page(QStringLiteral("TSImitV"))->isAncestorOf(usi));
        QCOMPARE(usi->parentWidget()->objectName(), QStringLiteral("UsiHost"));
        QCOMPARE(ipt->parentWidget()->objectName(), QStringLiteral("IptHost"));

        // The channel hints break their lines, for the eye and for screen readers alike.
        const QString pulses = QStringLiteral("Значение импульсов из выбранного слота\nпоступает в форму \"калькулятора\"");
        const QString current = QStringLiteral("Значение тока из выбранного слота\nпоступает в форму \"калькулятора\"\n"
                                               "и для калибровки токовых слотов");
        for (int i = 0; i < 4; ++i) {
            auto *v = C<QRadioButton>(QStringLiteral("rbv%1").arg(i).toLatin1().constData());
            auto *c = C<QRadioButton>(QStringLiteral("rbi%1").arg(i).toLatin1().constData());
            QCOMPARE(v->toolTip(), pulses);
            QCOMPARE(v->accessibleDescription(), pulses);
            QCOMPARE(c->toolTip(), current);
            QCOMPARE(c->accessibleDescription(), current);
        }
    }

    // One cyclic read of four counts and one coil read; each successful count
    // read turns the indicator one step; only the chosen channel reaches the calculator.
    void pulseCounter()
    {
        auto *box = C<QCheckBox>("ChbCnt1");
        box->setChecked(true);
        const auto read = f.mbcm->LastTask(ReadUsiCounts);
        QCOMPARE(read.op, QStringLiteral("ReadInputRegs"));
        QCOMPARE(read.period, 1000);
        QCOMPARE(read.address, 0x8000);
        QCOMPARE(read.count, 4);
        QCOMPARE(read.device, 2);
        QCOMPARE(f.mbcm->TasksFor(ReadUsiModes).size(), 1);

        auto *indicator = C<QLabel>("lbls2");
        QCOMPARE(indicator->text(), QStringLiteral("..."));
        qobject_cast<UsiGroup *>(C<QWidget>("GbUsi"))->CalcChannel()->SetItemIndex(2);
        const QStringList expected = {"/", "--", "\\", "|", "/"};
        for (int i = 0; i < expected.size(); ++i) {
            f.mbcm->Deliver(ReadUsiCounts, List({quint32(10 + i), quint32(20), quint32(1234), quint32(40)}));
            Settle();
            QCOMPARE(indicator->text(), expected[i]);
        }
        f.mbcm->Deliver(ReadUsiCounts, QVariant(), 1); // a failed read changes nothing
        Settle();
        QCOMPARE(indicator->text(), QStringLiteral("/"));
        QCOMPARE(Text("EdtCnt1"), QStringLiteral("14"));
        QCOMPARE(Text("EdtCnt3"), QStringLiteral("1234"));
        QCOMPARE(w->Calc()->ImpIzm(), 1234.0);

        // Coils 1, 0, 1, 0: channels 1 and 3 passive, 2 and 4 active.
        f.mbcm->Deliver(ReadUsiModes, List({true, false, true, false}));
        Settle();
        for (int k = 1; k <= 4; ++k) {
            auto *p = C<TPanel>(QStringLiteral("PnlUsi%1").arg(k).toLatin1());
            const bool passive = k % 2 == 1;
            QCOMPARE(p->Caption(), passive ? QStringLiteral("Пассивный") : QStringLiteral("Активный"));
            QCOMPARE(p->FontColor(), passive ? QColor(0, 0, 0) : QColor(255, 0, 0));
            QCOMPARE(p->Raised(), passive);
        }
        // A click switches the panel's mode: the active one to passive (1), then re-reads.
        f.mbcm->ClearTasks();
        f.mbcm->Deliver(WriteUsiMode, QVariant(), 0);
        QTest::mouseClick(C<TPanel>("PnlUsi2"), Qt::LeftButton);
        const auto write = f.mbcm->LastTask(WriteUsiMode);
        QCOMPARE(write.address, 1);
        QCOMPARE(write.value.toBool(), true);
        QCOMPARE(f.mbcm->TasksFor(ReadUsiModes).size(), 1);

        box->setChecked(false);
        QVERIFY(f.mbcm->freed.contains(ReadUsiCounts));
        QCOMPARE(f.mbcm->TasksFor(ReadUsiModes).size(), 2);

        // Resets: the third row writes 3, "Сброс для всех" 5; nothing without a counter.
        f.mbcm->ClearTasks();
        QTest::mouseClick(C<QPushButton>("Button9"), Qt::LeftButton);
        QTest::mouseClick(C<QPushButton>("Button6"), Qt::LeftButton);
        const auto resets = f.mbcm->TasksFor(WriteUsiCmd);
        QCOMPARE(resets.size(), 2);
        QCOMPARE(resets[0].value.toInt(), 3);
        QCOMPARE(resets[1].value.toInt(), 5);
        QCOMPARE(resets[1].address, 3);
        w->Session().UsiDev().Adr = 0;
        QTest::mouseClick(C<QPushButton>("Button6"), Qt::LeftButton);
        w->Session().UsiDev().Adr = 2;
        f.mbcm->DeliverConnected(false);
        QTRY_VERIFY(!w->ServerConnected());
        QTest::mouseClick(C<QPushButton>("Button7"), Qt::LeftButton);
        QCOMPARE(f.mbcm->TasksFor(WriteUsiCmd).size(), 2);
    }

    void currents()
    {
        double calibration = -1;
        connect(w->Ipt(), &IptGroup::CalibrationCurrentRead, this, [&](double mA) { calibration = mA; });
        C<QCheckBox>("ChbTok")->setChecked(true);
        const auto read = f.mbcm->LastTask(ReadIptCur);
        QCOMPARE(read.address, 0xC000);
        QCOMPARE(read.dataType, 4);
        QCOMPARE(read.period, 1000);
        QCOMPARE(read.device, 3);

        qobject_cast<IptGroup *>(C<QWidget>("GBIpt"))->Channel()->SetItemIndex(3);
        f.mbcm->Deliver(ReadIptCur, List({4.0f, 12.34567f, 0.0004f, 20.1f}));
        Settle();
        const QStringList shown = {"4", "12.346", "0", "20.1"};
        for (int k = 1; k <= 4; ++k) {
            QCOMPARE(Text(QStringLiteral("EdtI%1").arg(k).toLatin1()), shown[k - 1]);
            QCOMPARE(Text(QStringLiteral("EdtI1%1").arg(k).toLatin1()), shown[k - 1]);
        }
        QCOMPARE(C<QLabel>("LblS1")->text(), QStringLiteral("/"));
        QCOMPARE(C<QLabel>("Label85")->text(), QStringLiteral("/"));
        QCOMPARE(float(w->Calc()->IIzm()), 20.1f);
        QCOMPARE(calibration, -1.0);

        // The one-shot read feeds the calibration windows, not the calculator.
        f.mbcm->Deliver(ReadIptCurCal, List({5.0f, 6.0f, 7.0f, 8.5f}));
        Settle();
        QCOMPARE(calibration, 8.5);
        QCOMPARE(float(w->Calc()->IIzm()), 20.1f);
        QCOMPARE(Text("EdtI4"), QStringLiteral("8.5"));
        QCOMPARE(C<QLabel>("Label85")->text(), QStringLiteral("--"));

        // Both boxes control one task: clearing the second stops it while the first stays ticked.
        auto *second = C<QCheckBox>("CHBTok1");
        second->setChecked(true);
        QCOMPARE(f.mbcm->TasksFor(ReadIptCur).size(), 2);
        second->setChecked(false);
        QVERIFY(f.mbcm->freed.contains(ReadIptCur));
        QVERIFY(C<QCheckBox>("ChbTok")->isChecked());
    }

    // 10 m3 at 31.09215375 m3/h: 1159 s; what the module reports is the volume shown.
    void volumeFigures()
    {
        QCOMPARE(ImitLengthSeconds(10, 31.09215375), 1159);
        QCOMPARE(ImitLengthSeconds(0, 31.09215375), 1);
        w->Imr()->SetImitQ(31.09215375);
        f.mbcm->Deliver(ReadAccTime, QVariant::fromValue(quint32(1159000)));
        Settle();
        QCOMPARE(Text("EdtNaborV"), QStringLiteral("10.0099"));
        QCOMPARE(Text("EdtPoverV"), QStringLiteral("10.0099"));
        QCOMPARE(Text("edttime"), QStringLiteral("1159"));
        QCOMPARE(Text("EdtTime2"), QStringLiteral("1159"));
        QCOMPARE(w->Calc()->VEtalon(), 1159000 * 31.09215375 / 3600 / 1000);
        f.mbcm->Deliver(ReadAccTime, QVariant::fromValue(quint32(1157848)));
        Settle();
        QCOMPARE(Text("EdtNaborV"), QStringLiteral("10"));
        QCOMPARE(Text("edttime"), QStringLiteral("1157.848"));
        // While the run's timer ticks the time fields are the tick's.
        w->Volume()->Timer1()->start();
        f.mbcm->Deliver(ReadAccTime, QVariant::fromValue(quint32(5000)));
        Settle();
        w->Volume()->Timer1()->stop();
        QCOMPARE(Text("edttime"), QStringLiteral("1157.848"));
        QCOMPARE(Text("EdtNaborV"), QStringLiteral("0.0432"));
    }

    void volumeStartRefusals()
    {
        MessageRecorder messages;
        QTest::mouseClick(C<QPushButton>("BtnQ2Start"), Qt::LeftButton);
        QCOMPARE(messages.shown, QStringList{QStringLiteral("Рaсход не может быть нулевым")});
        QVERIFY(f.mbcm->tasks.isEmpty());
    }
};

QTEST_MAIN(TestUsiIptVolume)
#include "tst_usiipt_volume.moc"
