#pragma once

#include <QString>

// Demo mode: a settings folder of its own, so a real installation's settings are
// never touched. Sets QTM_CONFIG_DIR; call before anything reads settings.
QString UseDemoSettingsFolder();

// Starts the simulated bench and points both links at it. Returns false with a
// message for the operator when the simulated bench is not available.
bool StartDemoBench(QString *error);
