#include "shell/demomode.h"

#include "link/inifile.h"
#include "sim/lib/demobench.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

QString UseDemoSettingsFolder()
{
    const QString dir =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/demo");
    QDir().mkpath(dir);
    qputenv("QTM_CONFIG_DIR", QFile::encodeName(dir));
    return dir;
}

bool StartDemoBench(QObject *parent, QString *error)
{
    // Options of the simulated bench may follow --demo (a model row, its errors);
    // its endpoints are always free loopback ports.
    QStringList args = QCoreApplication::arguments().mid(1);
    args.removeAll(QStringLiteral("--demo"));
    SimOptions options;
    QString why;
    if (!args.isEmpty() && !options.Parse(args, &why)) {
        if (error)
            *error = QStringLiteral("Не удалось запустить имитатор стенда: %1").arg(why);
        return false;
    }
    auto *bench = new DemoBench(options, parent);
    if (!bench->Start(&why)) {
        delete bench;
        if (error)
            *error = QStringLiteral("Не удалось запустить имитатор стенда: %1").arg(why);
        return false;
    }
    IniFile ini(QStringLiteral("QTM.ini"));
    ini.WriteString(QStringLiteral("QTM"), QStringLiteral("Comm Port"), bench->BenchEndpoint());
    ini.WriteString(QStringLiteral("PRIBOR"), QStringLiteral("Comm Port"), bench->FlowmeterEndpoint());
    ini.WriteInteger(QStringLiteral("QTM Address"), QStringLiteral("IMR"), bench->ImrAddress());
    ini.WriteInteger(QStringLiteral("QTM Address"), QStringLiteral("USI"), bench->UsiAddress());
    ini.WriteInteger(QStringLiteral("QTM Address"), QStringLiteral("IPT"), bench->IptAddress());
    if (!ini.UpdateFile()) {
        if (error)
            *error = QStringLiteral("Не удалось записать настройки в %1").arg(ini.FileName());
        return false;
    }
    return true;
}
