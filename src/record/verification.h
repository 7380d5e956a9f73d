#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class IniFile;

// The automatic verification of a flowmeter: its settings, what it measured and
// what it concluded. Free of windows and links, so it can be checked alone.
namespace Verification
{

// Items of "Тип протокола", in their order.
// 13, 30, 130 and 250 m3/h.
QList<double> DefaultPoints();

enum ProtocolType { PulseAndCurrent = 0, PulseOnly = 1, FlowAndVolumeOnly = 2 };

struct Parameters {
    double transientS = 20;      // after a flow change
    int readings = 5;            // per flow rate
    double periodS = 2;          // between readings
    double volumeTransientS = 5; // before the volume check counts
    double volumeM3 = 1;         // volume of the volume check
};

struct Settings {
    QString serial;
    int kind = 0; // "Первичная", "Периодическая"
    int type = PulseAndCurrent;
    QString verifier;
    QStringList verifiers; // used before, newest first
    bool plusZero = false;
    bool print = false;
    bool closeExcel = true;
    double limitPercent = 0.8;
    QList<double> points = DefaultPoints();
    Parameters params;
    QString folder; // where protocols go; asked once

    bool WithCurrent() const { return type == PulseAndCurrent; }
    bool WithPulses() const { return type == PulseAndCurrent || type == PulseOnly; }

    // Section "Protocol" of "QTM.ini"; a value that does not read keeps its default.
    static Settings Read(const IniFile &ini);
    void Write(IniFile &ini) const;
    // Puts the verifier first in the list of those used before (at most ten).
    void RememberVerifier();
    // A text saying what is wrong, empty when the settings can run.
    QString Problem() const;
};

enum class Quantity { Flow, Current, Volume, Pulses };
QString QuantityName(Quantity q);
QString QuantityUnit(Quantity q);

struct Reading {
    double reference = 0;
    double measured = 0;
    double error = 0; // percent; NaN when it cannot be computed
};

// One check: a flow rate at a point, the current at a point, the volume, or the pulses.
struct Check {
    Quantity quantity = Quantity::Flow;
    double point = 0; // set flow rate, m3/h
    double limit = 0.8;
    QList<Reading> readings;

    double MeanReference() const;
    double MeanMeasured() const;
    double MaxError() const; // NaN when any error is not a number
    // Every reading within the limit; a check without readings has not passed.
    bool Passed() const;
};

// Errors of one reading, as the calculator computes them.
Reading FlowReading(double imitated, double measured);
// Expected current for the measured flow rate, corrected by the output's 4 and 20 mA
// table entries (4 and 20 when the table is not known).
Reading CurrentReading(double measuredFlow, double measuredCurrent, double i4 = 4, double i20 = 20);
Reading VolumeReading(double imitated, double measured);
Reading PulseReading(double flowmeterVolume, double pulses);

struct Record {
    int number = 0; // of the protocol, given by the journal in sequence; 0 before
    QDateTime started;
    QDateTime finished;
    Settings settings;
    QStringList modules; // identifications of the bench modules
    double delayStep = 0;
    QString model;
    QString flowmeter; // identification of the flowmeter
    QList<Check> checks;
    bool completed = false;
    QString failure; // why the run ended early: a stop, a lost link, a fault

    bool Passed() const;
    QString Verdict() const { return Passed() ? QStringLiteral("годен") : QStringLiteral("не годен"); }
    // File name stem: serial number and date.
    QString FileStem() const;
};

// Steps of a run for its progress: per point the transient and the readings, then the
// volume check.
int PlannedSteps(const Settings &s);

} // namespace Verification
