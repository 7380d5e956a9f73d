#include "shell/demomode.h"

#include <QDir>
#include <QStandardPaths>

QString UseDemoSettingsFolder()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/demo");
    QDir().mkpath(dir);
    qputenv("QTM_CONFIG_DIR", QFile::encodeName(dir));
    return dir;
}

bool StartDemoBench(QString *error)
{
    if (error)
        *error = QStringLiteral("Демонстрационный режим недоступен: в программу не встроен имитатор стенда.");
    return false;
}
