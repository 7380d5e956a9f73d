#pragma once

#include <QVariant>

#include <array>
#include <optional>

// Arithmetic of the error calculator, free of widgets so it can be checked alone.
namespace CalcMath
{

// Errors above this many percent are out of tolerance.
inline constexpr double ErrorLimitPercent = 0.8;
// Volume of one counted pulse, m3.
inline constexpr double PulseVolumeM3 = 0.001;
// The current output maps 0..300 m3/h onto 4..20 mA.
inline constexpr double FullScaleFlow = 300.0;
inline constexpr int TableSize = 8;

using CurrentTable = std::array<double, TableSize>;

// |(reference - measured) / reference| * 100; empty when reference is 0,
// since nothing can be said against a missing reference.
std::optional<double> RelativeErrorPercent(double reference, double measured);

// (measured - reference) / reference * 100, keeping the sign so a bias shows; empty
// when reference is 0.
std::optional<double> SignedErrorPercent(double reference, double measured);

// Error of a 4..20 mA output reduced to its 16 mA span: (I - I(Q)) / 16 mA * 100,
// I(Q) the current the output should give for the flow rate Q on a 0..qMax scale;
// empty when qMax is not positive.
std::optional<double> ReducedCurrentErrorPercent(double current, double flow, double qMax);

// True when the error is out of tolerance (shown red); a value that is not a
// number is never within tolerance.
bool IsOutOfTolerance(double percent);

// Current the output should deliver for a flow rate, not limited to the scale.
double NominalCurrent(double flow, double qMax = FullScaleFlow);

// Nominal current corrected by the 4 mA and 20 mA table entries; empty when the
// two entries are equal.
std::optional<double> ExpectedCurrent(double nominal, double i4, double i20);

// Volume of a pulse count, m3.
double PulseVolume(double pulses);

struct SlotEntries {
    double i4 = 0;
    double i20 = 0;
};
// Table entries of one slot (0 or 1): point k of slot s sits at 2k + s.
SlotEntries SlotCalibration(const CurrentTable &table, int slot);

// The table as numbers; empty unless it holds exactly eight numeric values.
std::optional<CurrentTable> TableFromVariant(const QVariant &value);

// Slot number from the two slot types read from the flowmeter: the first slot
// holding a current board (type 2), or empty when neither does.
std::optional<int> CurrentSlotFromTypes(const QVariant &types);

// Running maximum, minimum and mean of measured flow rates.
class FlowStatistics
{
public:
    void Reset();
    // Takes one reading; a reading that is not a finite number is refused so it
    // cannot spoil the mean until the next reset.
    bool Add(double q);
    double Max() const { return m_max; }
    double Min() const { return m_min; }
    qint32 Count() const { return m_count; }
    // Mean of the readings taken since the last reset; 0 before the first.
    double Mean() const;

private:
    // Until the first reset the extremes start at 0, as the operators know it.
    double m_sum = 0;
    double m_max = 0;
    double m_min = 0;
    qint32 m_count = 0;
};


} // namespace CalcMath
