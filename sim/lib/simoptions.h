#pragma once

#include "faultplan.h"

#include <QString>
#include <QStringList>

// How the simulated bench is set up.
struct SimOptions {
    QString bench = "tcp://127.0.0.1:1502";
    QString flowmeter = "tcp://127.0.0.1:1503";
    int imrAddress = 1;
    int usiAddress = 2;
    int iptAddress = 3;
    int flowmeterAddress = 1;
    int model = 0;
    double delayNs = 600.0;
    double flowErrorPercent = 0.0;
    int gcChannels = 4;            // channel count the row 6 flowmeter reports
    double slotErrorPercent = 1.5; // error of its slot current outputs before calibration
    double slotErrorMa = 0.0;
    double currentErrorPercent = 0.0; // error of its main current output
    double currentErrorMa = 0.0;
    bool exact = false;
    int lineSpeed = 0; // 0: answers as fast as the host allows
    double iptGain = 1.0;  // the current meter's converters count this many times faster than built
    int iptStuck = 0;      // a current meter channel (1..4) whose raw sum no longer follows its input
    bool trace = false; // every frame in and out on standard output
    FaultPlan faults;

    // Parses the command line (arguments after the program name). False with a
    // message on bad arguments; `help` is set for --help.
    bool Parse(const QStringList &args, QString *error, bool *help = nullptr);
    static QString Usage();
};
