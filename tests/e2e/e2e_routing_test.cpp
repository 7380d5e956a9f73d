// Every request of a waiting sequence reaches the module it is meant for while the
// operator's clicks run inside its waits, and a module that was not found gets
// nothing: checked on the frames the simulated bench traces.

#include "benchrig.h"

#include "support/simprocess.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

namespace
{

constexpr int kImr = 1, kUsi = 2, kIpt = 3; // the simulator's default addresses
constexpr int kSlowMs = 200;               // each answer takes this long: the sequences wait

// One request as it reached the bench line.
struct Request
{
    int unit = -1;
    int function = 0;
    int address = 0;
    QString text; // the trace line, for the failure message
};

QList<Request> BenchRequests(const QByteArray &trace)
{
    QList<Request> out;
    for (const QByteArray &raw : trace.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (parts.size() < 12 || parts[1] != QStringLiteral("bench") || parts[2] != QStringLiteral("запрос"))
            continue;
        // MBAP header, unit, function, first address.
        Request r;
        r.unit = parts[9].toInt(nullptr, 16);
        r.function = parts[10].toInt(nullptr, 16);
        r.address = (parts[11].toInt(nullptr, 16) << 8) | parts.value(12).toInt(nullptr, 16);
        r.text = line;
        out << r;
    }
    return out;
}

} // namespace

class RoutingTest : public QObject
{
    Q_OBJECT

    static constexpr int kDeadline = BenchRig::kDeadline;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<BenchRig> rig;

    // The monitor against a simulator process that traces its line and answers slowly.
    bool Prepare(bool search)
    {
        sim = std::make_unique<SimProcess>(SimProcess::FreePorts() +
                                           QStringList{"--exact", "--trace", "--fault",
                                                       QStringLiteral("slow:%1").arg(kSlowMs)});
        if (!sim->WaitReady())
            return false;
        rig = std::make_unique<BenchRig>();
        rig->WriteLink(QStringLiteral("QTM"), sim->bench, 4 * kSlowMs);
        rig->Create();
        if (search)
            return rig->OpenAndSearch(0, false) && rig->main->Session().ImrDev().Adr == kImr &&
                   rig->main->Session().UsiDev().Adr == kUsi && rig->main->Session().IptDev().Adr == kIpt;
        rig->Click("BtnConnect");
        return QTest::qWaitFor([this] { return rig->main->ServerConnected(); }, kDeadline);
    }
    QList<Request> Since(qsizetype mark) { return BenchRequests(sim->Output().mid(mark)); }
    void Show(const char *page) { rig->W<QTabWidget>("pc")->setCurrentWidget(rig->main->Page(QLatin1String(page))); }
    // An operator's click at `ms` into the sequence, on a control of another page.
    void ClickLater(int ms, const char *page, const char *control)
    {
        QTimer::singleShot(ms, rig->main.get(), [this, page, control] {
            Show(page);
            QTest::mouseClick(rig->W<QWidget>(control), Qt::LeftButton);
        });
    }
    void TickLater(int ms, const char *page, const char *box)
    {
        QTimer::singleShot(ms, rig->main.get(), [this, page, box] {
            Show(page);
            rig->W<QCheckBox>(box)->setChecked(true);
        });
    }
    QString Messages() const { return rig->messages.shown.join(QLatin1Char('|')); }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void cleanup()
    {
        rig.reset();
        sim.reset();
    }

