#include "calc/tcalcfrm.h"
#include "link/conventions.h"
#include "link/inifile.h"
#include "session/benchsession.h"
#include "support/fakembcommaster.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <memory>

namespace
{

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

QVariantList Table(double i4Slot0, double i20Slot0, double i4Slot1 = 0, double i20Slot1 = 0)
{
    QVariantList t;
    for (double v : {0.0, 0.0, i4Slot0, i4Slot1, 5.0, 5.0, i20Slot0, i20Slot1})
        t << QVariant::fromValue(float(v));
    return t;
}

} // namespace

class CalcWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void initialState();
    void closingOnlyHides();
    void flowError_data();
    void flowError();
    void zeroReferenceKeepsFlowAndCurrentGroups();
    void currentError_data();
    void currentError();
    void equalTableEntriesSkipOnlyTheCurrent();
    void currentErrorWaitsForAFlowReadingWhileCounting();
    void refusedSlotAndTable();
    void volumeAndPulses_data();
    void volumeAndPulses();
    void statisticsAfterReset();
    void statisticsBeforeFirstReset();
    void readTableOnlyWhenConnected();
    void slotAndTableAnswersReachTheInputs();
    void notANumberIsNotShownAsOne();
    void positionIsKeptInSettings();
    void positionOffScreenIsCentred();

private:
    QLineEdit *Edit(const char *name) const { return w->findChild<QLineEdit *>(name); }
    QLabel *Label(const char *name) const { return w->findChild<QLabel *>(name); }
    QPushButton *Button(const char *name) const { return w->findChild<QPushButton *>(name); }
    static QColor Colour(const QLabel *l) { return l->palette().color(QPalette::WindowText); }
    void UseLocale(const QString &name) { QLocale::setDefault(QLocale(name)); }
    // Table and slot as they arrive after "Считать".
    void GiveTable(const QVariantList &table, int slot)
    {
        w->SetToki(table);
        w->SetSlot(slot);
    }

    QTemporaryDir dir;
    FakeMBComMaster *client = nullptr; // the session's flowmeter link
    std::unique_ptr<BenchSession> session;
    std::unique_ptr<TcalcFrm> w;
};

void CalcWindowTest::initTestCase()
{
    QVERIFY(dir.isValid());
    qputenv("QTM_CONFIG_DIR", dir.path().toLocal8Bit());
}

void CalcWindowTest::init()
{
    UseLocale(QStringLiteral("C"));
    QFile::remove(dir.filePath(QStringLiteral("QTM.ini")));
    client = new FakeMBComMaster;
    session = std::make_unique<BenchSession>(new FakeMBComMaster, client);
    w = std::make_unique<TcalcFrm>(*session);
}

void CalcWindowTest::cleanup()
{
    w.reset();
    session.reset();
}

void CalcWindowTest::initialState()
{
    QCOMPARE(w->windowTitle(), QStringLiteral("Калькулятор ЦТМ"));
    QVERIFY(!w->isVisible());
    for (const char *name : {"edtqe", "edtqi", "edtmaxq", "edtminq", "EdtAvgQ", "edtie", "edtii", "edti4",
                             "edti20", "edtVe", "edtVi", "edtimp"}) {
        QVERIFY2(Edit(name), name);
        QCOMPARE(Edit(name)->text(), QStringLiteral("0"));
        QVERIFY(Edit(name)->isReadOnly());
    }
    for (const char *name : {"lblqproc", "lbliproc", "lblVproc", "lblVproc2"})
        QCOMPARE(Label(name)->text(), QStringLiteral("%"));
    QCOMPARE(Label("lblimp")->text(), QStringLiteral("0"));
    QCOMPARE(Button("btnStart")->text(), QStringLiteral("Старт"));
    QCOMPARE(Button("BtnClear")->text(), QStringLiteral("Сброс"));
    QCOMPARE(Button("Button1")->text(), QStringLiteral("Считать"));
    QVERIFY(w->findChild<QStatusBar *>("SB"));
    QCOMPARE(w->QEtalon(), 0.0);
    QCOMPARE(w->Slot(), 0);
}

void CalcWindowTest::closingOnlyHides()
{
    QPointer<TcalcFrm> guard(w.get());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get(), 5000));
    QVERIFY(w->close());
    QVERIFY(!w->isVisible());
    QCoreApplication::processEvents();
    QVERIFY(guard);
    w->SetQEtalon(2);
    w->SetQIzm(1);
    QCOMPARE(Label("lblqproc")->text(), QStringLiteral("50%"));
}

