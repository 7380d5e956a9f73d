#include "auxiliary/taboutbox.h"
#include "auxiliary/verinfo.h"
#include "auxiliary/versionblock.h"
#include "auxiliary/versionresource.h"
#include "support/messagerecorder.h"

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <functional>

namespace
{

// The values the program carries.
VersionValues ProgramValues()
{
    VersionValues v;
    v.version[0] = 4;
    v.version[1] = 0;
    v.version[2] = 0;
    v.version[3] = 12;
    v.strings = {{"FileDescription", "QTM"},
                 {"FileVersion", "4.0.0.12"},
                 {"ProductName", "QTM"},
                 {"ProductVersion", "4.0.0.12"}};
    return v;
}

QByteArray Block(const std::function<void(VersionValues &, VersionNode &)> &craft = {})
{
    VersionValues v = ProgramValues();
    VersionNode root = VersionTree(v);
    if (craft) {
        craft(v, root);
        if (root.value.size() == 52)
            root.value = FixedFileInfo(v);
    }
    return root.Serialize();
}

// The RT_VERSION resource of a compiled .res file.
QByteArray VersionResourceOfRes(const QByteArray &res)
{
    const auto *p = reinterpret_cast<const uchar *>(res.constData());
    for (qsizetype at = 0; at + 32 <= res.size();) {
        const quint32 dataSize = qFromLittleEndian<quint32>(p + at);
        const quint32 headerSize = qFromLittleEndian<quint32>(p + at + 4);
        const bool numericType = qFromLittleEndian<quint16>(p + at + 8) == 0xFFFF;
        const quint16 type = qFromLittleEndian<quint16>(p + at + 10);
        if (numericType && type == 16)
            return res.mid(at + headerSize, dataSize);
        at += (headerSize + dataSize + 3) & ~3u;
    }
    return {};
}

QString Monitor()
{
    return QStringLiteral(QTM_MONITOR_PATH);
}

} // namespace

class TestVerInfo : public QObject
{
    Q_OBJECT

    // Everything the about box and the version command read, in one line.
    static QString Describe(const TVerInfoRes &r)
    {
        return QStringList{r.GetPreDefKeyString(viProductName),
                           r.GetPreDefKeyString(viFileVersion),
                           r.GetPreDefKeyString(viProductVersion),
                           r.GetPreDefKeyString(viFileDescription),
                           r.GetPreDefKeyString(viLegalCopyright),
                           r.GetPreDefKeyString(viComments),
                           r.FileVersion(),
                           r.ProductVersion(),
                           r.FileOS(),
                           r.FileFlags().join(QLatin1Char(','))}
            .join(QLatin1Char('|'));
    }
    static inline const QString kProgram =
        QStringLiteral("QTM|4.0.0.12|4.0.0.12|QTM|||4.0.0.12|4.0.0.12|Designed for 32-bit Windows|");

private Q_SLOTS:
    void craftedBlocks_data()
    {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("error"); // kind: message
        QTest::addColumn<QString>("read");
        QTest::newRow("the program's") << Block() << QString() << kProgram;
        QTest::newRow("no block") << QByteArray() << "ENoVerInfoError: No Version Info Available."
                                  << QString();
        QTest::newRow("not a version block")
            << QByteArray(64, 'x') << "EVerInfoError: Cannot obtain version info." << QString();
        QTest::newRow("no translation")
            << Block([](VersionValues &, VersionNode &root) { root.children.removeLast(); })
            << "EVerInfoError: No language info." << QString();
        QTest::newRow("fixed block of 51 bytes")
            << Block([](VersionValues &, VersionNode &root) { root.value.chop(1); })
            << "eNoFixeVerInfo: No fixed file info" << QString();
        QTest::newRow("no fixed block")
            << Block([](VersionValues &, VersionNode &root) { root.value.clear(); })
            << "eNoFixeVerInfo: No fixed file info" << QString();
        QTest::newRow("all flags, listed in their order")
            << Block([](VersionValues &v, VersionNode &) { v.flags = 0x3F; }) << QString()
            << kProgram + "Pre-release,Private build,Special build,Debug";
        QTest::newRow("flags outside the mask do not count") << Block([](VersionValues &v, VersionNode &) {
            v.flags = 0x2B;
            v.flagsMask = 0x09;
        }) << QString() << kProgram + "Private build,Debug";
        // The strings are looked up through the first translation entry, not the first table.
        QTest::newRow("translation names another table") << Block([](VersionValues &, VersionNode &root) {
            root.children[1].children[0].value = QByteArray::fromHex("19040000"); // 0419, code page 0
        }) << QString() << "||||||4.0.0.12|4.0.0.12|Designed for 32-bit Windows|";
        QTest::newRow("other versions and OS") << Block([](VersionValues &v, VersionNode &) {
            v.version[0] = 65535;
            v.version[3] = 7;
            v.fileOS = 0x40004;
        }) << QString()
                                               << "QTM|4.0.0.12|4.0.0.12|QTM|||65535.0.0.7|65535.0.0.7|"
                                                  "Designed for Win32 API, running on Windows/NT|";
    }
    void craftedBlocks()
    {
        QFETCH(QByteArray, block);
        QFETCH(QString, error);
        QFETCH(QString, read);
        try {
            const TVerInfoRes info(QStringLiteral("crafted.exe"), block);
            QVERIFY2(error.isEmpty(), qPrintable("no error, expected " + error));
            QCOMPARE(Describe(info), read);
            // Keys match without regard to case, as on Windows.
            QCOMPARE(info.GetUserDefKeyString(QStringLiteral("productNAME")),
                     info.GetPreDefKeyString(viProductName));
            QCOMPARE(info.GetUserDefKeyString(QStringLiteral("NoSuchKey")), QString());
        } catch (const ENoVerInfoError &e) {
            QCOMPARE("ENoVerInfoError: " + e.Message, error);
        } catch (const EVerInfoError &e) {
            QCOMPARE("EVerInfoError: " + e.Message, error);
        } catch (const eNoFixeVerInfo &e) {
            QCOMPARE("eNoFixeVerInfo: " + e.Message, error);
        }
    }

