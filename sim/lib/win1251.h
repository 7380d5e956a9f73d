#pragma once

#include <QByteArray>
#include <QString>

// Text as the modules' firmware stores it: Windows-1251, '?' for characters it lacks.
QByteArray ToWindows1251(const QString &text);
