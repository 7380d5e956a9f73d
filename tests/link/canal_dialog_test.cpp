#include "link/canalfrm.h"
#include "link/inifile.h"
#include "support/messagerecorder.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace
{

// Index of the checked radio button of a group box, -1 for none.
int Checked(QGroupBox *box)
{
    const auto buttons = box->findChildren<QRadioButton *>();
    for (int i = 0; i < buttons.size(); ++i) {
        if (buttons.at(i)->isChecked())
            return i;
    }
    return -1;
}

void Check(QGroupBox *box, int index)
{
    box->findChildren<QRadioButton *>().at(index)->setChecked(true);
}

} // namespace

class CanalDialogTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TCanalFrm> m_frm;
    QStringList m_ports{QStringLiteral("COM2"), QStringLiteral("COM10"), QStringLiteral("COM1")};

    template <class T> T *W(const char *name) const
    {
        T *w = m_frm->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QComboBox *Port() const { return W<QComboBox>("cbxPort"); }
    QGroupBox *Speed() const { return W<QGroupBox>("rgrCSpeed"); }
    QGroupBox *Link() const { return W<QGroupBox>("RgrLink"); }
    QLineEdit *Interval() const { return W<QLineEdit>("edtInterval"); }
    QLineEdit *Delay() const { return W<QLineEdit>("edtAnsDel"); }
    QSpinBox *Retries() const { return W<QSpinBox>("UDRet"); }
    void Use() const { QTest::mouseClick(W<QPushButton>("btnUse"), Qt::LeftButton); }
    void Cancel() const { QTest::mouseClick(W<QPushButton>("btnCancel"), Qt::LeftButton); }

    QString IniPath() const { return m_dir->filePath(QStringLiteral("QTM.ini")); }
    QByteArray IniBytes() const
    {
        QFile f(IniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void Store(const QString &section, const QString &key, const QString &value) const
    {
        IniFile ini(QStringLiteral("QTM.ini"));
        ini.WriteString(section, key, value);
        QVERIFY(ini.UpdateFile());
    }
    QString Stored(const QString &section, const QString &key) const
    {
        return IniFile(QStringLiteral("QTM.ini")).ReadString(section, key, QStringLiteral("<none>"));
    }

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("QTM_CONFIG_DIR", m_dir->path().toUtf8());
        m_frm = std::make_unique<TCanalFrm>();
        m_frm->SetPortSource([this] { return m_ports; });
    }
    void cleanup()
    {
        m_frm.reset();
        m_dir.reset();
        qunsetenv("QTM_CONFIG_DIR");
    }

    void speedTable()
    {
        const int bauds[] = {19200, 9600, 4800, 2400, 1200};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(SpeedIndexOfBaud(bauds[i]), i);
            QCOMPARE(BaudOfSpeedIndex(i), bauds[i]);
        }
        QCOMPARE(SpeedIndexOfBaud(38400), 0);
        QCOMPARE(SpeedIndexOfBaud(0), 0);
        QCOMPARE(BaudOfSpeedIndex(7), 19200);
    }

    void portListIsSortedAsTextAndPicksTheStoredName()
    {
        Store(QStringLiteral("QTM"), QStringLiteral("Comm Port"), QStringLiteral("COM2"));
        m_frm->ShowForBench();
        QStringList items;
        for (int i = 0; i < Port()->count(); ++i)
            items << Port()->itemText(i);
        QCOMPARE(items, (QStringList{"COM1", "COM10", "COM2"}));
        // The stored port itself, not the second item by its digit.
        QCOMPARE(Port()->currentIndex(), 2);
        QCOMPARE(Port()->currentText(), QStringLiteral("COM2"));
        QVERIFY(m_frm->isVisible());
    }

    void unlistedPortStaysAsTypedText()
    {
        const QString tcp = QStringLiteral("tcp://127.0.0.1:1502");
        m_frm->ShowForBench();
        Port()->setEditText(tcp);
        Use();
        QCOMPARE(Stored("qtm", "comm port"), tcp);
        QVERIFY(!m_frm->isVisible());

        m_frm->ShowForBench();
        QCOMPARE(Port()->currentIndex(), -1);
        QCOMPARE(Port()->currentText(), tcp);
        Use();
        QCOMPARE(Stored("QTM", "Comm Port"), tcp);

        // Short names and names without a digit as fourth character match whole.
        QCOMPARE(PortItemIndex({"ttyS0", "ttyUSB0"}, "ttyUSB0"), 1);
        QCOMPARE(PortItemIndex({"A", "B"}, "B"), 1);
        QCOMPARE(PortItemIndex({"COM1"}, "X"), -1);
    }

    void missingFileGivesDefaultsAndUseCreatesIt()
    {
        m_frm->TitleP = QStringLiteral("PRIBOR");
        m_frm->VarCPort = QStringLiteral("COM9");
        m_frm->varCLink = 1;
        m_frm->ReadFINI();
        QCOMPARE(m_frm->VarCPort, QStringLiteral("COM1"));
        QCOMPARE(m_frm->varCSpeed, 0);
        QCOMPARE(m_frm->varCLink, 0);
        QCOMPARE(m_frm->varCInterval, 20);
        QCOMPARE(m_frm->varAnsDel, 500);
        QCOMPARE(m_frm->varRet, 5);
        QVERIFY(!QFile::exists(IniPath()));

        m_frm->ShowForBench();
        QCOMPARE(Port()->currentText(), QStringLiteral("COM1"));
        QCOMPARE(Checked(Speed()), 0);
        QCOMPARE(Interval()->text(), QStringLiteral("20"));
        QCOMPARE(Delay()->text(), QStringLiteral("500"));
        QCOMPARE(Retries()->value(), 5);
        Check(Speed(), 2);
        Use();
        // The speed goes in as its baud rate text and reads back as the same index.
        QVERIFY(IniBytes().contains("4800"));
        QCOMPARE(Stored("QTM", "Baud Rate"), QStringLiteral("4800"));
        m_frm->varCSpeed = 0;
        m_frm->ReadFINI();
        QCOMPARE(m_frm->varCSpeed, 2);
        QCOMPARE(m_frm->BaudRate(), 4800);
    }

    void unknownBaudShowsFirstSpeedAndOutOfRangeValuesAreTamed()
    {
        Store("QTM", "Baud Rate", "38400");
        Store("QTM", "Link Type", "7");
        Store("QTM", "Error Retriers", "500");
        m_frm->ShowForBench();
        QCOMPARE(Checked(Speed()), 0);
        QCOMPARE(Checked(Link()), 0);
        QCOMPARE(Retries()->value(), 100);
    }

    void benchThenFlowmeterSwitchesSection()
    {
        Store("QTM", "Comm Port", "COM1");
        Store("QTM", "Interval", "30");
        Store("Pribor", "Comm Port", "COM10");
        Store("Pribor", "Baud Rate", "9600");
        Store("Pribor", "Receive Delay", "700");
        m_frm->ShowForBench();
        QCOMPARE(Interval()->text(), QStringLiteral("30"));
        Cancel();
        QVERIFY(!m_frm->isVisible());

        m_frm->ShowForFlowmeter();
        QCOMPARE(m_frm->TitleP, QStringLiteral("Pribor"));
        QCOMPARE(Port()->currentText(), QStringLiteral("COM10"));
        QCOMPARE(Checked(Speed()), 1);
        QCOMPARE(Delay()->text(), QStringLiteral("700"));
        QCOMPARE(Interval()->text(), QStringLiteral("20"));
        Delay()->setText(QStringLiteral("800"));
        Use();
        QCOMPARE(Stored("PRIBOR", "Receive Delay"), QStringLiteral("800"));
        QCOMPARE(Stored("QTM", "Receive Delay"), QStringLiteral("<none>"));
        QCOMPARE(Stored("QTM", "Interval"), QStringLiteral("30"));
    }

    void flowmeterWhileBenchVisibleKeepsShownValues()
    {
        Store("QTM", "Receive Delay", "111");
        Store("Pribor", "Receive Delay", "999");
        m_frm->ShowForBench();
        QCOMPARE(Delay()->text(), QStringLiteral("111"));
        m_frm->ShowForFlowmeter();
        QCOMPARE(m_frm->TitleP, QStringLiteral("Pribor"));
        QCOMPARE(Delay()->text(), QStringLiteral("111"));
        Use();
        QCOMPARE(Stored("Pribor", "Receive Delay"), QStringLiteral("111"));
        QCOMPARE(Stored("QTM", "Receive Delay"), QStringLiteral("111"));
    }

    void benchOpenerWhileVisibleSelectsRs485()
    {
        m_frm->ShowForBench();
        QCOMPARE(Checked(Link()), 0);
        Delay()->setText(QStringLiteral("321"));
        m_frm->ShowForBench();
        QCOMPARE(Checked(Link()), 1);
        QCOMPARE(Delay()->text(), QStringLiteral("321"));
        Use();
        QCOMPARE(Stored("QTM", "Link Type"), QStringLiteral("1"));
    }

    void badNumbersAreRefusedAndNothingChanges_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("delay");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("message");
        QTest::newRow("ru-interval-comma") << "ru_RU"
                                           << "500"
                                           << "20,5"
                                           << "\"20,5\" не является целым числом";
        QTest::newRow("c-interval-dot") << "C"
                                        << "500"
                                        << "20.5"
                                        << "\"20.5\" не является целым числом";
        QTest::newRow("ru-interval-dot") << "ru_RU"
                                         << "500"
                                         << "20.5"
                                         << "\"20.5\" не является целым числом";
        QTest::newRow("delay-letters") << "C"
                                       << "abc"
                                       << "20"
                                       << "\"abc\" не является целым числом";
        QTest::newRow("delay-empty") << "ru_RU"
                                     << ""
                                     << "20"
                                     << "\"\" не является целым числом";
        QTest::newRow("delay-negative") << "C"
                                        << "-5"
                                        << "20"
                                        << "Значение \"-5\" не может быть отрицательным";
    }
    void badNumbersAreRefusedAndNothingChanges()
    {
        QFETCH(QString, locale);
        QFETCH(QString, delay);
        QFETCH(QString, interval);
        QFETCH(QString, message);
        QLocale::setDefault(QLocale(locale));
        MessageRecorder rec;
        m_frm->ShowForBench();
        Port()->setEditText(QStringLiteral("COM2"));
        Delay()->setText(delay);
        Interval()->setText(interval);
        Use();
        QCOMPARE(rec.shown, QStringList{message});
        QVERIFY(m_frm->isVisible());
        QVERIFY(!QFile::exists(IniPath()));
        QCOMPARE(m_frm->VarCPort, QStringLiteral("COM1"));
        QCOMPARE(m_frm->varAnsDel, 500);
    }

    void linkParametersKeepToTheirBounds_data()
    {
        QTest::addColumn<QString>("delay");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("retries");
        QTest::addColumn<QString>("message");
        const QString delay = QStringLiteral("Задержка должна быть от 10 до 60000 мс");
        const QString retries = QStringLiteral("Число попыток при сбоях должно быть целым числом от 0 до 100");
        QTest::newRow("delay-huge") << "2147483647" << "20" << "5" << delay;
        QTest::newRow("delay-tiny") << "9" << "5" << "5" << delay;
        QTest::newRow("interval-long")
            << "5000" << "1001" << "5" << "Межбайтовый интервал должен быть от 0 до 1000 мс: не больше задержки";
        QTest::newRow("interval-over-delay")
            << "50" << "60" << "5" << "Межбайтовый интервал должен быть от 0 до 50 мс: не больше задержки";
        QTest::newRow("retries-empty") << "500" << "20" << "" << retries;
        QTest::newRow("retries-over") << "500" << "20" << "101" << retries;
        QTest::newRow("bounds-taken") << "60000" << "1000" << "0" << "";
    }
    void linkParametersKeepToTheirBounds()
    {
        QFETCH(QString, delay);
        QFETCH(QString, interval);
        QFETCH(QString, retries);
        QFETCH(QString, message);
        MessageRecorder rec;
        m_frm->ShowForBench();
        Delay()->setText(delay);
        Interval()->setText(interval);
        Retries()->setValue(7); // the last good value must not stand in for the text typed
        W<QLineEdit>("edtRet")->setText(retries);
        Use();
        if (message.isEmpty()) {
            QCOMPARE(rec.shown, QStringList());
            QCOMPARE(Stored("QTM", "Receive Delay"), delay);
            QCOMPARE(Stored("QTM", "Interval"), interval);
            QCOMPARE(Stored("QTM", "Error Retriers"), retries);
            return;
        }
        QCOMPARE(rec.shown, QStringList{message});
        QVERIFY(m_frm->isVisible());
        QVERIFY(!QFile::exists(IniPath()));
        QCOMPARE(m_frm->varAnsDel, 500);
        QCOMPARE(m_frm->varRet, 5);
        // Nor can a file edited by hand set a delay the link would wait on for ever.
        Store("QTM", "Receive Delay", "2147483647");
        Store("QTM", "Error Retriers", "-3");
        m_frm->ReadFINI();
        QCOMPARE(m_frm->varAnsDel, 60000);
        QCOMPARE(m_frm->varRet, 0);
    }

    void intervalKeysTakeTheLocaleSeparator_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ru") << "ru_RU"
                            << "2,5";
        QTest::newRow("C") << "C"
                           << "2.5";
    }
    void intervalKeysTakeTheLocaleSeparator()
    {
        QFETCH(QString, locale);
        QFETCH(QString, shown);
        QLocale::setDefault(QLocale(locale));
        m_frm->ShowForBench();
        Interval()->clear();
        QTest::keyClicks(Interval(), QStringLiteral("2.5"));
        QCOMPARE(Interval()->text(), shown);
        Delay()->clear();
        QTest::keyClicks(Delay(), QStringLiteral("7x,5"));
        QCOMPARE(Delay()->text(), QStringLiteral("75"));
    }

    void noPortIsRefused()
    {
        MessageRecorder rec;
        m_ports.clear();
        m_frm->ShowForBench();
        Port()->setEditText(QString());
        Use();
        QCOMPARE(rec.shown, QStringList{QStringLiteral("Не выбран COM порт")});
        QVERIFY(m_frm->isVisible());
        QVERIFY(!QFile::exists(IniPath()));
    }

    void cancelRestoresControlsAndStoresNothing()
    {
        Store("QTM", "Comm Port", "COM10");
        Store("QTM", "Baud Rate", "2400");
        Store("QTM", "Link Type", "1");
        m_frm->ShowForBench();
        const QByteArray before = IniBytes();
        Port()->setCurrentIndex(0);
        Check(Speed(), 4);
        Interval()->setText(QStringLiteral("99"));
        Delay()->setText(QStringLiteral("99"));
        Retries()->setValue(50);
        Cancel();
        QVERIFY(!m_frm->isVisible());
        QCOMPARE(IniBytes(), before);
        QCOMPARE(Port()->currentText(), QStringLiteral("COM10"));
        QCOMPARE(Checked(Speed()), 3);
        QCOMPARE(Interval()->text(), QStringLiteral("20"));
        QCOMPARE(Delay()->text(), QStringLiteral("500"));
        QCOMPARE(Retries()->value(), 5);
        QCOMPARE(Checked(Link()), 0);
    }

    void connectRoutineLoadsWithoutShowing()
    {
        Store("Pribor", "Comm Port", "ttyUSB3");
        Store("Pribor", "Baud Rate", "1200");
        Store("Pribor", "Error Retriers", "9");
        m_frm->TitleP = QStringLiteral("PRIBOR");
        m_frm->ReadFINI();
        QVERIFY(!m_frm->isVisible());
        QCOMPARE(m_frm->VarCPort, QStringLiteral("ttyUSB3"));
        QCOMPARE(m_frm->BaudRate(), 1200);
        QCOMPARE(m_frm->varRet, 9);
        QCOMPARE(m_frm->varCInterval, 20);
    }

    void defaultSourceListsTheComputersPorts()
    {
        QStringList expected;
        for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
            expected << info.portName();
        m_frm->SetPortSource(nullptr);
        m_frm->ShowForBench();
        QStringList items;
        for (int i = 0; i < Port()->count(); ++i)
            items << Port()->itemText(i);
        QCOMPARE(items, SortedPortNames(expected));
    }

    void controlsAreNamedAndLabelled()
    {
        QCOMPARE(m_frm->windowTitle(), QStringLiteral("Настройка канала"));
        QVERIFY(m_frm->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!m_frm->isModal());
        QVERIFY(m_frm->findChild<QLineEdit *>(QStringLiteral("edtRet")));
        QCOMPARE(W<QPushButton>("btnUse")->text(), QStringLiteral("Да"));
        QCOMPARE(W<QPushButton>("btnCancel")->text(), QStringLiteral("Отмена"));
        QCOMPARE(Speed()->findChildren<QRadioButton *>().size(), 5);
        QCOMPARE(Speed()->findChildren<QRadioButton *>().at(4)->text(), QStringLiteral("1200"));
        QCOMPARE(Link()->findChildren<QRadioButton *>().at(1)->text(), QStringLiteral("RS485"));
        QCOMPARE(Retries()->minimum(), 0);
        QCOMPARE(Retries()->maximum(), 100);
        QVERIFY(!Retries()->wrapping());
    }
};

QTEST_MAIN(CanalDialogTest)
#include "canal_dialog_test.moc"