void CalcWindowTest::flowError_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("measured");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("point, within") << "C" << 100.5 << "100.5"
                                   << "0.5%" << kGreen;
    QTest::newRow("point, out") << "C" << 101.0 << "101"
                                << "1%" << kRed;
    QTest::newRow("comma, within") << "ru_RU" << 100.5 << "100,5"
                                   << "0,5%" << kGreen;
    QTest::newRow("comma, out") << "ru_RU" << 98.7654321 << "98,765"
                                << "1,2346%" << kRed;
}

void CalcWindowTest::flowError()
{
    QFETCH(QString, locale);
    QFETCH(double, measured);
    QFETCH(QString, shown);
    QFETCH(QString, error);
    QFETCH(QColor, colour);
    UseLocale(locale);
    w->SetQEtalon(100);
    QCOMPARE(Edit("edtqe")->text(), QStringLiteral("100"));
    w->SetQIzm(measured);
    QCOMPARE(Edit("edtqi")->text(), shown);
    QCOMPARE(Label("lblqproc")->text(), error);
    QCOMPARE(Colour(Label("lblqproc")), colour);
}

void CalcWindowTest::zeroReferenceKeepsFlowAndCurrentGroups()
{
    GiveTable(Table(4, 20), 0);
    w->SetQIzm(150);
    w->SetIIzm(12.1);
    QCOMPARE(Edit("edtii")->text(), QStringLiteral("12.1"));
    QCOMPARE(Label("lblqproc")->text(), QStringLiteral("%"));
    QCOMPARE(Edit("edti4")->text(), QStringLiteral("0"));
    QCOMPARE(Edit("edtie")->text(), QStringLiteral("0"));
    QCOMPARE(Label("lbliproc")->text(), QStringLiteral("%"));

    // After imitation stops the last errors stay as they were.
    w->SetQEtalon(150);
    QCOMPARE(Label("lblqproc")->text(), QStringLiteral("0%"));
    w->SetQEtalon(0);
    w->SetQIzm(10);
    w->SetIIzm(5);
    QCOMPARE(Label("lblqproc")->text(), QStringLiteral("0%"));
    QCOMPARE(Label("lbliproc")->text(), QStringLiteral("0.8333%"));
    // The volume group does not depend on the flow reference.
    w->SetVEtalon(2);
    w->SetVIzm(2);
    QCOMPARE(Label("lblVproc")->text(), QStringLiteral("0%"));
}

void CalcWindowTest::currentError_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("slot");
    QTest::addColumn<double>("flow");
    QTest::addColumn<double>("current");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("slot 0, mid-scale") << "C" << 0 << 150.0 << 12.1 << "12"
                                       << "0.8333%" << kRed;
    QTest::newRow("slot 0, exact") << "ru_RU" << 0 << 150.0 << 12.0 << "12"
                                   << "0%" << kGreen;
    QTest::newRow("slot 1, offset") << "C" << 1 << 0.0 << 4.1509 << "4.151"
                                    << "0.001%" << kGreen;
    QTest::newRow("slot 1, comma") << "ru_RU" << 1 << 0.0 << 4.2 << "4,151"
                                   << "1,1818%" << kRed;
}

void CalcWindowTest::currentError()
{
    QFETCH(QString, locale);
    QFETCH(int, slot);
    QFETCH(double, flow);
    QFETCH(double, current);
    QFETCH(QString, expected);
    QFETCH(QString, error);
    QFETCH(QColor, colour);
    UseLocale(locale);
    // Slot 0 holds 4/20, slot 1 holds 4.1/20.
    GiveTable(Table(4, 20, 4.1, 20), slot);
    w->SetQEtalon(flow == 0 ? 1 : flow);
    w->SetQIzm(flow);
    QCOMPARE(Edit("edti4")->text(), slot == 0 ? QStringLiteral("4") : QLocale().toString(4.1));
    QCOMPARE(Edit("edti20")->text(), QStringLiteral("20"));
    QCOMPARE(Edit("edtie")->text(), QStringLiteral("0")); // no current reading yet
    w->SetIIzm(current);
    QCOMPARE(Edit("edtie")->text(), expected);
    QCOMPARE(Label("lbliproc")->text(), error);
    QCOMPARE(Colour(Label("lbliproc")), colour);
}