    // The current meter's and the pulse counter's reads, ticked and clicked while
    // the imitation calibrates and starts, go to their modules; every request of the
    // imitation goes to the ИМР.
    void clicksDuringTheImitationStartStayWithTheirModules()
    {
        QVERIFY(Prepare(true));
        const qsizetype mark = sim->Output().size();
        TickLater(100, "TSImitQ", "ChbTok");
        ClickLater(500, "TSImitV", "PnlUsi2");
        TickLater(900, "TSImitV", "ChbCnt1");
        ClickLater(1300, "TSImitV", "Label84");
        ClickLater(1700, "TSImitV", "edttime");
        ClickLater(2100, "TSImitV", "PnlUsi3");
        Show("TSImitQ");
        rig->Click("btnImit");
        QVERIFY2(rig->messages.shown.isEmpty(), qPrintable(Messages()));
        QCOMPARE(rig->main->Imr()->ImrMode(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!Since(mark).isEmpty(), kDeadline);
        QTest::qWait(3 * kSlowMs); // the clicks' own requests come through

        const QList<Request> requests = Since(mark);
        int first = -1, last = -1, others = 0;
        for (int i = 0; i < requests.size(); ++i) {
            const Request &r = requests[i];
            switch (r.unit) {
            case kImr:
                if (first < 0)
                    first = i;
                last = i;
                break;
            case kIpt: // the currents, and nothing else
                QVERIFY2(r.function == 0x04 && r.address == 0xC000, qPrintable(r.text));
                ++others;
                break;
            case kUsi: // the counts, the input modes and their switching
                QVERIFY2((r.function == 0x04 && r.address == 0x8000) || r.function == 0x01 || r.function == 0x05,
                         qPrintable(r.text));
                ++others;
                break;
            default:
                QFAIL(qPrintable(QStringLiteral("a request to no module of the bench: ") + r.text));
            }
        }
        // The clicks did run inside the sequence's waits.
        int inside = 0;
        for (int i = first; i <= last; ++i)
            inside += requests[i].unit != kImr;
        QVERIFY2(inside >= 3, qPrintable(QStringLiteral("%1 of %2 requests of other modules inside").arg(inside).arg(others)));
    }

    // The current meter's calibration with the ИМР's status and the pulse counter's
    // modes clicked during its waits: every calibration request reaches the ИПТ.
    void clicksDuringTheCurrentMeterCalibrationStayWithTheirModules()
    {
        QVERIFY(Prepare(true));
        rig->main->ApplyPageSet(2);
        Show("tsIPT2");
        rig->W<QRadioButton>("RgCanal_1")->setChecked(true);
        const qsizetype mark = sim->Output().size();
        // The pulse counter sits on this page for the set-up task.
        for (int ms : {50, 400, 900, 3200})
            ClickLater(ms, "tsIPT2", "Label84");
        ClickLater(150, "tsIPT2", "PnlUsi2");
        ClickLater(3300, "tsIPT2", "PnlUsi4");
        Show("tsIPT2");
        rig->Click("Button2");
        QCOMPARE(Messages(), QStringLiteral("Калибровка прошла успешно!"));
        QTest::qWait(3 * kSlowMs);

        int calibration = 0, inside = 0;
        for (const Request &r : Since(mark)) {
            switch (r.unit) {
            case kImr: // the status read of the label, nothing else
                QVERIFY2(r.function == 0x04 && r.address == 0x0001, qPrintable(r.text));
                ++inside;
                break;
            case kUsi:
                QVERIFY2(r.function == 0x01 || r.function == 0x05, qPrintable(r.text));
                ++inside;
                break;
            case kIpt:
                ++calibration;
                break;
            default:
                QFAIL(qPrintable(QStringLiteral("a request to no module of the bench: ") + r.text));
            }
        }
        // Two points (code, channel, sums), then the scale, the offset and the mode.
        QCOMPARE(calibration, 9);
        QVERIFY(inside >= 3);
    }

    // With no ИМР found, "Записать" of the quartz frequency, t0 and t1 sends nothing
    // at all (a write to address 0 would reach every module) and says why.
    void tuningWritesWithoutTheImrSendNothing_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("button");
        QTest::newRow("Fosc") << "Edit28" << "BtnF";
        QTest::newRow("t0") << "Edit29" << "btnT0";
        QTest::newRow("t1") << "Edit30" << "BtnT1";
    }
    void tuningWritesWithoutTheImrSendNothing()
    {
        QFETCH(QString, edit);
        QFETCH(QString, button);
        QVERIFY(Prepare(false));
        QCOMPARE(int(rig->main->Session().ImrDev().Adr), 0);
        rig->main->ApplyPageSet(2);
        Show("TSImr");
        const qsizetype mark = sim->Output().size();
        rig->W<QLineEdit>(qPrintable(edit))->setText(QStringLiteral("12"));
        auto *write = rig->W<QPushButton>(qPrintable(button));
        QTest::mouseClick(write, Qt::LeftButton);
        QCOMPARE(rig->messages.shown, QStringList{QStringLiteral("Модуль ИМР не найден: запрос не отправлен.")});
        QVERIFY(write->isEnabled());
        QTest::qWait(3 * kSlowMs);
        const QList<Request> sent = Since(mark);
        QVERIFY2(sent.isEmpty(), qPrintable(sent.value(0).text));
    }
};

QTEST_MAIN(RoutingTest)
#include "e2e_routing_test.moc"
