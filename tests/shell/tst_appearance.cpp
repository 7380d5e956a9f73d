#include "link/inifile.h"
#include "shell/appearance.h"
#include "shell/colorcodes.h"
#include "shell/mainfixture.h"
#include "support/messagerecorder.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

class TstAppearance : public QObject
{
    Q_OBJECT

    static QString ColorIni(const MainFixture &f)
    {
        QFile file(f.dir.filePath(QStringLiteral("color.ini")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    static void Hover(TMainFrm &w, QWidget *control)
    {
        QTest::mouseMove(control, QPoint(3, 3));
        QTRY_COMPARE_WITH_TIMEOUT(w.Colors()->HotControl(), control, 2000);
    }

private Q_SLOTS:
    void colourCodes()
    {
        QCOMPARE(ColorCodes::Encode(QColor(255, 255, 0)), 65535);
        QCOMPARE(ColorCodes::Encode(QColor(255, 0, 0)), 255);
        QCOMPARE(ColorCodes::Decode(0x00FF0000, QPalette()), QColor(0, 0, 255));
        QPalette p;
        p.setColor(QPalette::Active, QPalette::Button, QColor(1, 2, 3));
        QCOMPARE(ColorCodes::kButtonFace, -16777201);
        QCOMPARE(ColorCodes::Decode(ColorCodes::kButtonFace, p), QColor(1, 2, 3));
    }

    // The road of an operator: recolour and refont, restart, find them again.
    void changesAreStoredOnceAndComeBackAfterARestart()
    {
        MessageRecorder messages;
        MainFixture f;
        {
            TMainFrm &w = f.Create();
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            Appearance &a = *w.Colors();
            QColor next(255, 255, 0);
            a.ChooseColor = [&next](QColor &c) {
                c = next;
                return true;
            };
            a.ChooseFont = [](QFont &f, QColor &c) {
                f.setPointSize(10);
                c = QColor(255, 0, 0);
                return true;
            };
            // Before any movement, and over the bare window, the font command does nothing.
            a.N3Click();
            QVERIFY(ColorIni(f).isEmpty());

            auto *edtac = w.Control<QLineEdit>(QStringLiteral("edtac"));
            auto *edtadrp = w.Control<QLineEdit>(QStringLiteral("edtadrp"));
            auto *group = w.Control<QGroupBox>(QStringLiteral("GbPrib"));
            Hover(w, edtac);
            next = QColor(0, 0, 255);
            a.N1Click();
            next = QColor(255, 255, 0);
            a.N1Click(); // the same field again: one entry with the second colour
            Hover(w, edtadrp);
            a.N1Click();
            Hover(w, group);
            a.N3Click();
            a.FormMouseMove(&w);
            a.N3Click();
            QCOMPARE(group->font().pointSize(), 10);

            IniFile ini(QStringLiteral("color.ini"));
            QCOMPARE(ini.ReadInteger(QStringLiteral("Color"), QStringLiteral("Count")), 2);
            QCOMPARE(ini.ReadString(QStringLiteral("Color"), QStringLiteral("name1")),
                     QStringLiteral("edtac"));
            QCOMPARE(ini.ReadInteger(QStringLiteral("Color"), QStringLiteral("color1")), 65535);
            QCOMPARE(ini.ReadString(QStringLiteral("Color"), QStringLiteral("name2")),
                     QStringLiteral("edtadrp"));
            QCOMPARE(ini.ReadInteger(QStringLiteral("Font"), QStringLiteral("count")), 1);
            QVERIFY(ColorIni(f).contains(QStringLiteral("fontcolor1=255")));
            QVERIFY(ColorIni(f).contains(QStringLiteral("fontsize1=10")));
        }
        f.Close();
        {
            // A label named in the file is not an edit field, panel or group box.
            IniFile ini(QStringLiteral("color.ini"));
            ini.WriteInteger(QStringLiteral("Color"), QStringLiteral("count"), 3);
            ini.WriteString(QStringLiteral("Color"), QStringLiteral("name3"), QStringLiteral("Label49"));
            ini.WriteInteger(QStringLiteral("Color"), QStringLiteral("color3"), 255);
            QVERIFY(ini.UpdateFile());
        }
        TMainFrm &w = f.Create();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *edtac = w.Control<QLineEdit>(QStringLiteral("edtac"));
        const QImage shot = edtac->grab().toImage();
        QCOMPARE(shot.pixelColor(shot.width() / 2, shot.height() - 4), QColor(255, 255, 0));
        auto *group = w.Control<QGroupBox>(QStringLiteral("GbPrib"));
        QCOMPARE(group->font().pointSize(), 10);
        QCOMPARE(group->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        auto *label = w.Control<QLabel>(QStringLiteral("Label49"));
        QVERIFY(!label->autoFillBackground());
        QVERIFY(label->palette().color(QPalette::Window) != QColor(255, 0, 0));

        // A radio group is no group box of the commands: hovering it makes no target.
        Appearance &a = *w.Colors();
        auto *radios = w.Control<QGroupBox>(QStringLiteral("RGPoint"));
        QVERIFY(radios);
        w.Control<QTabWidget>(QStringLiteral("pc"))->setCurrentWidget(w.Page(QStringLiteral("TSImitQ")));
        QTest::mouseMove(radios, QPoint(3, 3));
        QTest::qWait(100);
        QVERIFY(a.HotControl() != radios);
        // Even named directly, it is no target.
        a.FormMouseMove(radios);
        a.ChooseColor = [](QColor &c) {
            c = QColor(0, 255, 0);
            return true;
        };
        a.N1Click();
        QVERIFY(!ColorIni(f).contains(QStringLiteral("RGPoint")));

        w.Colors()->N2Click();
        QCOMPARE(messages.shown.value(0),
                 QStringLiteral("После рестарта программы значения будут возвращены"));
        QVERIFY(!QFile::exists(f.dir.filePath(QStringLiteral("color.ini"))));
        QCOMPARE(edtac->palette().color(QPalette::Base), QColor(255, 255, 0));
    }

    // A damaged count does not hold the start: it is bounded and the rest is told ignored.
    void hugeCountIsBounded()
    {
        MessageRecorder messages;
        MainFixture f;
        {
            IniFile ini(QStringLiteral("color.ini"));
            ini.WriteInteger(QStringLiteral("Color"), QStringLiteral("count"), 2147483647);
            ini.WriteString(QStringLiteral("Color"), QStringLiteral("name1"), QStringLiteral("edtac"));
            ini.WriteInteger(QStringLiteral("Color"), QStringLiteral("color1"), 255);
            ini.WriteInteger(QStringLiteral("Font"), QStringLiteral("count"), 2147483647);
            QVERIFY(ini.UpdateFile());
        }
        QElapsedTimer took;
        took.start();
        TMainFrm &w = f.Create();
        QVERIFY(took.elapsed() < 20000);
        QCOMPARE(w.Control<QLineEdit>(QStringLiteral("edtac"))->palette().color(QPalette::Base), QColor(255, 0, 0));
        QCOMPARE(messages.shown.size(), 2);
        QVERIFY(messages.shown.value(0).contains(QStringLiteral("2147483647")));
    }
};

QTEST_MAIN(TstAppearance)
#include "tst_appearance.moc"
