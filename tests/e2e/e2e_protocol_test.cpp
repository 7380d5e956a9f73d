#include "benchrig.h"

#include "auxiliary/protocolpage.h"
#include "shell/verificationcontrol.h"
#include "sim/lib/imrmodule.h"
#include "sim/lib/simbench.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QTabWidget>
#include <QTimer>

// The unattended verification: one button, a finished run, its protocol.
class E2eProtocolTest : public QObject
{
    Q_OBJECT

    static constexpr int kDeadline = BenchRig::kDeadline;
    std::unique_ptr<BenchRig> rig;
    std::unique_ptr<QTemporaryDir> protocols;

    // Both links open, the modules found, model row 0, short run parameters.
    bool Prepare(double flowError)
    {
        rig = std::make_unique<BenchRig>();
        protocols = std::make_unique<QTemporaryDir>();
        SimOptions options;
        options.flowErrorPercent = flowError;
        if (!rig->StartSim(options))
            return false;
        rig->WriteSimLinks();
        {
            IniFile ini(QStringLiteral("QTM.ini"));
            const QString s = QStringLiteral("Protocol");
            ini.WriteString(s, QStringLiteral("Serial"), QStringLiteral("A-17"));
            ini.WriteBool(s, QStringLiteral("CloseExcel"), true);
            ini.WriteFloat(s, QStringLiteral("Transient"), 2);
            ini.WriteInteger(s, QStringLiteral("Readings"), 2);
            ini.WriteFloat(s, QStringLiteral("Period"), 1);
            ini.WriteFloat(s, QStringLiteral("VolumeTransient"), 2);
            ini.WriteFloat(s, QStringLiteral("Volume"), 0.2);
            ini.WriteFloat(s, QStringLiteral("Point1"), 30);
            ini.WriteFloat(s, QStringLiteral("Point2"), 250);
            ini.WriteFloat(s, QStringLiteral("Point3"), 0);
            ini.WriteFloat(s, QStringLiteral("Point4"), 0);
            ini.WriteString(s, QStringLiteral("Folder"), protocols->path());
            ini.UpdateFile();
        }
        TMainFrm &main = rig->Create();
        if (!rig->OpenAndSearch())
            return false;
        rig->W<QTabWidget>("pc")->setCurrentWidget(main.Page(QStringLiteral("TS4")));
        return rig->ModulesFound();
    }
    VerificationControl &Control() const { return *rig->main->Verification(); }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void cleanup() { rig.reset(); }

    void aGoodFlowmeterIsFitAndGetsItsProtocol()
    {
        QVERIFY(Prepare(0.5));
        rig->Click("BtnAutoStart");
        QTRY_VERIFY_WITH_TIMEOUT(!rig->messages.shown.isEmpty(), 12 * kDeadline);
        QCOMPARE(rig->messages.shown.value(0), QStringLiteral("Поверка завершена: прибор годен"));
        const Verification::Record &r = Control().LastRecord();
        QCOMPARE(r.checks.size(), 2 * 2 + 2);
        for (const Verification::Check &c : r.checks)
            if (c.quantity == Verification::Quantity::Flow || c.quantity == Verification::Quantity::Volume)
                QVERIFY2(qAbs(c.MaxError() - 0.5) < 0.15, qPrintable(QString::number(c.MaxError())));
        QCOMPARE(rig->sim->Bench().Imr().StateCode(), 0);

        rig->messages.Clear();
        rig->Click("Button13");
        QVERIFY(QFile::exists(Control().LastPdf()));
        QVERIFY(Control().LastPdf().contains(QStringLiteral("A-17")));
        QVERIFY(QFile::exists(Control().LastXlsx()));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {Control().LastPdf(), QStringLiteral("-")});
        QVERIFY(text.waitForFinished(20000));
        QVERIFY(QString::fromUtf8(text.readAllStandardOutput()).contains(QStringLiteral("прибор годен")));
    }

    void aWrongFlowmeterIsNotFit()
    {
        QVERIFY(Prepare(1.5));
        rig->Click("BtnAutoStart");
        QTRY_VERIFY_WITH_TIMEOUT(!rig->messages.shown.isEmpty(), 12 * kDeadline);
        QCOMPARE(rig->messages.shown.value(0), QStringLiteral("Поверка завершена: прибор не годен"));
    }

    void stopLeavesTheModuleIdleAndNoProtocol()
    {
        QVERIFY(Prepare(0.5));
        QTimer::singleShot(4000, this, [this] { Control().Stop(); });
        rig->Click("BtnAutoStart");
        QTRY_VERIFY_WITH_TIMEOUT(!rig->messages.shown.isEmpty(), 6 * kDeadline);
        QCOMPARE(rig->messages.shown.value(0), QStringLiteral("Поверка остановлена оператором"));
        QTRY_COMPARE_WITH_TIMEOUT(rig->sim->Bench().Imr().StateCode(), 0, kDeadline);
        QVERIFY(!Control().HasRecord());
        rig->messages.Clear();
        rig->Click("Button13");
        QVERIFY(rig->messages.shown.value(0).startsWith(QStringLiteral("Нет законченной поверки")));
        QVERIFY(QDir(protocols->path()).isEmpty());
    }
};

QTEST_MAIN(E2eProtocolTest)
#include "e2e_protocol_test.moc"