    // The block the build puts into the monitor, read back from the file; a file without one.
    void executables()
    {
        const TVerInfoRes monitor(Monitor());
        QCOMPARE(Describe(monitor), kProgram);
        for (const QString &file :
             {QCoreApplication::applicationFilePath(), QStringLiteral(QTM_SOURCE_FILE)}) {
            try {
                const TVerInfoRes none(file);
                QFAIL(qPrintable(file + " has version information"));
            } catch (const ENoVerInfoError &e) {
                QCOMPARE(e.Message, QStringLiteral("No Version Info Available."));
            }
        }
        QProcess version;
        version.start(Monitor(), {QStringLiteral("--version")});
        QVERIFY(version.waitForFinished(20000));
        QCOMPARE(version.readAllStandardOutput(), QByteArray("qtm-monitor 4.0.0.12\n"));
    }

    // The Windows resource compiler makes the same block from the generated .rc as the
    // build embeds on Linux: the layout is the platform's, not only ours.
    void resourceCompilerAgrees()
    {
        const QString windres = QStringLiteral(QTM_WINDRES);
        if (windres.isEmpty())
            QSKIP("no MinGW windres");
        QTemporaryDir dir;
        const QString res = dir.filePath(QStringLiteral("v.res"));
        QProcess rc;
        rc.start(windres, {QStringLiteral(QTM_VERSION_RC), QStringLiteral("-O"), QStringLiteral("res"),
                           QStringLiteral("-o"), res});
        QVERIFY(rc.waitForFinished(30000));
        QVERIFY2(rc.exitCode() == 0, rc.readAllStandardError().constData());
        QFile file(res);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray block = VersionResourceOfRes(file.readAll());
        QVERIFY(!block.isEmpty());
        QCOMPARE(Describe(TVerInfoRes(res, block)), kProgram);
        // Byte for byte what the monitor carries.
        quint32 handle = 0;
        const qint32 size = VersionResourceSize(Monitor(), &handle);
        QByteArray embedded;
        QVERIFY(ReadVersionResource(Monitor(), handle, size, &embedded));
        QCOMPARE(embedded.toHex(), block.toHex());
    }

    void aboutBox()
    {
        MessageRecorder messages;
        QString product, version, rest, title;
        bool shown = false;
        // The box is modal: read it from inside its own loop, then press OK.
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<TAboutBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            shown = true;
            title = box->windowTitle();
            product = box->findChild<QLabel *>(QStringLiteral("ProductName"))->text();
            version = box->findChild<QLabel *>(QStringLiteral("Version"))->text();
            rest = box->findChild<QLabel *>(QStringLiteral("Copyright"))->text() +
                   box->findChild<QLabel *>(QStringLiteral("Comments"))->text();
            box->findChild<QPushButton *>(QStringLiteral("OKButton"))->click();
        });
        QTimer deadline;
        deadline.setSingleShot(true);
        connect(&deadline, &QTimer::timeout, this, [] {
            if (auto *w = QApplication::activeModalWidget())
                w->close();
        });
        deadline.start(20000);
        OpenAboutBox(nullptr, Monitor());
        QVERIFY(shown);
        QCOMPARE(title, QStringLiteral("О программе"));
        QCOMPARE(product, QStringLiteral("QTM"));
        QCOMPARE(version, QStringLiteral("Версия: 4.0.0.12 "));
        QCOMPARE(rest, QString());
        QVERIFY(messages.shown.isEmpty());

        // Flags follow the version after two blanks.
        TAboutBox box;
        box.Fill(TVerInfoRes(QStringLiteral("crafted.exe"),
                             Block([](VersionValues &v, VersionNode &) { v.flags = 3; })));
        QCOMPARE(box.findChild<QLabel *>(QStringLiteral("Version"))->text(),
                 QStringLiteral("Версия: 4.0.0.12  Pre-release Debug"));

        // A file without version information: its message and no box.
        shown = false;
        QTimer::singleShot(0, this, [&] { shown = QApplication::activeModalWidget() != nullptr; });
        OpenAboutBox(nullptr, QCoreApplication::applicationFilePath());
        QCOMPARE(messages.shown, QStringList{QStringLiteral("No Version Info Available.")});
        QTest::qWait(10);
        QVERIFY(!shown);
    }
};

QTEST_MAIN(TestVerInfo)
#include "verinfo_test.moc"
