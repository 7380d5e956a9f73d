#include "record/verification.h"

#include "link/conventions.h"
#include "link/inifile.h"
#include "session/calcmath.h"

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
    return CalcMath::SignedErrorPercent(reference, measured).value_or(kNaN);
}

const QString kLimitKeys[] = {QStringLiteral("LimitFlow"), QStringLiteral("LimitCurrent"),
                              QStringLiteral("LimitVolume"), QStringLiteral("LimitPulses")};
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");

QString Listed(const QStringList &items)
{
    return items.join(QStringLiteral(", "));
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
    const auto optional = [&ini](const QString &key, double lo, double hi) {
        const double v = ini.ReadFloat(kSection, key, kNaN);
        return std::isfinite(v) && v >= lo && v <= hi ? v : kNaN;
    };
    s.serial = ini.ReadString(kSection, QStringLiteral("Serial"));
    s.owner = ini.ReadString(kSection, QStringLiteral("Owner"));
    s.registerNumber = ini.ReadString(kSection, QStringLiteral("RegisterNumber"));
    s.kind = qBound(0, ini.ReadInteger(kSection, QStringLiteral("Kind"), 0), 1);
    s.type = qBound(0, ini.ReadInteger(kSection, QStringLiteral("Type"), 0), 2);
    s.verifier = ini.ReadString(kSection, QStringLiteral("Verifier"));
    for (int i = 1; i <= 10; ++i) {
        const QString v = ini.ReadString(kSection, QStringLiteral("Verifier%1").arg(i));
        if (!v.isEmpty() && !s.verifiers.contains(v))
            s.verifiers << v;
    }
    s.visualOk = ini.ReadBool(kSection, QStringLiteral("VisualOk"), true);
    s.trialOk = ini.ReadBool(kSection, QStringLiteral("TrialOk"), true);
    s.print = ini.ReadBool(kSection, QStringLiteral("Print"), false);
    s.closeExcel = ini.ReadBool(kSection, QStringLiteral("CloseExcel"), true);
    // One limit served every quantity before; it is the default of each.
    const double common = real(QStringLiteral("Limit"), 0.8, 0.01, 100);
    for (size_t i = 0; i < s.limits.size(); ++i)
        s.limits[i] = real(kLimitKeys[i], common, 0.01, 100);
    s.qMax = real(QStringLiteral("QMax"), s.qMax, 0.001, 100000);
    s.pulseWeight = real(QStringLiteral("PulseWeight"), s.pulseWeight, 1e-7, 1000);
    Conditions &c = s.conditions;
    c.temperatureC = optional(QStringLiteral("Temperature"), -50, 70);
    c.humidityPercent = optional(QStringLiteral("Humidity"), 0, 100);
    c.pressureKPa = optional(QStringLiteral("Pressure"), 50, 120);
    c.voltageV = optional(QStringLiteral("Voltage"), 1, 400);
    Lab &l = s.lab;
    l.organisation = ini.ReadString(kSection, QStringLiteral("Organisation"));
    l.method = ini.ReadString(kSection, QStringLiteral("Method"));
    l.benchSerial = ini.ReadString(kSection, QStringLiteral("BenchSerial"));
    l.benchCertificate = ini.ReadString(kSection, QStringLiteral("BenchCertificate"));
    l.benchValidUntil =
        QDate::fromString(ini.ReadString(kSection, QStringLiteral("BenchValidUntil")), kDateFormat);
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
    const auto optional = [&ini](const QString &key, double v) {
        if (std::isfinite(v))
            ini.WriteFloat(kSection, key, v);
        else
            ini.DeleteKey(kSection, key);
    };
    ini.WriteString(kSection, QStringLiteral("Serial"), serial);
    ini.WriteString(kSection, QStringLiteral("Owner"), owner);
    ini.WriteString(kSection, QStringLiteral("RegisterNumber"), registerNumber);
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
    ini.WriteBool(kSection, QStringLiteral("VisualOk"), visualOk);
    ini.WriteBool(kSection, QStringLiteral("TrialOk"), trialOk);
    ini.WriteBool(kSection, QStringLiteral("Print"), print);
    ini.WriteBool(kSection, QStringLiteral("CloseExcel"), closeExcel);
    ini.DeleteKey(kSection, QStringLiteral("Limit"));
    ini.DeleteKey(kSection, QStringLiteral("PlusZero"));
    for (size_t i = 0; i < limits.size(); ++i)
        ini.WriteFloat(kSection, kLimitKeys[i], limits[i]);
    ini.WriteFloat(kSection, QStringLiteral("QMax"), qMax);
    ini.WriteFloat(kSection, QStringLiteral("PulseWeight"), pulseWeight);
    optional(QStringLiteral("Temperature"), conditions.temperatureC);
    optional(QStringLiteral("Humidity"), conditions.humidityPercent);
    optional(QStringLiteral("Pressure"), conditions.pressureKPa);
    optional(QStringLiteral("Voltage"), conditions.voltageV);
    ini.WriteString(kSection, QStringLiteral("Organisation"), lab.organisation);
    ini.WriteString(kSection, QStringLiteral("Method"), lab.method);
    ini.WriteString(kSection, QStringLiteral("BenchSerial"), lab.benchSerial);
    ini.WriteString(kSection, QStringLiteral("BenchCertificate"), lab.benchCertificate);
    ini.WriteString(kSection, QStringLiteral("BenchValidUntil"), lab.benchValidUntil.toString(kDateFormat));
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

double Settings::MinPulseVolume() const
{
    // One pulse is pulseWeight / V * 100 percent of the volume; it must stay within a
    // tenth of the limit.
    return pulseWeight * 100 / (Limit(Quantity::Pulses) / 10);
}

QString Settings::Problem(const QDate &today) const
{
    if (serial.trimmed().isEmpty())
        return QStringLiteral("Не указан заводской номер поверяемого прибора");
    bool anyPoint = false;
    for (double q : points)
        anyPoint = anyPoint || q > 0;
    if (!anyPoint)
        return QStringLiteral("Не задано ни одной поверочной точки");
    const Conditions &c = conditions;
    QStringList missing;
    if (!std::isfinite(c.temperatureC))
        missing << QStringLiteral("температура");
    if (!std::isfinite(c.humidityPercent))
        missing << QStringLiteral("влажность");
    if (!std::isfinite(c.pressureKPa))
        missing << QStringLiteral("давление");
    if (!std::isfinite(c.voltageV))
        missing << QStringLiteral("напряжение питания");
    if (!missing.isEmpty())
        return QStringLiteral("Не указаны условия поверки: %1").arg(Listed(missing));
    missing.clear();
    if (lab.organisation.trimmed().isEmpty())
        missing << QStringLiteral("организация");
    if (lab.method.trimmed().isEmpty())
        missing << QStringLiteral("методика поверки");
    if (lab.benchSerial.trimmed().isEmpty())
        missing << QStringLiteral("заводской номер стенда");
    if (lab.benchCertificate.trimmed().isEmpty() || !lab.benchValidUntil.isValid())
        missing << QStringLiteral("свидетельство о поверке стенда и срок его действия");
    if (!missing.isEmpty())
        return QStringLiteral("Не заданы данные лаборатории и стенда (кнопка \"Лаборатория и стенд...\"): %1")
            .arg(Listed(missing));
    if (lab.benchValidUntil < today)
        return QStringLiteral("Срок действия свидетельства о поверке стенда истёк %1: стенд не может служить "
                              "эталоном")
            .arg(lab.benchValidUntil.toString(QStringLiteral("dd.MM.yyyy")));
    if (WithPulses() && params.volumeM3 < MinPulseVolume() * (1 - 1e-9))
        return QStringLiteral(
                   "Объём поверки %1 м3 мал для импульсного выхода: один импульс (%2 м3) составит %3 % "
                   "объёма, больше десятой доли предела %4 %. Задайте объём не меньше %5 м3 или "
                   "меньший вес импульса")
            .arg(FormatDecimals(params.volumeM3, 4), FormatDecimals(pulseWeight, 7),
                 FormatDecimals(pulseWeight / params.volumeM3 * 100, 3),
                 FormatDecimals(Limit(Quantity::Pulses), 2), FormatDecimals(MinPulseVolume(), 4));
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

int QuantityDecimals(Quantity q)
{
    return q == Quantity::Volume || q == Quantity::Pulses ? 4 : 3;
}

double RoundError(double percent)
{
    constexpr double scale = 100; // 10^kErrorDecimals
    return std::round(percent * scale) / scale;
}

QString RoundingRule()
{
    return QStringLiteral("погрешности округляются до 0,01 % (половина - от нуля); прибор соответствует, "
                          "если модуль округлённой погрешности не больше предела");
}

QString CurrentErrorRule(double qMax)
{
    return QStringLiteral("приведённая к диапазону 16 мА: γ = (I - Iр) / 16 мА · 100 %, "
                          "Iр = 4 мА + 16 мА · Q / Qmax, Q - расход по показаниям прибора, Qmax = %1 м3/ч")
        .arg(FormatDecimals(qMax, 3));
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
    if (readings.isEmpty())
        return kNaN;
    double worst = 0;
    for (const Reading &r : readings) {
        if (!std::isfinite(r.error))
            return kNaN;
        if (std::fabs(r.error) > std::fabs(worst))
            worst = r.error;
    }
    return worst;
}

Check::Result Check::Outcome() const
{
    const double worst = MaxError();
    if (!std::isfinite(worst))
        return Result::NotDone;
    return std::fabs(RoundError(worst)) <= limit ? Result::Passed : Result::Failed;
}

QString Check::ResultText() const
{
    switch (Outcome()) {
    case Result::Passed:
        return QStringLiteral("годен");
    case Result::Failed:
        return QStringLiteral("не годен");
    case Result::NotDone:
        break;
    }
    return QStringLiteral("не выполнено");
}

QString Check::Title() const
{
    if (quantity == Quantity::Flow || quantity == Quantity::Current)
        return QStringLiteral("%1 %2 м3/ч").arg(QuantityName(quantity), FormatDecimals(point, 3));
    return QuantityName(quantity);
}

Reading FlowReading(double imitated, double measured)
{
    return {imitated, measured, Error(imitated, measured)};
}

Reading CurrentReading(double measuredFlow, double measuredCurrent, double qMax)
{
    const auto error = CalcMath::ReducedCurrentErrorPercent(measuredCurrent, measuredFlow, qMax);
    if (!error || !std::isfinite(*error))
        return {kNaN, measuredCurrent, kNaN};
    return {CalcMath::NominalCurrent(measuredFlow, qMax), measuredCurrent, *error};
}

Reading VolumeReading(double imitated, double measured)
{
    return {imitated, measured, Error(imitated, measured)};
}

Reading PulseReading(double imitatedVolume, double pulses, double pulseWeight)
{
    const double vp = pulses * pulseWeight;
    return {imitatedVolume, vp, Error(imitatedVolume, vp)};
}

bool Record::Passed() const
{
    if (Incomplete() || !settings.visualOk || !settings.trialOk)
        return false;
    for (const Check &c : checks)
        if (!c.Passed())
            return false;
    return true;
}

bool Record::Incomplete() const
{
    if (!completed || checks.isEmpty())
        return true;
    for (const Check &c : checks)
        if (c.Outcome() == Check::Result::NotDone)
            return true;
    return false;
}

QString Record::Verdict() const
{
    if (Passed())
        return QStringLiteral("годен");
    bool failed = !settings.visualOk || !settings.trialOk;
    for (const Check &c : checks)
        failed = failed || c.Outcome() == Check::Result::Failed;
    return failed ? QStringLiteral("не годен") : QStringLiteral("поверка не завершена");
}

QString Record::Conclusion() const
{
    QStringList notDone;
    for (const Check &c : checks)
        if (c.Outcome() == Check::Result::NotDone)
            notDone << c.Title();
    QString why;
    if (!completed)
        why = failure.isEmpty() ? QStringLiteral("поверка не завершена")
                                : QStringLiteral("поверка не завершена (%1)").arg(failure);
    else if (!notDone.isEmpty())
        why = QStringLiteral("поверка не завершена: не выполнено - %1").arg(Listed(notDone));
    const QString verdict = Verdict();
    if (verdict == QStringLiteral("поверка не завершена"))
        return why;
    const QString meter = QStringLiteral("прибор %1").arg(verdict);
    return why.isEmpty() ? meter : meter + QStringLiteral("; ") + why;
}

QString Record::Announcement() const
{
    const QString conclusion = Conclusion();
    if (Verdict() == QStringLiteral("поверка не завершена"))
        return conclusion.left(1).toUpper() + conclusion.mid(1);
    return QStringLiteral("Поверка завершена: %1").arg(conclusion);
}

QString Record::Instrument() const
{
    QStringList parts;
    if (!model.trimmed().isEmpty())
        parts << model.trimmed();
    parts << QStringLiteral("зав. № %1").arg(settings.serial.trimmed());
    if (!flowmeter.trimmed().isEmpty() && flowmeter.trimmed() != model.trimmed())
        parts << flowmeter.trimmed();
    return Listed(parts);
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
