#include "session/calcinputs.h"

void CalcInputs::SetQEtalon(double x)
{
    m_qEtalon = x;
    Q_EMIT QEtalonChanged(x);
}

void CalcInputs::SetQIzm(double x)
{
    m_qIzm = x;
    ++m_readings[kQIzm];
    Q_EMIT QIzmChanged(x);
}

void CalcInputs::SetIIzm(double x)
{
    m_iIzm = x;
    ++m_readings[kIIzm];
    Q_EMIT IIzmChanged(x);
}

void CalcInputs::SetVEtalon(double x)
{
    m_vEtalon = x;
    Q_EMIT VEtalonChanged(x);
}

void CalcInputs::SetVIzm(double x)
{
    m_vIzm = x;
    ++m_readings[kVIzm];
    Q_EMIT VIzmChanged(x);
}

void CalcInputs::SetImpIzm(double x)
{
    m_impIzm = x;
    ++m_readings[kImpIzm];
    Q_EMIT ImpIzmChanged(x);
}

void CalcInputs::SetSlot(int s)
{
    if (s != 0 && s != 1)
        return;
    m_slot = s;
    Q_EMIT SlotChanged(s);
}

void CalcInputs::SetToki(const QVariant &table)
{
    const auto numbers = CalcMath::TableFromVariant(table);
    if (!numbers)
        return;
    m_toki = numbers;
    m_tokiValue = table;
    Q_EMIT TokiChanged();
}

void CalcInputs::ForgetSlotAndTable()
{
    m_slot.reset();
    m_toki.reset();
}

void CalcInputs::SetStatusText(const QString &text)
{
    m_status = text;
    Q_EMIT StatusTextChanged(text);
}