void CalcWindowTest::equalTableEntriesSkipOnlyTheCurrent()
{
    GiveTable(Table(7, 7), 0);
    w->SetQEtalon(100);
    w->SetQIzm(100);
    w->SetIIzm(10);
    QCOMPARE(Label("lblqproc")->text(), QStringLiteral("0%"));
    QCOMPARE(Edit("edti4")->text(), QStringLiteral("7"));
    QCOMPARE(Edit("edti20")->text(), QStringLiteral("7"));
    QCOMPARE(Edit("edtie")->text(), QStringLiteral("0"));
    QCOMPARE(Label("lbliproc")->text(), QStringLiteral("%"));
}

void CalcWindowTest::currentErrorWaitsForAFlowReadingWhileCounting()
{
    GiveTable(Table(4, 20), 0);
    w->SetQEtalon(150);
    w->SetQIzm(150);
    w->SetIIzm(12);
    QCOMPARE(Label("lbliproc")->text(), QStringLiteral("0%"));
    // Not counting: later flow readings keep recomputing the current.
    w->SetQIzm(75);
    QCOMPARE(Edit("edtie")->text(), QStringLiteral("8"));

    QTest::mouseClick(Button("btnStart"), Qt::LeftButton);
    w->SetQIzm(150);
    QCOMPARE(Edit("edtie")->text(), QStringLiteral("8")); // reset by the flow reading
    w->SetIIzm(12.1);
    QCOMPARE(Edit("edtie")->text(), QStringLiteral("12"));
    QCOMPARE(Label("lbliproc")->text(), QStringLiteral("0.8333%"));
}

void CalcWindowTest::refusedSlotAndTable()
{
    w->SetQEtalon(150);
    w->SetIIzm(12);
    w->SetToki(QVariantList{4.0, 20.0}); // short table
    w->SetSlot(0);
    w->SetQIzm(150);
    QCOMPARE(Edit("edti4")->text(), QStringLiteral("0"));
    QCOMPARE(w->Toki(), QVariant());

    w->SetToki(Table(4, 20, 4.5, 19));
    w->SetSlot(2); // not a slot: the last one stays
    QCOMPARE(w->Slot(), 0);
    w->SetQIzm(150);
    QCOMPARE(Edit("edti4")->text(), QStringLiteral("4"));
    QCOMPARE(w->Toki().toList().size(), 8);
}

void CalcWindowTest::volumeAndPulses_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("pulseVolume");
    QTest::addColumn<QString>("pulseError");
    QTest::newRow("point") << "C"
                           << "1.234"
                           << "1.28%";
    QTest::newRow("comma") << "ru_RU"
                           << "1,234"
                           << "1,28%";
}

void CalcWindowTest::volumeAndPulses()
{
    QFETCH(QString, locale);
    QFETCH(QString, pulseVolume);
    QFETCH(QString, pulseError);
    UseLocale(locale);
    w->SetImpIzm(1234);
    QCOMPARE(Edit("edtimp")->text(), QStringLiteral("1234"));
    QCOMPARE(Label("lblimp")->text(), QStringLiteral("0")); // no reference yet
    w->SetVEtalon(1.25);
    QCOMPARE(Label("lblimp")->text(), pulseVolume);
    QCOMPARE(Label("lblVproc")->text(), QStringLiteral("100%"));
    QCOMPARE(Colour(Label("lblVproc")), kRed);
    QCOMPARE(Label("lblVproc2")->text(), QStringLiteral("%")); // measured volume is 0

    w->SetVIzm(1.25);
    QCOMPARE(Label("lblVproc")->text(), QStringLiteral("0%"));
    QCOMPARE(Colour(Label("lblVproc")), kGreen);
    QCOMPARE(Label("lblVproc2")->text(), QStringLiteral("%")); // a volume reading alone does not
    w->SetImpIzm(1234);
    QCOMPARE(Label("lblVproc2")->text(), pulseError);
    QCOMPARE(Colour(Label("lblVproc2")), kRed);

    w->SetVIzm(1.234);
    QCOMPARE(Label("lblVproc2")->text(), pulseError);
    w->SetVEtalon(0);
    QCOMPARE(Edit("edtVe")->text(), QStringLiteral("0"));
    w->SetImpIzm(1000);
    QCOMPARE(Label("lblimp")->text(), pulseVolume);
    QCOMPARE(Label("lblVproc2")->text(), pulseError);
}

