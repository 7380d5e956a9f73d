#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <limits>

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

enum class Quantity { Flow, Current, Volume, Pulses };
QString QuantityName(Quantity q);
QString QuantityUnit(Quantity q);
// Decimals a value of the quantity is shown with.
int QuantityDecimals(Quantity q);

// Errors are rounded to this many decimals of a percent before they meet the limit.
constexpr int kErrorDecimals = 2;
double RoundError(double percent);
// The rounding rule and the error formulas as the protocol states them.
QString RoundingRule();
QString CurrentErrorRule(double qMax);

// What belongs to the lab and its bench: entered once.
struct Lab {
    QString organisation;
    QString method;           // the method of verification followed
    QString benchSerial;      // of the ЦТМ-01 bench, the standard used
    QString benchCertificate; // its verification certificate
    QDate benchValidUntil;    // the certificate's validity
};

// The conditions of the verification, entered per run; NaN when not entered.
struct Conditions {
    double temperatureC = std::numeric_limits<double>::quiet_NaN();
    double humidityPercent = std::numeric_limits<double>::quiet_NaN();
    double pressureKPa = std::numeric_limits<double>::quiet_NaN();
    double voltageV = std::numeric_limits<double>::quiet_NaN();
};

struct Settings {
    QString serial;
    QString owner;
    QString registerNumber; // of the meter's type in the state register
    int kind = 0;           // "Первичная", "Периодическая"
    int type = PulseAndCurrent;
    QString verifier;
    QStringList verifiers; // used before, newest first
    bool visualOk = true;  // external inspection
    bool trialOk = true;   // trial run
    bool print = false;
    bool closeExcel = true;
    // Permissible errors, percent, by Quantity.
    std::array<double, 4> limits{0.8, 0.8, 0.8, 0.8};
    double qMax = 300;          // flow rate at 20 mA of the current output, m3/h
    double pulseWeight = 0.001; // m3 a pulse
    QList<double> points = DefaultPoints();
    Parameters params;
    Conditions conditions;
    Lab lab;
    QString folder; // where protocols go; asked once

    bool WithCurrent() const { return type == PulseAndCurrent; }
    bool WithPulses() const { return type == PulseAndCurrent || type == PulseOnly; }
    double Limit(Quantity q) const { return limits[size_t(q)]; }
    // The smallest volume run in which one pulse is at most a tenth of the pulse limit, m3.
    double MinPulseVolume() const;

    // Section "Protocol" of "QTM.ini"; a value that does not read keeps its default.
    static Settings Read(const IniFile &ini);
    void Write(IniFile &ini) const;
    // Puts the verifier first in the list of those used before (at most ten).
    void RememberVerifier();
    // A text saying what is wrong, empty when the settings can run on that day.
    QString Problem(const QDate &today = QDate::currentDate()) const;
};

struct Reading {
    double reference = 0;
    double measured = 0;
    double error = 0; // percent, with its sign; NaN when it cannot be computed
};

// One check: a flow rate at a point, the current at a point, the volume, or the pulses.
struct Check {
    Quantity quantity = Quantity::Flow;
    double point = 0; // set flow rate, m3/h
    double limit = 0.8;
    QList<Reading> readings;

    enum class Result { Passed, Failed, NotDone };

    double MeanReference() const;
    double MeanMeasured() const;
    // The error of the largest magnitude, with its sign; NaN when any error is not a number.
    double MaxError() const;
    // Not done when it has no readings or an error could not be computed; passed when
    // every rounded error is within the limit.
    Result Outcome() const;
    bool Passed() const { return Outcome() == Result::Passed; }
    QString ResultText() const; // "годен", "не годен", "не выполнено"
    QString Title() const;      // e.g. "Токовый выход 30 м3/ч"
};

// Errors of one reading: relative to the reference for flow, volume and pulses (the
// pulses against the reference volume), reduced to the 16 mA span for the current.
Reading FlowReading(double imitated, double measured);
// The current against what the output should give for the flowmeter's own flow rate.
Reading CurrentReading(double measuredFlow, double measuredCurrent, double qMax);
Reading VolumeReading(double imitated, double measured);
Reading PulseReading(double imitatedVolume, double pulses, double pulseWeight);

struct Record {
    int number = 0; // of the protocol, given by the journal in sequence; 0 before
    QDateTime started;
    QDateTime finished;
    Settings settings;
    QStringList modules; // identifications of the bench modules
    double delayStep = 0;
    QString model;
    QString flowmeter; // identification of the flowmeter
    QString software;  // name and version of the program that made the record
    QList<Check> checks;
    bool completed = false;
    QString failure; // why the run ended early: a stop, a lost link, a fault

    // Completed, inspected and tried, every check made and passed.
    bool Passed() const;
    // Not completed, or a check could not be made.
    bool Incomplete() const;
    // "годен", "не годен" or "поверка не завершена".
    QString Verdict() const;
    // The conclusion in words, with what was not done.
    QString Conclusion() const;
    // What the operator is told at the end of the run.
    QString Announcement() const;
    // The meter as the protocol names it: model, serial number, identification.
    QString Instrument() const;
    // File name stem: serial number and date.
    QString FileStem() const;
};

// Steps of a run for its progress: per point the transient and the readings, then the
// volume check.
int PlannedSteps(const Settings &s);

} // namespace Verification
