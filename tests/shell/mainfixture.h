#pragma once

#include "shell/tmainfrm.h"
#include "support/fakembcommaster.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>

// A fresh main window on fake clients, with its own settings folder.
struct MainFixture
{
    QTemporaryDir dir;
    FakeMBComMaster *mbcm = nullptr;
    FakeMBComMaster *mbcm1 = nullptr;
    std::unique_ptr<TMainFrm> main;

    MainFixture() { qputenv("QTM_CONFIG_DIR", QFile::encodeName(dir.path())); }
    ~MainFixture()
    {
        main.reset();
        qunsetenv("QTM_CONFIG_DIR");
    }

    TMainFrm &Create()
    {
        mbcm = new FakeMBComMaster;
        mbcm1 = new FakeMBComMaster;
        main = std::make_unique<TMainFrm>(mbcm, mbcm1);
        return *main;
    }
    // Destroying the window writes its settings.
    void Close() { main.reset(); }

    QString IniPath() const { return dir.filePath(QStringLiteral("QTM.ini")); }
    void WriteIni(const QByteArray &text) const
    {
        QFile f(IniPath());
        if (f.open(QIODevice::WriteOnly))
            f.write(text);
    }
    QByteArray ReadIni() const
    {
        QFile f(IniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};
