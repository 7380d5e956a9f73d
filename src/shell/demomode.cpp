#include "shell/demomode.h"

#include "link/inifile.h"
#include "sim/lib/demobench.h"

#include <QDir>
#include <QStandardPaths>

QString UseDemoSettingsFolder()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/demo");
    QDir().mkpath(dir);
    qputenv("QTM_CONFIG_DIR", QFile::encodeName(dir));
    return dir;
}

bool StartDemoBench(QObject *parent, QString *error)
{
    auto *bench = new DemoBench(parent);
    QString why;
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
