#pragma once

#include <QList>
#include <QSet>
#include <QString>

// Faults a line injects into its answers.
struct FaultPlan {
    struct ExceptionFault {
        int code = 0;
        double percent = 0;
    };
    QSet<int> silentAddresses;
    double crcPercent = 0;
    QList<ExceptionFault> exceptions;
    int slowMs = 0;

    // Adds one "--fault" text; false with a message when it is not understood.
    bool Add(const QString &text, QString *error);
};
