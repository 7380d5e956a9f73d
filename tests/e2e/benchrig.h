#pragma once

#include "link/inifile.h"
#include "link/tmbcommaster.h"
#include "bench/modulesearch.h"
#include "imr/imrcontroller.h"
#include "imr/volumeimit.h"
#include "shell/tmainfrm.h"
#include "sim/lib/demobench.h"
#include "support/messagerecorder.h"

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
    void WriteLink(const QString &section, const QString &port) const
    {
        IniFile ini(QStringLiteral("QTM.ini"));
        ini.WriteString(section, QStringLiteral("Comm Port"), port);
        ini.WriteInteger(section, QStringLiteral("Receive Delay"), 150);
        ini.WriteInteger(section, QStringLiteral("Error Retriers"), 0);
        ini.UpdateFile();
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
