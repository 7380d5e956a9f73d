#pragma once

#include "session/calcmath.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <optional>

// What the error calculator compares: the reference values the imitation sets
// and the values the flowmeter, the pulse counter and the current meter measure.
// Each feature writes its own; the calculator window and the automatic
// verification read them here.
class CalcInputs : public QObject
{
    Q_OBJECT
public:
    using CurrentTable = CalcMath::CurrentTable;
    enum Measured { kQIzm, kIIzm, kVIzm, kImpIzm };

    explicit CalcInputs(QObject *parent = nullptr) : QObject(parent) {}

    double QEtalon() const { return m_qEtalon; }
    double QIzm() const { return m_qIzm; }
    double IIzm() const { return m_iIzm; }
    double VEtalon() const { return m_vEtalon; }
    double VIzm() const { return m_vIzm; }
    double ImpIzm() const { return m_impIzm; }
    // The slot whose current output is checked, once the flowmeter has told it.
    std::optional<int> Slot() const { return m_slot; }
    // The current output calibration table, once read.
    std::optional<CurrentTable> Toki() const { return m_toki; }
    QVariant TokiValue() const { return m_tokiValue; }
    // How many values each measured quantity has received.
    quint64 Readings(Measured which) const { return m_readings[which]; }
    QString StatusText() const { return m_status; }

    void SetQEtalon(double x);
    void SetQIzm(double x);
    void SetIIzm(double x);
    void SetVEtalon(double x);
    void SetVIzm(double x);
    void SetImpIzm(double x);
    // Only 0 and 1 name a slot; anything else is refused.
    void SetSlot(int s);
    // A table that is not eight numbers is refused and leaves the old one.
    void SetToki(const QVariant &table);
    // A new read of slot and table begins: both count as unknown until they arrive.
    void ForgetSlotAndTable();
    void SetStatusText(const QString &text);

Q_SIGNALS:
    void QEtalonChanged(double x);
    void QIzmChanged(double x);
    void IIzmChanged(double x);
    void VEtalonChanged(double x);
    void VIzmChanged(double x);
    void ImpIzmChanged(double x);
    void SlotChanged(int slot);
    void TokiChanged();
    void StatusTextChanged(const QString &text);

private:
    double m_qEtalon = 0;
    double m_qIzm = 0;
    double m_iIzm = 0;
    double m_vEtalon = 0;
    double m_vIzm = 0;
    double m_impIzm = 0;
    std::optional<int> m_slot;
    std::optional<CurrentTable> m_toki;
    QVariant m_tokiValue;
    quint64 m_readings[4] = {0, 0, 0, 0};
    QString m_status;
};
