#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QtGlobal>

// Faults a line injects into its answers.
struct FaultPlan {
    struct ExceptionFault {
        int code = 0;
        double percent = 0;
    };
    // A module refuses writes to one holding register (of one value, or any).
    struct WriteRefusal {
        int address = 0;
        int reg = 0;
        int value = -1; // -1: any value
        int code = 4;   // exception code of the refusal
    };
    // After one command the ИМР reports a chosen state, error or last-command code.
    struct CommandOutcome {
        int address = 0;
        int command = 0;
        int state = -1; // -1: as the automaton makes it
        int error = -1;
        int last = -1;
    };
    QSet<int> silentAddresses;
    double crcPercent = 0;
    QList<ExceptionFault> exceptions;
    int slowMs = 0;
    QList<WriteRefusal> refusals;
    QList<CommandOutcome> outcomes;

    // The exception code a write of `values` from holding `first` of the module at
    // `address` gets; 0 when it is not refused.
    int Refusal(int address, int first, const QList<quint16> &values) const;
    // The outcome forced for a command of the module at `address`; null for none.
    const CommandOutcome *Outcome(int address, int command) const;

    // Adds one "--fault" text; false with a message when it is not understood.
    bool Add(const QString &text, QString *error);
};
