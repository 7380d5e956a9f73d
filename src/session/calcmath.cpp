#include "session/calcmath.h"

#include <QVariantList>

#include <cmath>
#include <limits>

namespace CalcMath
{

std::optional<double> RelativeErrorPercent(double reference, double measured)
{
    const auto e = SignedErrorPercent(reference, measured);
    return e ? std::optional<double>(std::fabs(*e)) : std::nullopt;
}

std::optional<double> SignedErrorPercent(double reference, double measured)
{
    if (reference == 0)
        return std::nullopt;
    return (measured - reference) / reference * 100.0;
}

std::optional<double> ReducedCurrentErrorPercent(double current, double flow, double qMax)
{
    if (!(qMax > 0))
        return std::nullopt;
    return (current - NominalCurrent(flow, qMax)) / 16.0 * 100.0;
}

bool IsOutOfTolerance(double percent)
{
    return !(percent <= ErrorLimitPercent);
}

double NominalCurrent(double flow, double qMax)
{
    return 4.0 + 16.0 * (flow - 0.0) / qMax;
}

std::optional<double> ExpectedCurrent(double nominal, double i4, double i20)
{
    const double span = i20 - i4;
    if (span == 0)
        return std::nullopt;
    // The offset is taken as a magnitude: the flowmeter never shifts the scale down.
    return (16.0 / span) * nominal + std::fabs((4.0 * i20 - 20.0 * i4) / span);
}

double PulseVolume(double pulses)
{
    return pulses * PulseVolumeM3;
}

SlotEntries SlotCalibration(const CurrentTable &table, int slot)
{
    const int s = slot == 1 ? 1 : 0;
    return {table[2 + s], table[6 + s]};
}

std::optional<CurrentTable> TableFromVariant(const QVariant &value)
{
    const QVariantList list = value.toList();
    if (list.size() != TableSize)
        return std::nullopt;
    CurrentTable table{};
    for (int i = 0; i < TableSize; ++i) {
        bool ok = false;
        table[i] = list[i].toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    return table;
}

std::optional<int> CurrentSlotFromTypes(const QVariant &types)
{
    constexpr int currentBoard = 2;
    const QVariantList list = types.toList();
    for (int s = 0; s < 2 && s < list.size(); ++s) {
        bool ok = false;
        if (list[s].toInt(&ok) == currentBoard && ok)
            return s;
    }
    return std::nullopt;
}

void FlowStatistics::Reset()
{
    m_count = 0;
    m_max = -100000;
    m_min = 1000000;
    m_sum = 0;
}

bool FlowStatistics::Add(double q)
{
    if (!std::isfinite(q) || m_count == std::numeric_limits<qint32>::max())
        return false;
    m_sum += q;
    ++m_count;
    if (!(m_max >= q))
        m_max = q;
    if (m_min > q || std::isnan(m_min))
        m_min = q;
    return true;
}

double FlowStatistics::Mean() const
{
    return m_count == 0 ? 0.0 : m_sum / m_count;
}

} // namespace CalcMath
