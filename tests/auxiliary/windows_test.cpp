#include "auxiliary/protocolpage.h"
#include "auxiliary/tparatfrm.h"
#include "shell/mainfixture.h"
#include "support/messagerecorder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

// The protocol page and its two windows, and "О программе", in the whole main window.
class TestAuxWindows : public QObject
{
    Q_OBJECT

    template <class T> static T *Find(QWidget *in, const char *name)
    {
        T *w = in->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qWarning("no %s", name);
        return w;
    }
    static QStringList Items(QComboBox *c)
    {
        QStringList items;
        for (int i = 0; i < c->count(); ++i)
            items << c->itemText(i);
        return items;
    }

private Q_SLOTS:
    void protocolPage()
    {
        MainFixture f;
        TMainFrm &main = f.Create();
        auto *page = qobject_cast<ProtocolPage *>(main.Page(QStringLiteral("TS4")));
        QVERIFY(page);
        auto *pc = Find<QTabWidget>(&main, "pc");
        QCOMPARE(pc->tabText(pc->indexOf(page)), QStringLiteral("Протокол"));
        QVERIFY(pc->indexOf(page) > 0); // shown with the flowmeter verification task

        QCOMPARE(Find<QLineEdit>(page, "Edit17")->text(), QString()); // no serial number stored yet
        QCOMPARE(Find<QLineEdit>(page, "Edit17")->accessibleName(),
                 QStringLiteral("Заводской номер поверяемого прибора"));
        QCOMPARE(Items(Find<QComboBox>(page, "ComboBox1")), (QStringList{"Первичная", "Периодическая"}));
        QCOMPARE(Items(Find<QComboBox>(page, "ComboBox2")),
                 (QStringList{"С поверкой импульсного и токового выходов",
                              "С поверкой импульсного, но без поверки токового выхода",
                              "Без поверки импульсного и токового выходов"}));
        QCOMPARE(Find<QComboBox>(page, "ComboBox3")->currentText(), QString());
        // The zero-offset option, which no check used, is gone; the limits, Qmax and the pulse
        // weight show their defaults.
        QVERIFY(!page->findChild<QCheckBox *>(QStringLiteral("CheckBox6")));
        QCOMPARE(Find<QLineEdit>(page, "EdtLimitCurrent")->text(), QLocale().toString(0.8));
        QCOMPARE(Find<QLineEdit>(page, "EdtQMax")->text(), QStringLiteral("300"));
        QCOMPARE(Find<QLineEdit>(page, "EdtPulseWeight")->text(), QLocale().toString(0.001));
        QCOMPARE(Find<QLineEdit>(page, "EdtTemperature")->text(), QString()); // conditions per run
        QCOMPARE(Find<QPushButton>(page, "Button13")->text(), QStringLiteral("Создать протокол..."));

        Find<QComboBox>(page, "ComboBox1")->setCurrentIndex(1);
        Find<QComboBox>(page, "ComboBox2")->setCurrentIndex(2);
        Find<QLineEdit>(page, "Edit17")->setText(QStringLiteral("1234"));
        Find<QCheckBox>(page, "CheckBox8")->setChecked(true);
        const ProtocolSettings s = page->Settings();
        QCOMPARE(s.Kind, 1);
        QCOMPARE(s.ProtocolType, 2);
        QCOMPARE(s.SerialNumber, QStringLiteral("1234"));
        QVERIFY(s.CloseExcel && !s.Print && s.VisualOk && s.TrialOk);

        // Both windows open non-modally, one instance each; their buttons hide them.
        TParATFrm *parAT = main.Windows.ParATFrm;
        QVERIFY(parAT && !parAT->isVisible());
        Find<QPushButton>(page, "Button12")->click();
        QVERIFY(parAT->isVisible() && !parAT->isModal());
        QVERIFY(parAT->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(parAT->windowTitle(), QStringLiteral("Параметры процесса автоматического тестирования"));
        Find<QLineEdit>(parAT, "Edit3")->setText(QStringLiteral("5"));
        QCOMPARE(parAT->Settings().ReadingPeriod, QStringLiteral("5"));
        Find<QPushButton>(parAT, "BitBtn2")->click();
        QVERIFY(!parAT->isVisible());
        Find<QPushButton>(page, "Button12")->click();
        QCOMPARE(main.Windows.ParATFrm.data(), parAT);
        Find<QPushButton>(parAT, "BitBtn1")->click();
        QVERIFY(!parAT->isVisible());

        QWidget *form11 = main.Windows.Form11;
        QVERIFY(form11);
        Find<QPushButton>(page, "Button11")->click();
        QVERIFY(form11->isVisible());
        QCOMPARE(form11->windowTitle(), QStringLiteral("Параметры имитационного участка"));
        QCOMPARE(Items(Find<QComboBox>(form11, "ComboBox1")), (QStringList{"", "Z", "V", "N", "W"}));
        Find<QDialogButtonBox>(form11, "Buttons")->button(QDialogButtonBox::Ok)->click();
        QVERIFY(!form11->isVisible());
    }

    // The menu item reads the running executable: this test has no version block.
    void menuOpensAbout()
    {
        MessageRecorder messages;
        MainFixture f;
        TMainFrm &main = f.Create();
        main.findChild<QAction *>(QStringLiteral("N9"))->trigger();
        QCOMPARE(messages.shown, QStringList{QStringLiteral("No Version Info Available.")});
    }
};

QTEST_MAIN(TestAuxWindows)
#include "windows_test.moc"
