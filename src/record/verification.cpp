#include "record/verification.h"

#include "session/calcmath.h"
#include "link/inifile.h"

#include <cmath>
#include <limits>

namespace Verification
{

namespace
{
const QString kSection = QStringLiteral("Protocol");
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double Error(double reference, double measured)
{
    return CalcMath::RelativeErrorPercent(reference, measured).value_or(kNaN);
}
} // namespace

QList<double> DefaultPoints()
{
    QList<double> points;
    points << 13 << 30 << 130 << 250;
    return points;
}

Settings Settings::Read(const IniFile &ini)
{
    Settings s;
    const auto real = [&ini](const QString &key, double def, double lo, double hi) {
        const double v = ini.ReadFloat(kSection, key, def);
        return std::isfinite(v) && v >= lo && v <= hi ? v : def;
    };
    s.serial = ini.ReadString(kSection, QStringLiteral("Serial"));
    s.kind = qBound(0, ini.ReadInteger(kSection, QStringLiteral("Kind"), 0), 1);
    s.type = qBound(0, ini.ReadInteger(kSection, QStringLiteral("Type"), 0), 2);
    s.verifier = ini.ReadString(kSection, QStringLiteral("Verifier"));
    for (int i = 1; i <= 10; ++i) {
        const QString v = ini.ReadString(kSection, QStringLiteral("Verifier%1").arg(i));
        if (!v.isEmpty() && !s.verifiers.contains(v))
            s.verifiers << v;
    }
    s.plusZero = ini.ReadBool(kSection, QStringLiteral("PlusZero"), false);
    s.print = ini.ReadBool(kSection, QStringLiteral("Print"), false);
    s.closeExcel = ini.ReadBool(kSection, QStringLiteral("CloseExcel"), true);
    s.limitPercent = real(QStringLiteral("Limit"), 0.8, 0.001, 100);
    for (int i = 0; i < 4; ++i)
        s.points[i] = real(QStringLiteral("Point%1").arg(i + 1), s.points[i], 0, 10000);
    Parameters &p = s.params;
    p.transientS = real(QStringLiteral("Transient"), p.transientS, 0, 3600);
    p.readings = int(real(QStringLiteral("Readings"), p.readings, 1, 1000));
    p.periodS = real(QStringLiteral("Period"), p.periodS, 0.1, 3600);
    p.volumeTransientS = real(QStringLiteral("VolumeTransient"), p.volumeTransientS, 0, 3600);
    p.volumeM3 = real(QStringLiteral("Volume"), p.volumeM3, 0.001, 100000);
    s.folder = ini.ReadString(kSection, QStringLiteral("Folder"));
    return s;
}

void Settings::Write(IniFile &ini) const
{
    ini.WriteString(kSection, QStringLiteral("Serial"), serial);
    ini.WriteInteger(kSection, QStringLiteral("Kind"), kind);
    ini.WriteInteger(kSection, QStringLiteral("Type"), type);
    ini.WriteString(kSection, QStringLiteral("Verifier"), verifier);
    for (int i = 0; i < 10; ++i) {
        const QString key = QStringLiteral("Verifier%1").arg(i + 1);
        if (i < verifiers.size())
            ini.WriteString(kSection, key, verifiers[i]);
        else
            ini.DeleteKey(kSection, key);
    }
    ini.WriteBool(kSection, QStringLiteral("PlusZero"), plusZero);
    ini.WriteBool(kSection, QStringLiteral("Print"), print);
    ini.WriteBool(kSection, QStringLiteral("CloseExcel"), closeExcel);
    ini.WriteFloat(kSection, QStringLiteral("Limit"), limitPercent);
    for (int i = 0; i < points.size(); ++i)
        ini.WriteFloat(kSection, QStringLiteral("Point%1").arg(i + 1), points[i]);
    ini.WriteFloat(kSection, QStringLiteral("Transient"), params.transientS);
    ini.WriteInteger(kSection, QStringLiteral("Readings"), params.readings);
    ini.WriteFloat(kSection, QStringLiteral("Period"), params.periodS);
    ini.WriteFloat(kSection, QStringLiteral("VolumeTransient"), params.volumeTransientS);
    ini.WriteFloat(kSection, QStringLiteral("Volume"), params.volumeM3);
    ini.WriteString(kSection, QStringLiteral("Folder"), folder);
}

void Settings::RememberVerifier()
{
    const QString v = verifier.trimmed();
    if (v.isEmpty())
        return;
    verifiers.removeAll(v);
    verifiers.prepend(v);
    while (verifiers.size() > 10)
        verifiers.removeLast();
}

QString Settings::Problem() const
{
    if (serial.trimmed().isEmpty())
        return QStringLiteral("Не указан заводской номер поверяемого прибора");
    bool anyPoint = false;
    for (double q : points)
        anyPoint = anyPoint || q > 0;
    if (!anyPoint)
        return QStringLiteral("Не задано ни одной поверочной точки");
    return QString();
}

QString QuantityName(Quantity q)
{
    switch (q) {
    case Quantity::Flow:
        return QStringLiteral("Расход");
    case Quantity::Current:
        return QStringLiteral("Токовый выход");
    case Quantity::Volume:
        return QStringLiteral("Объем");
    case Quantity::Pulses:
        return QStringLiteral("Импульсный выход");
    }
    return QString();
}

QString QuantityUnit(Quantity q)
{
    switch (q) {
    case Quantity::Flow:
        return QStringLiteral("м3/ч");
    case Quantity::Current:
        return QStringLiteral("мА");
    case Quantity::Volume:
    case Quantity::Pulses:
        return QStringLiteral("м3");
    }
    return QString();
}

double Check::MeanReference() const
{
    double sum = 0;
    for (const Reading &r : readings)
        sum += r.reference;
    return readings.isEmpty() ? 0 : sum / readings.size();
}

double Check::MeanMeasured() const
{
    double sum = 0;
    for (const Reading &r : readings)
        sum += r.measured;
    return readings.isEmpty() ? 0 : sum / readings.size();
}

double Check::MaxError() const
{
    double worst = 0;
    for (const Reading &r : readings) {
        if (!std::isfinite(r.error))
            return kNaN;
        worst = qMax(worst, r.error);
    }
    return worst;
}

bool Check::Passed() const
{
    if (readings.isEmpty())
        return false;
    for (const Reading &r : readings)
        if (!(std::isfinite(r.error) && r.error <= limit))
            return false;
    return true;
}

Reading FlowReading(double imitated, double measured)
{
    return {imitated, measured, Error(imitated, measured)};
}

Reading CurrentReading(double measuredFlow, double measuredCurrent, double i4, double i20)
{
    const auto expected = CalcMath::ExpectedCurrent(CalcMath::NominalCurrent(measuredFlow), i4, i20);
    if (!expected)
        return {kNaN, measuredCurrent, kNaN};
    return {*expected, measuredCurrent, Error(*expected, measuredCurrent)};
}

Reading VolumeReading(double imitated, double measured)
{
    return {imitated, measured, Error(imitated, measured)};
}

Reading PulseReading(double flowmeterVolume, double pulses)
{
    const double vp = CalcMath::PulseVolume(pulses);
    return {flowmeterVolume, vp, Error(flowmeterVolume, vp)};
}

bool Record::Passed() const
{
    if (!completed || checks.isEmpty())
        return false;
    for (const Check &c : checks)
        if (!c.Passed())
            return false;
    return true;
}

QString Record::FileStem() const
{
    QString serialPart = settings.serial.trimmed();
    // Characters no file system takes.
    static const QString kBad = QStringLiteral("\\/:*?\"<>|");
    for (QChar &c : serialPart)
        if (kBad.contains(c) || c.unicode() < 32)
            c = QLatin1Char('_');
    return QStringLiteral("Протокол_%1_%2")
        .arg(serialPart, started.toString(QStringLiteral("yyyy-MM-dd_HH-mm")));
}

int PlannedSteps(const Settings &s)
{
    int points = 0;
    for (double q : s.points)
        points += q > 0 ? 1 : 0;
    return points * (1 + s.params.readings) + 2;
}

} // namespace Verification