void CalcWindowTest::statisticsAfterReset()
{
    UseLocale(QStringLiteral("ru_RU"));
    QTest::mouseClick(Button("BtnClear"), Qt::LeftButton);
    QCOMPARE(Edit("edtmaxq")->text(), QStringLiteral("0")); // display untouched
    QTest::mouseClick(Button("btnStart"), Qt::LeftButton);
    QCOMPARE(Button("btnStart")->text(), QStringLiteral("Стоп"));
    for (double q : {10.0, 12.0, 11.5})
        w->SetQIzm(q);
    QCOMPARE(Edit("edtmaxq")->text(), QStringLiteral("12"));
    QCOMPARE(Edit("edtminq")->text(), QStringLiteral("10"));
    QCOMPARE(Edit("EdtAvgQ")->text(), QStringLiteral("11,1667"));

    QTest::mouseClick(Button("btnStart"), Qt::LeftButton);
    QCOMPARE(Button("btnStart")->text(), QStringLiteral("Старт"));
    w->SetQIzm(50);
    QCOMPARE(Edit("edtmaxq")->text(), QStringLiteral("12"));
    // Restarting continues without a reset.
    QTest::mouseClick(Button("btnStart"), Qt::LeftButton);
    w->SetQIzm(11.5);
    QCOMPARE(Edit("EdtAvgQ")->text(), QStringLiteral("11,25"));
    QTest::mouseClick(Button("BtnClear"), Qt::LeftButton);
    QCOMPARE(Edit("EdtAvgQ")->text(), QStringLiteral("11,25"));
    w->SetQIzm(20);
    QCOMPARE(Edit("edtmaxq")->text(), QStringLiteral("20"));
    QCOMPARE(Edit("edtminq")->text(), QStringLiteral("20"));
    QCOMPARE(Edit("EdtAvgQ")->text(), QStringLiteral("20"));
}

void CalcWindowTest::statisticsBeforeFirstReset()
{
    QTest::mouseClick(Button("btnStart"), Qt::LeftButton);
    w->SetQIzm(10);
    w->SetQIzm(12);
    QCOMPARE(Edit("edtminq")->text(), QStringLiteral("0"));
    QCOMPARE(Edit("edtmaxq")->text(), QStringLiteral("12"));
    QCOMPARE(Edit("EdtAvgQ")->text(), QStringLiteral("11"));
}

void CalcWindowTest::readTableOnlyWhenConnected()
{
    QTest::mouseClick(Button("Button1"), Qt::LeftButton);
    QVERIFY(client->tasks.isEmpty());
    QCOMPARE(w->StatusText(), QString());

    GiveTable(Table(4, 20), 0);
    w->SetQEtalon(150);
    client->DeliverConnected(true);
    QTRY_VERIFY(session->FlowmeterConnected());
    session->PriborDev().Adr = 9;
    QTest::mouseClick(Button("Button1"), Qt::LeftButton);
    QCOMPARE(client->tasks.size(), 2);
    const auto slotTask = client->tasks[0];
    QCOMPARE(slotTask.op, QStringLiteral("ReadHoldRegs"));
    QCOMPARE(slotTask.qid, 41);
    QCOMPARE(slotTask.period, 0);
    QCOMPARE(slotTask.address, 7);
    QCOMPARE(slotTask.dataType, 17);
    QCOMPARE(slotTask.count, 2);
    QCOMPARE(slotTask.device, 9);
    const auto table = client->tasks[1];
    QCOMPARE(table.op, QStringLiteral("ReadHoldRegs"));
    QCOMPARE(table.qid, 42);
    QCOMPARE(table.period, 0);
    QCOMPARE(table.address, 49196);
    QCOMPARE(table.dataType, 4);
    QCOMPARE(table.count, 8);

    // Until both answers are back no current error is computed.
    w->SetQIzm(150);
    w->SetIIzm(12);
    QCOMPARE(Edit("edtie")->text(), QStringLiteral("0"));
    w->SetSlot(0);
    w->SetIIzm(12);
    QCOMPARE(Edit("edtie")->text(), QStringLiteral("0"));
    w->SetToki(Table(4, 20));
    QCOMPARE(Edit("edtie")->text(), QStringLiteral("12"));

    w->SetStatusText(QStringLiteral("Значения токов Ок"));
    QCOMPARE(w->StatusText(), QStringLiteral("Значения токов Ок"));
}

