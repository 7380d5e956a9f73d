#include "link/inifile.h"
#include "support/messagerecorder.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

class IniFileTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *m_dir = nullptr;

    QString PathOf(const QString &name) const { return m_dir->filePath(name); }
    void Put(const QString &name, const QByteArray &bytes) const
    {
        QFile f(PathOf(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Get(const QString &name) const
    {
        QFile f(PathOf(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        qputenv("QTM_CONFIG_DIR", m_dir->path().toUtf8());
    }
    void cleanup()
    {
        delete m_dir;
        m_dir = nullptr;
        qunsetenv("QTM_CONFIG_DIR");
    }

    void configDirFollowsTheEnvironment()
    {
        QCOMPARE(QDir(ConfigDir()), QDir(m_dir->path()));
        const QString nested = m_dir->filePath(QStringLiteral("a/b"));
        qputenv("QTM_CONFIG_DIR", nested.toUtf8());
        QVERIFY(QDir(ConfigDir()).exists()); // created on demand
        IniFile ini(QStringLiteral("QTM.ini"));
        QCOMPARE(QFileInfo(ini.FileName()).absolutePath(), QFileInfo(nested).absoluteFilePath());
    }

    void writesAndReadsBackCaseInsensitively()
    {
        {
            IniFile ini(QStringLiteral("QTM.ini"));
            QVERIFY(!ini.Exists());
            ini.WriteInteger(QStringLiteral("Main"), QStringLiteral("Left"), 120);
            ini.WriteString(QStringLiteral("Main"), QStringLiteral("Name"), QStringLiteral("Взлёт-1"));
            ini.WriteFloat(QStringLiteral("Main"), QStringLiteral("K"), 0.25);
            ini.WriteInteger(QStringLiteral("MAIN"), QStringLiteral("LEFT"), 130); // same key
            QVERIFY(ini.UpdateFile());
            QVERIFY(ini.Exists());
        }
        IniFile ini(QStringLiteral("QTM.ini"));
        QCOMPARE(ini.ReadInteger(QStringLiteral("main"), QStringLiteral("left"), -1), 130);
        QCOMPARE(ini.ReadString(QStringLiteral("mAiN"), QStringLiteral("name")), QStringLiteral("Взлёт-1"));
        QCOMPARE(ini.ReadFloat(QStringLiteral("Main"), QStringLiteral("k"), -1), 0.25);
        QCOMPARE(ini.Keys(QStringLiteral("main")).size(), 3);
        QVERIFY(Get(QStringLiteral("QTM.ini")).contains("Name=" + QStringLiteral("Взлёт-1").toUtf8()));
    }

    void keepsForeignSectionsKeysAndComments()
    {
        Put(QStringLiteral("QTM.ini"),
            "; written by hand\r\n[Other]\r\nA=1\r\n[Main]\r\n; position\r\nTop=5\r\nX=2\r\n");
        {
            IniFile ini(QStringLiteral("QTM.ini"));
            ini.WriteInteger(QStringLiteral("main"), QStringLiteral("x"), 3);
            QVERIFY(ini.UpdateFile());
        }
        const QByteArray text = Get(QStringLiteral("QTM.ini"));
        QVERIFY(text.contains("; written by hand"));
        QVERIFY(text.contains("; position"));
        QVERIFY(text.contains("[Other]"));
        QVERIFY(text.contains("A=1"));
        QVERIFY(text.contains("Top=5"));
        IniFile back(QStringLiteral("QTM.ini"));
        QCOMPARE(back.ReadInteger(QStringLiteral("Main"), QStringLiteral("X")), 3);
        QCOMPARE(back.Sections(), QStringList({QStringLiteral("Other"), QStringLiteral("Main")}));
    }

    void readsWindows1251Values()
    {
        // "Расходомер" in Windows-1251, next to a UTF-8 value of the same word.
        const QByteArray cp = "\xD0\xE0\xF1\xF5\xEE\xE4\xEE\xEC\xE5\xF0";
        Put(QStringLiteral("QTM.ini"), "[Pribor]\nName=" + cp + "\nUtf=" +
                                           QStringLiteral("Расходомер").toUtf8() + "\nSign=\xB9\xB8\xA8\n");
        IniFile ini(QStringLiteral("QTM.ini"));
        QCOMPARE(ini.ReadString(QStringLiteral("Pribor"), QStringLiteral("Name")),
                 QStringLiteral("Расходомер"));
        QCOMPARE(ini.ReadString(QStringLiteral("Pribor"), QStringLiteral("Utf")),
                 QStringLiteral("Расходомер"));
        QCOMPARE(ini.ReadString(QStringLiteral("Pribor"), QStringLiteral("Sign")), QStringLiteral("№ёЁ"));
        // Untouched old values stay as they were when another key is written.
        ini.WriteInteger(QStringLiteral("Pribor"), QStringLiteral("N"), 1);
        QVERIFY(ini.UpdateFile());
        QVERIFY(Get(QStringLiteral("QTM.ini")).contains("Name=" + cp));
    }

    void cyrillicNamesMatchAcrossCaseAndEncoding()
    {
        // Section "Прибор", key "Имя" in Windows-1251.
        Put(QStringLiteral("QTM.ini"), "[\xCF\xF0\xE8\xE1\xEE\xF0]\n\xC8\xEC\xFF=1\n");
        IniFile ini(QStringLiteral("QTM.ini"));
        QCOMPARE(ini.ReadInteger(QStringLiteral("ПРИБОР"), QStringLiteral("имя"), -1), 1);
        ini.WriteInteger(QStringLiteral("прибор"), QStringLiteral("ИМЯ"), 2);
        QCOMPARE(ini.Sections(), QStringList({QStringLiteral("Прибор")}));
        QCOMPARE(ini.Keys(QStringLiteral("Прибор")), QStringList({QStringLiteral("Имя")}));
        QCOMPARE(ini.ReadInteger(QStringLiteral("Прибор"), QStringLiteral("Имя"), -1), 2);
    }

    void windows1251TableAgreesWithTheSystemCodec()
    {
        QStringDecoder system("windows-1251");
        if (!system.isValid())
            QSKIP("no system Windows-1251 codec to compare with");
        for (int b = 0x80; b <= 0xFF; ++b) {
            if (b == 0x98)
                continue; // unassigned
            const QByteArray one(1, char(b));
            QCOMPARE(DecodeWindows1251(one), QString(system(one)));
        }
        QCOMPARE(DecodeWindows1251("abc"), QStringLiteral("abc"));
    }

    void numbersFallBackToTheDefault_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("integer");
        QTest::addColumn<double>("real");
        QTest::newRow("plain") << QByteArray("12") << 12 << 12.0;
        QTest::newRow("spaces") << QByteArray("  -7 ") << -7 << -7.0;
        QTest::newRow("hex") << QByteArray("$1F") << 31 << -1.0;
        QTest::newRow("comma") << QByteArray("1,5") << -1 << 1.5;
        QTest::newRow("point") << QByteArray("1.5") << -1 << 1.5;
        QTest::newRow("junk") << QByteArray("abc") << -1 << -1.0;
        QTest::newRow("overflow") << QByteArray("99999999999") << -1 << 99999999999.0;
        QTest::newRow("empty") << QByteArray("") << -1 << -1.0;
    }
    void numbersFallBackToTheDefault()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, integer);
        QFETCH(double, real);
        Put(QStringLiteral("QTM.ini"), "[S]\nV=" + text + "\n");
        for (const QLocale &l : {QLocale(QLocale::Russian), QLocale::c()}) {
            QLocale::setDefault(l);
            IniFile ini(QStringLiteral("QTM.ini"));
            QCOMPARE(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("V"), -1), integer);
            QCOMPARE(ini.ReadFloat(QStringLiteral("S"), QStringLiteral("V"), -1.0), real);
        }
        QLocale::setDefault(QLocale::c());
    }

    void brokenFilesStillGiveTheirReadableKeys()
    {
        QByteArray junk;
        for (int i = 0; i < 256; ++i)
            junk.append(char((i * 37) & 0xFF));
        const QByteArray odd = "no equals here\n[S]\nnoequals\nK=5\n[Broken\nQ=3\n=nokey\n" + junk;
        Put(QStringLiteral("QTM.ini"), junk + "\n" + odd + "\n[T]\nZ=9");
        IniFile ini(QStringLiteral("QTM.ini"));
        QCOMPARE(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("K"), -1), 5);
        QCOMPARE(ini.ReadInteger(QStringLiteral("T"), QStringLiteral("Z"), -1), 9);
        // Q stands under a header without "]": it belongs to no section.
        QCOMPARE(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("Q"), -1), -1);
        QCOMPARE(ini.ReadString(QStringLiteral("S"), QStringLiteral("missing"), QStringLiteral("d")),
                 QStringLiteral("d"));
        ini.WriteInteger(QStringLiteral("S"), QStringLiteral("K"), 6);
        ini.WriteInteger(QStringLiteral("S"), QStringLiteral("New"), 7);
        QVERIFY(ini.UpdateFile());
        IniFile back(QStringLiteral("QTM.ini"));
        QCOMPARE(back.ReadInteger(QStringLiteral("s"), QStringLiteral("k")), 6);
        QCOMPARE(back.ReadInteger(QStringLiteral("s"), QStringLiteral("new")), 7);
        QCOMPARE(back.ReadInteger(QStringLiteral("S"), QStringLiteral("Q"), -1), -1);
        // Every line the reader did not understand is written back as it was, in place.
        QCOMPARE(Get(QStringLiteral("QTM.ini")),
                 junk + "\n" + QByteArray(odd).replace("K=5\n", "K=6\nNew=7\n") + "\n[T]\nZ=9\n");
    }

    void aHeaderWithoutBracketTakesNoKeysFromOtherSections()
    {
        // The flowmeter's header lost its "]": its port must not become the bench's.
        const QByteArray broken = "[PRIBOR\r\nComm Port=tcp://127.0.0.1:1503\r\nReceive Delay=900\r\n";
        Put(QStringLiteral("QTM.ini"), "[QTM]\r\nComm Port=tcp://127.0.0.1:1502\r\nReceive Delay=500\r\n" +
                                           broken + "[QTM Address]\r\nIMR=3\r\n");
        {
            IniFile ini(QStringLiteral("QTM.ini"));
            QCOMPARE(ini.ReadString(QStringLiteral("QTM"), QStringLiteral("Comm Port")),
                     QStringLiteral("tcp://127.0.0.1:1502"));
            QCOMPARE(ini.ReadInteger(QStringLiteral("QTM"), QStringLiteral("Receive Delay")), 500);
            QVERIFY(!ini.SectionExists(QStringLiteral("PRIBOR")));
            QCOMPARE(ini.ReadInteger(QStringLiteral("QTM Address"), QStringLiteral("IMR")), 3);
            ini.WriteInteger(QStringLiteral("QTM"), QStringLiteral("Interval"), 20);
            ini.WriteString(QStringLiteral("PRIBOR"), QStringLiteral("Comm Port"), QStringLiteral("COM4"));
            QVERIFY(ini.UpdateFile());
        }
        IniFile back(QStringLiteral("QTM.ini"));
        QCOMPARE(back.ReadString(QStringLiteral("QTM"), QStringLiteral("Comm Port")),
                 QStringLiteral("tcp://127.0.0.1:1502"));
        QCOMPARE(back.Keys(QStringLiteral("QTM")),
                 QStringList({QStringLiteral("Comm Port"), QStringLiteral("Receive Delay"),
                              QStringLiteral("Interval")}));
        QCOMPARE(back.ReadString(QStringLiteral("Pribor"), QStringLiteral("Comm Port")),
                 QStringLiteral("COM4"));
        QByteArray text = Get(QStringLiteral("QTM.ini"));
        QVERIFY(text.contains(broken)); // kept for whoever mends it by hand
        QVERIFY(!text.replace("\r\n", "").contains('\n')); // Windows line ends kept
    }

    void eachLineKeepsItsOwnLineEnd()
    {
        // Edited on Linux after Windows: the CRLF lines keep their CR, new lines take the first line's end.
        const QByteArray mixed = "[QTM]\nComm Port=COM2\r\nInterval=20\n; note\r\n[Form]\r\nleft=5";
        Put(QStringLiteral("QTM.ini"), mixed);
        IniFile ini(QStringLiteral("QTM.ini"));
        ini.WriteInteger(QStringLiteral("QTM"), QStringLiteral("Interval"), 30);
        ini.WriteInteger(QStringLiteral("QTM"), QStringLiteral("Link Type"), 1);
        QVERIFY(ini.UpdateFile());
        QCOMPARE(
            Get(QStringLiteral("QTM.ini")),
            QByteArray("[QTM]\nComm Port=COM2\r\nInterval=30\nLink Type=1\n; note\r\n[Form]\r\nleft=5\n"));
    }

    void utf16FilesAreReadAndWrittenBackInUtf16()
    {
        const QString text = QStringLiteral("[Прибор]\r\nИмя=Расходомер ГС\r\nAdr=7\r\n");
        for (const bool le : {true, false}) {
            QStringEncoder enc(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
            const QByteArray bom = le ? "\xFF\xFE" : "\xFE\xFF";
            Put(QStringLiteral("QTM.ini"), bom + QByteArray(enc(text)));
            {
                IniFile ini(QStringLiteral("QTM.ini"));
                QCOMPARE(ini.ReadString(QStringLiteral("ПРИБОР"), QStringLiteral("имя")),
                         QStringLiteral("Расходомер ГС"));
                QCOMPARE(ini.ReadInteger(QStringLiteral("Прибор"), QStringLiteral("Adr")), 7);
                ini.WriteString(QStringLiteral("Прибор"), QStringLiteral("Модель"), QStringLiteral("ГС310"));
                QVERIFY(ini.UpdateFile());
            }
            const QByteArray bytes = Get(QStringLiteral("QTM.ini"));
            QVERIFY(bytes.startsWith(bom));
            QStringDecoder dec(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
            QCOMPARE(QString(dec(bytes.mid(2))), text + QStringLiteral("Модель=ГС310\r\n"));
            QCOMPARE(IniFile(QStringLiteral("QTM.ini"))
                         .ReadString(QStringLiteral("прибор"), QStringLiteral("модель")),
                     QStringLiteral("ГС310"));
        }
    }

    void aFailedSaveIsShownToTheOperator()
    {
        MessageRecorder recorder;
        IniFile ini(QStringLiteral("color.ini"));
        ini.WriteInteger(QStringLiteral("Colors"), QStringLiteral("A"), 2);
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("color.ini")));
        QVERIFY(!ini.Save());
        QCOMPARE(recorder.shown.size(), 1);
        QVERIFY(recorder.shown.first().contains(QStringLiteral("Не удалось записать файл")));
        QVERIFY(recorder.shown.first().contains(QStringLiteral("color.ini")));
        QVERIFY(!ini.ErrorText().isEmpty());
        QVERIFY(QDir(m_dir->path()).rmdir(QStringLiteral("color.ini")));
        recorder.Clear();
        QVERIFY(ini.Save());
        QVERIFY(recorder.shown.isEmpty());
    }

    void failedWriteLeavesTheOldFile()
    {
        Put(QStringLiteral("color.ini"), "[Colors]\nA=1\n");
        IniFile ini(QStringLiteral("color.ini"));
        ini.WriteInteger(QStringLiteral("Colors"), QStringLiteral("A"), 2);
        // The file is replaced by a folder: the write cannot land anywhere.
        QVERIFY(QFile::remove(PathOf(QStringLiteral("color.ini"))));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("color.ini")));
        QVERIFY(!ini.UpdateFile());
        QVERIFY(QFileInfo(PathOf(QStringLiteral("color.ini"))).isDir());
    }

    void writeReplacesWholeAndLeavesNoTemporaries()
    {
        Put(QStringLiteral("QTM.ini"), "[A]\nX=1\n");
        IniFile ini(QStringLiteral("QTM.ini"));
        for (int i = 0; i < 50; ++i)
            ini.WriteString(QStringLiteral("Big"), QStringLiteral("K%1").arg(i), QString(40, QChar('z')));
        QVERIFY(ini.UpdateFile());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({QStringLiteral("QTM.ini")}));
        QVERIFY(Get(QStringLiteral("QTM.ini")).contains("K49="));
    }

    void eraseAndFlattenedLineBreaks()
    {
        IniFile ini(QStringLiteral("QTM.ini"));
        ini.WriteString(QStringLiteral("Types"), QStringLiteral("1"), QStringLiteral("a\r\nb=2"));
        ini.WriteString(QStringLiteral("Keep"), QStringLiteral("1"), QStringLiteral("k"));
        QVERIFY(ini.UpdateFile());
        IniFile back(QStringLiteral("QTM.ini"));
        QCOMPARE(back.Keys(QStringLiteral("types")), QStringList({QStringLiteral("1")}));
        back.EraseSection(QStringLiteral("TYPES"));
        QVERIFY(!back.SectionExists(QStringLiteral("Types")));
        QVERIFY(back.UpdateFile());
        IniFile last(QStringLiteral("QTM.ini"));
        QCOMPARE(last.Sections(), QStringList({QStringLiteral("Keep")}));
    }
};

QTEST_GUILESS_MAIN(IniFileTest)
#include "inifile_test.moc"
