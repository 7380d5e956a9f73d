#include "shell/identity.h"

#include <QGuiApplication>

void SetProgramIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral("qtm-monitor"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Монитор ЦТМ-01"));
}
