#pragma once

#include <QString>
#include <QVariant>

// What the flowmeter results hand to the error calculator.
class ICalcSink
{
public:
    virtual ~ICalcSink() = default;
    virtual void SetQIzm(double q) = 0;
    virtual void SetVIzm(double v) = 0;
    virtual void SetSlot(int slot) = 0;
    virtual void SetToki(const QVariant &table) = 0;
    // Panel 0 of the calculator's status bar.
    virtual void SetStatusText(const QString &text) = 0;
};
