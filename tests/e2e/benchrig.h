#pragma once

#include "link/inifile.h"
#include "link/tmbcommaster.h"
#include "bench/modulesearch.h"
#include "imr/imrcontroller.h"
#include "imr/volumeimit.h"
#include "shell/tmainfrm.h"
#include "sim/lib/demobench.h"
#include "support/messagerecorder.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The whole monitor on real clients against the simulated bench, with its own
// settings folder.
struct BenchRig {
    static constexpr int kDeadline = 10000;

    QTemporaryDir dir;
    MessageRecorder messages;
    std::unique_ptr<DemoBench> sim;
    std::unique_ptr<TMainFrm> main;

    BenchRig() { qputenv("QTM_CONFIG_DIR", QFile::encodeName(dir.path())); }
    ~BenchRig()
    {
        main.reset();
        sim.reset();
        qunsetenv("QTM_CONFIG_DIR");
    }

    bool StartSim(SimOptions options = {})
    {
        options.exact = true;
        sim = std::make_unique<DemoBench>(options);
        QString error;
        if (!sim->Start(&error)) {
            qWarning("%s", qPrintable(error));
            return false;
        }
        return true;
    }
    // Link settings as the link dialog stores them; short time-outs keep the
    // addresses without a module from slowing the search down.
    void WriteLink(const QString &section, const QString &port, int answerDelayMs = 150) const
    {
        IniFile ini(QStringLiteral("QTM.ini"));
        ini.WriteString(section, QStringLiteral("Comm Port"), port);
        ini.WriteInteger(section, QStringLiteral("Receive Delay"), answerDelayMs);
        ini.WriteInteger(section, QStringLiteral("Error Retriers"), 0);
        ini.UpdateFile();
    }
    // What a verification run needs besides its points: the lab, the bench's
    // certificate, the meter's owner and the conditions; the pulses counted on the
    // 0.0001 m3 output, so a short volume run resolves them.
    static void WriteVerificationLab(IniFile &ini)
    {
        const QString s = QStringLiteral("Protocol");
        ini.WriteFloat(s, QStringLiteral("PulseWeight"), 0.0001);
        ini.WriteFloat(s, QStringLiteral("Temperature"), 21.5);
        ini.WriteFloat(s, QStringLiteral("Humidity"), 48);
        ini.WriteFloat(s, QStringLiteral("Pressure"), 100.7);
        ini.WriteFloat(s, QStringLiteral("Voltage"), 220);
        ini.WriteString(s, QStringLiteral("Owner"), QStringLiteral("ООО Водоканал"));
        ini.WriteString(s, QStringLiteral("RegisterNumber"), QStringLiteral("12345-06"));
        ini.WriteString(s, QStringLiteral("Organisation"), QStringLiteral("ФБУ Тестовый ЦСМ"));
        ini.WriteString(s, QStringLiteral("Method"), QStringLiteral("МП 208-001-2026"));
        ini.WriteString(s, QStringLiteral("BenchSerial"), QStringLiteral("ЦТМ-0042"));
        ini.WriteString(s, QStringLiteral("BenchCertificate"), QStringLiteral("С-АБ/123"));
        ini.WriteString(s, QStringLiteral("BenchValidUntil"),
                        QDate::currentDate().addYears(1).toString(QStringLiteral("yyyy-MM-dd")));
    }
    void WriteSimLinks() const
    {
        WriteLink(QStringLiteral("QTM"), sim->BenchEndpoint());
        WriteLink(QStringLiteral("PRIBOR"), sim->FlowmeterEndpoint());
    }
    TMainFrm &Create()
    {
        main = std::make_unique<TMainFrm>(new TMBComMaster, new TMBComMaster);
        main->show();
        return *main;
    }

    // The operator's way in: a flowmeter model chosen (-1: none), the bench link and,
    // when asked, the flowmeter link opened, and "Проверка связи" run to its end.
    // False as soon as a step does not come.
    bool OpenAndSearch(int model = 0, bool flowmeter = true)
    {
        if (model >= 0) {
            auto *models = W<QComboBox>("cbxprib");
            models->setCurrentIndex(model);
            Q_EMIT models->activated(model);
        }
        Click("BtnConnect");
        if (flowmeter)
            Click("BtnConnect1");
        if (!QTest::qWaitFor([&] { return main->ServerConnected() && (!flowmeter || main->PriborConnected()); },
                             kDeadline))
            return false;
        return Search();
    }
    // One module search, waited for to its end.
    bool Search()
    {
        auto *search = W<QPushButton>("BitBtn5");
        QTest::mouseClick(search, Qt::LeftButton);
        if (search->isEnabled())
            return false;
        return QTest::qWaitFor([&] { return search->isEnabled(); }, 3 * kDeadline);
    }
    // Every module of the simulated bench is where the search put it.
    bool ModulesFound() const
    {
        BenchSession &s = main->Session();
        return s.ImrDev().Adr == sim->ImrAddress() && s.UsiDev().Adr == sim->UsiAddress() &&
               s.IptDev().Adr == sim->IptAddress();
    }

    template <class T> T *W(const char *name) const
    {
        T *w = main->Control<T>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QString Caption(const char *button) const { return W<QPushButton>(button)->text(); }
    QString ServerPanel() const { return main->StatusPanel(0)->text(); }
    void Click(const char *button) const { QTest::mouseClick(W<QPushButton>(button), Qt::LeftButton); }
    QByteArray Ini() const
    {
        QFile f(dir.filePath(QStringLiteral("QTM.ini")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    int IniAddress(const char *key) const
    {
        return IniFile(QStringLiteral("QTM.ini"))
            .ReadInteger(QStringLiteral("QTM Address"), QString::fromLatin1(key), -1);
    }
};
