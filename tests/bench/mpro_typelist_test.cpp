#include "bench/mprofrm.h"
#include "bench/typelist.h"
#include "link/inifile.h"
#include "support/fakembcommaster.h"
#include "support/messagerecorder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class MProTypeListTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TMProFrm> m_frm;

    template <class T> T *W(const char *name) const
    {
        T *w = m_frm->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QComboBox *Types() const { return W<QComboBox>("chbType"); }
    QLineEdit *Edit(int n) const
    {
        return W<QLineEdit>(QByteArray("Edit" + QByteArray::number(n)).constData());
    }
    void Click(const char *name) const { QTest::mouseClick(W<QPushButton>(name), Qt::LeftButton); }
    QStringList Items() const
    {
        QStringList items;
        for (int i = 0; i < Types()->count(); ++i)
            items << Types()->itemText(i);
        return items;
    }

    QString IniPath() const { return m_dir->filePath(QStringLiteral("QTM.ini")); }
    void Put(const QByteArray &text) const
    {
        QFile f(IniPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    QString Stored(const QString &section, const QString &key) const
    {
        return IniFile(QStringLiteral("QTM.ini")).ReadString(section, key, QStringLiteral("<none>"));
    }
    // Adds a type with the two-step button.
    void Add(const QString &name, const QString &ac, const QString &q, const QString &v) const
    {
        Click("Button1");
        Edit(1)->setText(name);
        Edit(2)->setText(ac);
        Edit(3)->setText(q);
        Edit(4)->setText(v);
        Click("Button1");
    }

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("QTM_CONFIG_DIR", m_dir->path().toUtf8());
        m_frm = std::make_unique<TMProFrm>();
    }
    void cleanup()
    {
        m_frm.reset();
        m_dir.reset();
        qunsetenv("QTM_CONFIG_DIR");
    }

    void missingNumberedKeysGiveUnknow()
    {
        Put("[QTM Address]\nIMR=3\nusi=4\nIpt=5\n[list]\ncount=2\nName1=Взлет\nRegAC1=7\nRegQ1=8\nRegV1=9\n");
        m_frm->readINI();
        QCOMPARE(m_frm->Imr, 3);
        QCOMPARE(m_frm->Usi, 4);
        QCOMPARE(m_frm->IPT, 5);
        QCOMPARE(m_frm->CPrib, 2);
        QCOMPARE(Items(), (QStringList{"Взлет", "Unknow"}));
        QCOMPARE(m_frm->Prib.at(0).RegAc, 7);
        QCOMPARE(m_frm->Prib.at(0).RegV, 9);
        const TPribor &second = m_frm->Prib.at(1);
        QCOMPARE(second.Name, QStringLiteral("Unknow"));
        QCOMPARE(second.RegAc, 0);
        QCOMPARE(second.RegQ, 0);
        QCOMPARE(second.RegV, 0);
        QCOMPARE(Types()->currentIndex(), -1);
        QCOMPARE(Types()->placeholderText(), QStringLiteral("Выберите"));
    }

    void missingFileKeepsListAndWriteCreatesIt()
    {
        m_frm->readINI();
        QCOMPARE(m_frm->CPrib, 0);
        QCOMPARE(m_frm->Imr, 0);
        QCOMPARE(Types()->placeholderText(), QStringLiteral("Список пуст"));

        Put("[List]\nCount=1\nName1=A\n[QTM Address]\nIMR=2\n");
        m_frm->readINI();
        QVERIFY(QFile::remove(IniPath()));
        m_frm->readINI();
        // Without the file the list is kept but no longer offered.
        QCOMPARE(m_frm->CPrib, 1);
        QCOMPARE(Items(), QStringList{});
        QCOMPARE(m_frm->Imr, 2);
        // A type added then is still the entry it shows.
        Add(QStringLiteral("B"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"));
        QCOMPARE(Items(), QStringList{"B"});
        QCOMPARE(Edit(1)->text(), QStringLiteral("B"));
        QCOMPARE(m_frm->Prib.at(1).RegV, 3);
        Click("BitBtn4");
        QCOMPARE(m_frm->Pribor.Name, QStringLiteral("B"));

        m_frm->show();
        QVERIFY(m_frm->writeIni());
        QVERIFY(!m_frm->isVisible());
        QCOMPARE(Stored("List", "Count"), QStringLiteral("2"));
        QCOMPARE(Stored("List", "Name1"), QStringLiteral("A"));
        QCOMPARE(Stored("List", "Name2"), QStringLiteral("B"));
        QCOMPARE(Stored("QTM Address", "IMR"), QStringLiteral("2"));
    }

    void shrunkListLeavesHigherKeys()
    {
        Put("[List]\nCount=3\nName1=A\nName2=B\nName3=C\nRegQ3=33\n");
        m_frm->readINI();
        Put("[List]\nCount=2\nName1=A\nName2=B\nName3=C\nRegQ3=33\n");
        m_frm->readINI();
        QCOMPARE(m_frm->CPrib, 2);
        QVERIFY(m_frm->writeIni());
        QCOMPARE(Stored("List", "Count"), QStringLiteral("2"));
        QCOMPARE(Stored("List", "Name3"), QStringLiteral("C"));
        QCOMPARE(Stored("List", "RegQ3"), QStringLiteral("33"));
        m_frm->readINI();
        QCOMPARE(Items(), (QStringList{"A", "B"}));
    }

    void searchWithNothingFoundWritesZeroAddresses()
    {
        Put("[QTM Address]\nIMR=1\nUSI=2\nIPT=3\n[List]\nCount=1\nName1=A\nRegAC1=4\nRegQ1=5\nRegV1=6\n");
        m_frm->readINI();
        BenchSession session(new FakeMBComMaster, new FakeMBComMaster);
        m_frm->Session = &session;
        QVERIFY(m_frm->writeIni());
        for (const char *key : {"IMR", "USI", "IPT"})
            QCOMPARE(Stored("QTM Address", key), QStringLiteral("0"));
        QCOMPARE(Stored("List", "Name1"), QStringLiteral("A"));
        QCOMPARE(Stored("List", "RegV1"), QStringLiteral("6"));

        session.ImrDev().Adr = 7;
        session.UsiDev().Adr = 8;
        session.IptDev().Adr = 9;
        QVERIFY(m_frm->writeIni());
        QCOMPARE(Stored("QTM Address", "IMR"), QStringLiteral("7"));
        QCOMPARE(Stored("QTM Address", "USI"), QStringLiteral("8"));
        QCOMPARE(Stored("QTM Address", "IPT"), QStringLiteral("9"));
    }

    void damagedNumbersAreTamed()
    {
        Put("[QTM Address]\nIMR=300\nUSI=-1\nIPT=abc\n[List]\nCount=-4\n");
        m_frm->readINI();
        QCOMPARE(m_frm->Imr, 0);
        QCOMPARE(m_frm->Usi, 0);
        QCOMPARE(m_frm->IPT, 0);
        QCOMPARE(m_frm->CPrib, 0);
        Put("[List]\nCount=99999999\n");
        m_frm->readINI();
        QCOMPARE(m_frm->CPrib, kTypeCountMax);
    }

    void selectionFillsTheFields()
    {
        Put("[List]\nCount=2\nName1=A\nRegAC1=0\nRegQ1=5\nRegV1=6\nName2=B\nRegAC2=-1\nRegQ2=15\nRegV2=16\n");
        m_frm->readINI();
        Types()->setCurrentIndex(1);
        QCOMPARE(Edit(1)->text(), QStringLiteral("B"));
        QCOMPARE(Edit(2)->text(), QStringLiteral("-1"));
        QCOMPARE(Edit(3)->text(), QStringLiteral("15"));
        QCOMPARE(Edit(4)->text(), QStringLiteral("16"));
        QVERIFY(W<QCheckBox>("Chbac")->isChecked());
        Types()->setCurrentIndex(0);
        QVERIFY(!W<QCheckBox>("Chbac")->isChecked());
        QCOMPARE(Edit(3)->text(), QStringLiteral("5"));
    }

    void addingInTwoStepsStoresOnlyOnConfirm()
    {
        m_frm->readINI();
        m_frm->show();
        Click("Button1");
        QCOMPARE(W<QPushButton>("Button1")->text(), QStringLiteral("Ввести"));
        QVERIFY(W<QPushButton>("Button2")->isEnabled());
        QVERIFY(!Types()->isEnabled());
        QCOMPARE(Edit(1)->text(), QString());
        QCOMPARE(Edit(2)->text(), QStringLiteral("0"));
        Edit(1)->setText(QStringLiteral("УРСВ"));
        Edit(2)->setText(QStringLiteral("3"));
        Edit(3)->setText(QStringLiteral("-1"));
        Edit(4)->setText(QStringLiteral("12"));
        Click("Button1");
        QCOMPARE(m_frm->CPrib, 1);
        QCOMPARE(Items(), QStringList{"УРСВ"});
        QCOMPARE(Types()->currentIndex(), 0);
        QVERIFY(Types()->isEnabled());
        QVERIFY(!W<QPushButton>("Button2")->isEnabled());
        QCOMPARE(W<QPushButton>("Button1")->text(), QStringLiteral("Добавить"));
        QVERIFY(!QFile::exists(IniPath()));

        Click("BitBtn4");
        QCOMPARE(m_frm->result(), int(QDialog::Accepted));
        QVERIFY(!m_frm->isVisible());
        QCOMPARE(m_frm->Pribor.Name, QStringLiteral("УРСВ"));
        QCOMPARE(m_frm->Pribor.RegQ, -1);
        QCOMPARE(Stored("list", "count"), QStringLiteral("1"));
        QCOMPARE(Stored("List", "Name1"), QStringLiteral("УРСВ"));
        QCOMPARE(Stored("List", "RegAC1"), QStringLiteral("3"));
        QCOMPARE(Stored("List", "RegV1"), QStringLiteral("12"));
    }

    void badRegisterAppendsNothing_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("ru-comma") << "ru_RU"
                                  << "1,5";
        QTest::newRow("c-dot") << "C"
                               << "1.5";
        QTest::newRow("letters") << "C"
                                 << "x";
        QTest::newRow("empty") << "ru_RU"
                               << "";
    }
    void badRegisterAppendsNothing()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        MessageRecorder rec;
        m_frm->readINI();
        Add(QStringLiteral("A"), QStringLiteral("0"), QStringLiteral("1"), text);
        QCOMPARE(rec.shown, QStringList{QStringLiteral("\"%1\" не является целым числом").arg(text)});
        QCOMPARE(m_frm->CPrib, 0);
        QCOMPARE(Types()->count(), 0);
        // Still in the adding step, so the operator can correct it.
        QVERIFY(W<QPushButton>("Button2")->isEnabled());
        Edit(4)->setText(QStringLiteral("2"));
        Click("Button1");
        QCOMPARE(m_frm->CPrib, 1);
    }

    void namesNeverBreakTheFile()
    {
        MessageRecorder rec;
        Put("[List]\nCount=0\n[Other]\nKeep=1\n");
        m_frm->readINI();
        Add(QStringLiteral("A\nCount=99\n[QTM Address]"), "1", "2", "3");
        Add(QStringLiteral("x=y [z]"), "1", "2", "3");
        Add(QString(60, QChar(u'Ж')), "1", "2", "3");
        Add(QStringLiteral(" \r\n "), "1", "2", "3");
        QCOMPARE(rec.shown, QStringList{QStringLiteral("Введите наименование прибора")});
        Click("Button2");
        QCOMPARE(m_frm->CPrib, 3);
        QVERIFY(m_frm->writeIni());

        IniFile ini(QStringLiteral("QTM.ini"));
        QStringList keys = ini.Keys(QStringLiteral("List"));
        keys.sort();
        QCOMPARE(keys.size(), 13);
        QCOMPARE(ini.ReadString("List", "Count"), QStringLiteral("3"));
        QCOMPARE(ini.ReadString("QTM Address", "IMR"), QStringLiteral("0"));
        QCOMPARE(ini.ReadString("Other", "Keep"), QStringLiteral("1"));
        QVERIFY(!ini.SectionExists(QStringLiteral("QTM Address]")));

        m_frm->readINI();
        QCOMPARE(Items(), (QStringList{"A Count=99 [QTM Address]", "x=y [z]", QString(50, QChar(u'Ж'))}));
    }

    void cancelOfAddingAndOfTheWindow()
    {
        Put("[List]\nCount=1\nName1=A\nRegAC1=4\n");
        m_frm->readINI();
        Types()->setCurrentIndex(0);
        Click("Button1");
        Edit(1)->setText(QStringLiteral("B"));
        Edit(3)->setText(QStringLiteral("77"));
        Click("Button2");
        QCOMPARE(Edit(1)->text(), QString());
        QCOMPARE(Edit(2)->text(), QString());
        QCOMPARE(Types()->currentIndex(), -1);
        QVERIFY(Types()->isEnabled());
        QVERIFY(!W<QPushButton>("Button2")->isEnabled());
        QCOMPARE(W<QPushButton>("Button1")->text(), QStringLiteral("Добавить"));
        QCOMPARE(m_frm->CPrib, 1);

        const QByteArray before = [this] {
            QFile f(IniPath());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        m_frm->show();
        Click("BitBtn5");
        QCOMPARE(m_frm->result(), int(QDialog::Rejected));
        QVERIFY(!m_frm->isVisible());
        QFile f(IniPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }

    void storableNames()
    {
        QCOMPARE(StorableTypeName(QStringLiteral("  a\tb  ")), QStringLiteral("a b"));
        // A character outside the basic plane is never split at the cut.
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
        const QString name = QString(49, QChar('a')) + emoji;
        QCOMPARE(StorableTypeName(name), QString(49, QChar('a')));
    }

    void windowLooksAsExpected()
    {
        QCOMPARE(m_frm->windowTitle(), QStringLiteral("Свойства модуля."));
        QVERIFY(m_frm->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(m_frm->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(W<QPushButton>("BitBtn4")->isDefault());
        QVERIFY(!W<QPushButton>("Button2")->isEnabled());
        QCOMPARE(W<QCheckBox>("Chbac")->text(), QStringLiteral("Число автоциркуляций не фиксировано"));
        QCOMPARE(Edit(2)->text(), QStringLiteral("0"));
    }
};

QTEST_MAIN(MProTypeListTest)
#include "mpro_typelist_test.moc"
