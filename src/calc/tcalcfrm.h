#pragma once

#include "session/calcmath.h"
#include "session/calcinputs.h"

#include <QMainWindow>
#include <QVariant>

#include <memory>
#include <utility>

class BenchSession;
class QLabel;
class QLineEdit;

namespace Ui
{
class TcalcFrm;
}

// The error calculator: the view of the session's calculator inputs. Every value
// the features write there redraws the errors at once; the setters here write
// the same inputs.
class TcalcFrm : public QMainWindow
{
    Q_OBJECT
    Q_PROPERTY(double QEtalon READ QEtalon WRITE SetQEtalon)
    Q_PROPERTY(double QIzm READ QIzm WRITE SetQIzm)
    Q_PROPERTY(double IIzm READ IIzm WRITE SetIIzm)
    Q_PROPERTY(double VEtalon READ VEtalon WRITE SetVEtalon)
    Q_PROPERTY(double VIzm READ VIzm WRITE SetVIzm)
    Q_PROPERTY(double ImpIzm READ ImpIzm WRITE SetImpIzm)
    Q_PROPERTY(int Slot READ Slot WRITE SetSlot)
    Q_PROPERTY(QVariant Toki READ Toki WRITE SetToki)

public:
    explicit TcalcFrm(BenchSession &session, QWidget *parent = nullptr);
    ~TcalcFrm() override;

    CalcInputs &Inputs() const { return m_in; }
    double QEtalon() const { return m_in.QEtalon(); }
    void SetQEtalon(double x) { m_in.SetQEtalon(x); }
    double QIzm() const { return m_in.QIzm(); }
    void SetQIzm(double x) { m_in.SetQIzm(x); }
    double IIzm() const { return m_in.IIzm(); }
    void SetIIzm(double x) { m_in.SetIIzm(x); }
    double VEtalon() const { return m_in.VEtalon(); }
    void SetVEtalon(double x) { m_in.SetVEtalon(x); }
    double VIzm() const { return m_in.VIzm(); }
    void SetVIzm(double x) { m_in.SetVIzm(x); }
    double ImpIzm() const { return m_in.ImpIzm(); }
    void SetImpIzm(double x) { m_in.SetImpIzm(x); }
    int Slot() const { return m_in.Slot().value_or(0); }
    // Only 0 and 1 name a slot; anything else is refused.
    void SetSlot(int s) { m_in.SetSlot(s); }
    QVariant Toki() const { return m_in.TokiValue(); }
    // A table that is not eight numbers is refused and leaves the old one.
    void SetToki(const QVariant &table) { m_in.SetToki(table); }
    void SetStatusText(const QString &text) { m_in.SetStatusText(text); }
    QString StatusText() const;

private Q_SLOTS:
    void btnStartClick();
    void BtnClearClick();
    void Button1Click();

private:
    void OnQIzm(double x);
    void OnIIzm(double x);
    void OnVIzm(double x);
    void OnImpIzm(double x);
    void SlotTypesRead(const QVariant &value, int result);
    void TableRead(const QVariant &value, int result);
    void FormCreate();
    void FormDestroy();
    void CalcQ();
    void CalcV();
    void ShowNumber(QLineEdit *edit, double value, int decimals);
    void ShowError(QLabel *label, double percent);

    std::unique_ptr<Ui::TcalcFrm> ui;
    QLabel *SBPanel = nullptr;
    BenchSession &m_session;
    CalcInputs &m_in;
    bool StartRead = false;
    CalcMath::FlowStatistics QStat;
    qint32 ci = 0;
    qint32 cimp = 0;
};