void CalcWindowTest::slotAndTableAnswersReachTheInputs()
{
    const CalcInputs &in = session->Calc();
    QStringList status;
    connect(&in, &CalcInputs::StatusTextChanged, this, [&status](const QString &t) { status << t; });
    auto slotTypes = [](int a, int b) {
        return QVariantList{QVariant::fromValue<quint8>(quint8(a)), QVariant::fromValue<quint8>(quint8(b))};
    };
    client->Deliver(41, slotTypes(1, 2));
    QTRY_COMPARE(status.size(), 1);
    QCOMPARE(in.Slot(), std::optional<int>(1));
    client->Deliver(41, slotTypes(2, 2));
    client->Deliver(41, slotTypes(0, 1)); // no current slot: the slot stays
    client->Deliver(41, QVariant(), 1);
    QTRY_COMPARE(status.size(), 4);
    QCOMPARE(in.Slot(), std::optional<int>(0));
    QCOMPARE(status.first(), QStringLiteral("Тип доп. слотов: Ок"));
    QCOMPARE(status.last(), QStringLiteral("Тип доп. слотов: ") + ResultText(1));

    status.clear();
    client->Deliver(42, Table(4, 20));
    client->Deliver(42, QVariantList{1.0, 2.0}); // a short table never reaches the calculator
    client->Deliver(42, QVariant(), 3);
    QTRY_COMPARE(status.size(), 3);
    QVERIFY(in.Toki());
    QCOMPARE(in.Toki()->at(2), 4.0); // the slot 0 entry of 4 mA
    QCOMPARE(status.first(), QStringLiteral("Значения токов Ок"));
    QCOMPARE(w->StatusText(), QStringLiteral("Значения токов ") + ResultText(3));
}

void CalcWindowTest::notANumberIsNotShownAsOne()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    w->SetQEtalon(100);
    QTest::mouseClick(Button("BtnClear"), Qt::LeftButton);
    QTest::mouseClick(Button("btnStart"), Qt::LeftButton);
    w->SetQIzm(10);
    w->SetQIzm(nan);
    QCOMPARE(Edit("edtqi")->text(), QStringLiteral("Ошибка"));
    QCOMPARE(Label("lblqproc")->text(), QStringLiteral("Ошибка"));
    QCOMPARE(Colour(Label("lblqproc")), kRed);
    QCOMPARE(Edit("EdtAvgQ")->text(), QStringLiteral("10")); // statistics keep their numbers
    w->SetQIzm(20);
    QCOMPARE(Edit("EdtAvgQ")->text(), QStringLiteral("15"));

    w->SetVEtalon(std::numeric_limits<double>::infinity());
    QCOMPARE(Edit("edtVe")->text(), QStringLiteral("Ошибка"));
    QCOMPARE(Label("lblVproc")->text(), QStringLiteral("Ошибка"));
}

void CalcWindowTest::positionIsKeptInSettings()
{
    {
        IniFile ini(QStringLiteral("QTM.ini"));
        ini.WriteInteger(QStringLiteral("calcfrm"), QStringLiteral("LEFT"), 50);
        ini.WriteInteger(QStringLiteral("CalcFrm"), QStringLiteral("top"), 60);
        ini.WriteString(QStringLiteral("Other"), QStringLiteral("key"), QStringLiteral("kept"));
        QVERIFY(ini.UpdateFile());
    }
    w = std::make_unique<TcalcFrm>(*session);
    QCOMPARE(w->pos(), QPoint(50, 60));
    w->move(70, 80);
    w.reset();
    IniFile ini(QStringLiteral("QTM.ini"));
    QCOMPARE(ini.ReadInteger(QStringLiteral("CalcFrm"), QStringLiteral("left"), -1), 70);
    QCOMPARE(ini.ReadInteger(QStringLiteral("CalcFrm"), QStringLiteral("top"), -1), 80);
    QCOMPARE(ini.ReadString(QStringLiteral("Other"), QStringLiteral("key")), QStringLiteral("kept"));
}

void CalcWindowTest::positionOffScreenIsCentred()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    {
        IniFile ini(QStringLiteral("QTM.ini"));
        ini.WriteInteger(QStringLiteral("CalcFrm"), QStringLiteral("left"), screen.width() + 10);
        ini.WriteInteger(QStringLiteral("CalcFrm"), QStringLiteral("top"), 5);
        QVERIFY(ini.UpdateFile());
    }
    w = std::make_unique<TcalcFrm>(*session);
    QVERIFY(screen.contains(w->frameGeometry().center(), false) ||
            qAbs(w->frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(w->x() < screen.width());
}

QTEST_MAIN(CalcWindowTest)
#include "calc_window_test.moc"
