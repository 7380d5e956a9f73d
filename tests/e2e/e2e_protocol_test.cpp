#include "benchrig.h"
#include "support/pdftext.h"

#include "auxiliary/protocolpage.h"
#include "shell/verificationcontrol.h"
#include "sim/lib/imrmodule.h"
#include "sim/lib/simbench.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>

// The unattended verification: one button, a finished run, its protocol.
class E2eProtocolTest : public QObject
{
    Q_OBJECT

    static constexpr int kDeadline = BenchRig::kDeadline;
    std::unique_ptr<BenchRig> rig;
    std::unique_ptr<QTemporaryDir> protocols;

    // Both links open, the modules found, model row 0, short run parameters, the lab and
    // the conditions entered.
    bool Prepare(double flowError, double currentErrorMa = 0)
    {
        rig = std::make_unique<BenchRig>();
        protocols = std::make_unique<QTemporaryDir>();
        SimOptions options;
        options.flowErrorPercent = flowError;
        options.currentErrorMa = currentErrorMa;
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
            ini.WriteFloat(s, QStringLiteral("LimitCurrent"), 0.5);
            BenchRig::WriteVerificationLab(ini);
            ini.UpdateFile();
        }
        TMainFrm &main = rig->Create();
        if (!rig->OpenAndSearch())
            return false;
        rig->W<QTabWidget>("pc")->setCurrentWidget(main.Page(QStringLiteral("TS4")));
        rig->W<QRadioButton>("rbv2")->setChecked(true);
        return rig->ModulesFound();
    }
    VerificationControl &Control() const { return *rig->main->Verification(); }
    // "Создать протокол..." and the text of its PDF, laid out as on the page.
    QString ProtocolText() const
    {
        rig->messages.Clear();
        rig->Click("Button13");
        if (!QFile::exists(Control().LastPdf()) || !QFile::exists(Control().LastXlsx()))
            return QString();
        return PdfText(Control().LastPdf());
    }

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

        const QString text = ProtocolText();
        QVERIFY(Control().LastPdf().contains(QStringLiteral("A-17")));
        for (const QString &field :
             {QStringLiteral("Организация:"), QStringLiteral("ФБУ Тестовый ЦСМ"),
              QStringLiteral("ООО Водоканал"), QStringLiteral("12345-06"), QStringLiteral("МП 208-001-2026"),
              QStringLiteral("ЦТМ-0042"), QStringLiteral("С-АБ/123"), QStringLiteral("21,5"),
              QStringLiteral("100,7"), QStringLiteral("220,0"), QStringLiteral("Окончание поверки:"),
              QStringLiteral("Программное обеспечение:"), QStringLiteral("Внешний осмотр:"),
              QStringLiteral("Опробование:"), QStringLiteral("ЛКТВ-210Н, зав. № A-17"),
              QStringLiteral("Заключение: прибор годен")})
            QVERIFY2(text.contains(field), qPrintable(field + QStringLiteral("\n") + text));
    }

    // The current output 0.2 mA high: 1.25 % of its span at every point, over the 0.5 % limit.
    void aCurrentOutputOffItsSpanIsNotFit()
    {
        QVERIFY(Prepare(0, 0.2));
        rig->Click("BtnAutoStart");
        QTRY_VERIFY_WITH_TIMEOUT(!rig->messages.shown.isEmpty(), 12 * kDeadline);
        QCOMPARE(rig->messages.shown.value(0), QStringLiteral("Поверка завершена: прибор не годен"));
        const QString text = ProtocolText();
        const QRegularExpression current(
            QStringLiteral("Токовый выход, мА +30,000 +1 +[0-9,]+ +[0-9,]+ +1,25 +0,50 +не годен"));
        QVERIFY2(current.match(text).hasMatch(), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("приведённая к диапазону 16 мА")));
        QVERIFY(text.contains(QStringLiteral("Расход, м3/ч")));
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
