#include "record/recordjson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>

namespace RecordJson
{

using namespace Verification;

namespace
{
// JSON has no NaN: a value that could not be computed is kept as null.
QJsonValue Number(double v)
{
    return std::isfinite(v) ? QJsonValue(v) : QJsonValue();
}

double Number(const QJsonValue &v)
{
    return v.isDouble() ? v.toDouble() : std::numeric_limits<double>::quiet_NaN();
}

QJsonArray Strings(const QStringList &list)
{
    return QJsonArray::fromStringList(list);
}

QStringList Strings(const QJsonValue &v)
{
    QStringList out;
    for (const QJsonValue &s : v.toArray())
        out << s.toString();
    return out;
}

QString Stamp(const QDateTime &t)
{
    return t.toString(Qt::ISODateWithMs);
}

QDateTime Stamp(const QJsonValue &v)
{
    return QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
}

QJsonObject WriteSettings(const Settings &s)
{
    QJsonArray points;
    for (double q : s.points)
        points << q;
    QJsonArray limits;
    for (double l : s.limits)
        limits << l;
    const Conditions &c = s.conditions;
    const Lab &l = s.lab;
    return {
        {QStringLiteral("serial"), s.serial},
        {QStringLiteral("owner"), s.owner},
        {QStringLiteral("registerNumber"), s.registerNumber},
        {QStringLiteral("kind"), s.kind},
        {QStringLiteral("type"), s.type},
        {QStringLiteral("verifier"), s.verifier},
        {QStringLiteral("visualOk"), s.visualOk},
        {QStringLiteral("trialOk"), s.trialOk},
        {QStringLiteral("limits"), limits},
        {QStringLiteral("qMax"), Number(s.qMax)},
        {QStringLiteral("pulseWeight"), Number(s.pulseWeight)},
        {QStringLiteral("temperature"), Number(c.temperatureC)},
        {QStringLiteral("humidity"), Number(c.humidityPercent)},
        {QStringLiteral("pressure"), Number(c.pressureKPa)},
        {QStringLiteral("voltage"), Number(c.voltageV)},
        {QStringLiteral("organisation"), l.organisation},
        {QStringLiteral("method"), l.method},
        {QStringLiteral("benchSerial"), l.benchSerial},
        {QStringLiteral("benchCertificate"), l.benchCertificate},
        {QStringLiteral("benchValidUntil"), l.benchValidUntil.toString(Qt::ISODate)},
        {QStringLiteral("points"), points},
        {QStringLiteral("transient"), s.params.transientS},
        {QStringLiteral("readings"), s.params.readings},
        {QStringLiteral("period"), s.params.periodS},
        {QStringLiteral("volumeTransient"), s.params.volumeTransientS},
        {QStringLiteral("volume"), s.params.volumeM3},
    };
}

Settings ReadSettings(const QJsonObject &o)
{
    Settings s;
    s.serial = o.value(QStringLiteral("serial")).toString();
    s.owner = o.value(QStringLiteral("owner")).toString();
    s.registerNumber = o.value(QStringLiteral("registerNumber")).toString();
    s.kind = o.value(QStringLiteral("kind")).toInt();
    s.type = o.value(QStringLiteral("type")).toInt();
    s.verifier = o.value(QStringLiteral("verifier")).toString();
    s.visualOk = o.value(QStringLiteral("visualOk")).toBool();
    s.trialOk = o.value(QStringLiteral("trialOk")).toBool();
    const QJsonArray limits = o.value(QStringLiteral("limits")).toArray();
    for (size_t i = 0; i < s.limits.size(); ++i)
        s.limits[i] = Number(limits.at(qsizetype(i)));
    s.qMax = Number(o.value(QStringLiteral("qMax")));
    s.pulseWeight = Number(o.value(QStringLiteral("pulseWeight")));
    Conditions &c = s.conditions;
    c.temperatureC = Number(o.value(QStringLiteral("temperature")));
    c.humidityPercent = Number(o.value(QStringLiteral("humidity")));
    c.pressureKPa = Number(o.value(QStringLiteral("pressure")));
    c.voltageV = Number(o.value(QStringLiteral("voltage")));
    Lab &l = s.lab;
    l.organisation = o.value(QStringLiteral("organisation")).toString();
    l.method = o.value(QStringLiteral("method")).toString();
    l.benchSerial = o.value(QStringLiteral("benchSerial")).toString();
    l.benchCertificate = o.value(QStringLiteral("benchCertificate")).toString();
    l.benchValidUntil = QDate::fromString(o.value(QStringLiteral("benchValidUntil")).toString(), Qt::ISODate);
    s.points.clear();
    for (const QJsonValue &q : o.value(QStringLiteral("points")).toArray())
        s.points << q.toDouble();
    s.params.transientS = Number(o.value(QStringLiteral("transient")));
    s.params.readings = o.value(QStringLiteral("readings")).toInt();
    s.params.periodS = Number(o.value(QStringLiteral("period")));
    s.params.volumeTransientS = Number(o.value(QStringLiteral("volumeTransient")));
    s.params.volumeM3 = Number(o.value(QStringLiteral("volume")));
    return s;
}

QJsonObject WriteCheck(const Check &c)
{
    QJsonArray readings;
    for (const Reading &r : c.readings)
        readings << QJsonArray{Number(r.reference), Number(r.measured), Number(r.error)};
    return {
        {QStringLiteral("quantity"), int(c.quantity)},
        {QStringLiteral("point"), c.point},
        {QStringLiteral("limit"), c.limit},
        {QStringLiteral("readings"), readings},
    };
}

Check ReadCheck(const QJsonObject &o)
{
    Check c;
    c.quantity = Quantity(qBound(0, o.value(QStringLiteral("quantity")).toInt(), int(Quantity::Pulses)));
    c.point = Number(o.value(QStringLiteral("point")));
    c.limit = Number(o.value(QStringLiteral("limit")));
    for (const QJsonValue &v : o.value(QStringLiteral("readings")).toArray()) {
        const QJsonArray r = v.toArray();
        c.readings << Reading{Number(r.at(0)), Number(r.at(1)), Number(r.at(2))};
    }
    return c;
}
} // namespace

QByteArray Write(const Record &record)
{
    QJsonArray checks;
    for (const Check &c : record.checks)
        checks << WriteCheck(c);
    const QJsonObject o{
        {QStringLiteral("version"), kVersion},
        {QStringLiteral("number"), record.number},
        {QStringLiteral("started"), Stamp(record.started)},
        {QStringLiteral("finished"), Stamp(record.finished)},
        {QStringLiteral("settings"), WriteSettings(record.settings)},
        {QStringLiteral("modules"), Strings(record.modules)},
        {QStringLiteral("delayStep"), Number(record.delayStep)},
        {QStringLiteral("model"), record.model},
        {QStringLiteral("flowmeter"), record.flowmeter},
        {QStringLiteral("software"), record.software},
        {QStringLiteral("checks"), checks},
        {QStringLiteral("completed"), record.completed},
        {QStringLiteral("failure"), record.failure},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<Record> Read(const QByteArray &json)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    const int version = o.value(QStringLiteral("version")).toInt();
    if (version < 1 || version > kVersion)
        return std::nullopt;
    Record r;
    r.number = o.value(QStringLiteral("number")).toInt();
    r.started = Stamp(o.value(QStringLiteral("started")));
    r.finished = Stamp(o.value(QStringLiteral("finished")));
    r.settings = ReadSettings(o.value(QStringLiteral("settings")).toObject());
    r.modules = Strings(o.value(QStringLiteral("modules")));
    r.delayStep = Number(o.value(QStringLiteral("delayStep")));
    r.model = o.value(QStringLiteral("model")).toString();
    r.flowmeter = o.value(QStringLiteral("flowmeter")).toString();
    r.software = o.value(QStringLiteral("software")).toString();
    for (const QJsonValue &c : o.value(QStringLiteral("checks")).toArray())
        r.checks << ReadCheck(c.toObject());
    r.completed = o.value(QStringLiteral("completed")).toBool();
    r.failure = o.value(QStringLiteral("failure")).toString();
    return r;
}

} // namespace RecordJson
