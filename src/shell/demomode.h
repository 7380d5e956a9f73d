#pragma once

#include <QString>

class QObject;

// Demo mode: a settings folder of its own, so a real installation's settings are
// never touched. Sets QTM_CONFIG_DIR; call before anything reads settings.
QString UseDemoSettingsFolder();

// Starts the simulated bench on loopback (owned by parent) and points both links
// and the module addresses in "QTM.ini" at it. False with the reason on failure.
bool StartDemoBench(QObject *parent, QString *error);
