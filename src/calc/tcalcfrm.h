#pragma once

#include "calc/calcmath.h"
#include "flowmeter/calcsink.h"

#include <QMainWindow>
#include <QVariant>

#include <functional>
#include <memory>
#include <utility>

class IMBComMaster;
class QLabel;
class QLineEdit;

namespace Ui
{
class TcalcFrm;
}

// The error calculator: other windows hand it reference and measured values
// through its properties, and every setter redraws the errors at once.
class TcalcFrm : public QMainWindow, public ICalcSink
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
    static constexpr int QidSlotTypes = 41;
    static constexpr int QidToki = 42;

    explicit TcalcFrm(QWidget *parent = nullptr);
    ~TcalcFrm() override;

    double QEtalon() const { return FQEtalon; }
    void SetQEtalon(double x);
    double QIzm() const { return FQIzm; }
    void SetQIzm(double x) override;
    double IIzm() const { return FIIzm; }
    void SetIIzm(double x);
    double VEtalon() const { return FVEtalon; }
    void SetVEtalon(double x);
    double VIzm() const { return FVIzm; }
    void SetVIzm(double x) override;
    double ImpIzm() const { return FImpIzm; }
    void SetImpIzm(double x);
    int Slot() const { return FSlot; }
    // How many values each measured property has received: QIzm, IIzm, VIzm, ImpIzm.
    enum Measured { kQIzm, kIIzm, kVIzm, kImpIzm };
    quint64 Readings(Measured which) const { return m_readings[which]; }
    // The 4 and 20 mA entries of the slot's table; 4 and 20 until a table arrived.
    std::pair<double, double> CurrentEntries() const;
    // Only 0 and 1 name a slot; anything else is refused.
    void SetSlot(int s) override;
    QVariant Toki() const { return FToki; }
    // A table that is not eight numbers is refused and leaves the old one.
    void SetToki(const QVariant &table) override;
    void SetStatusText(const QString &text) override;
    QString StatusText() const;

    // The flowmeter client and the flowmeter link's state, for "Считать".
    // Without a `connected` test the client's own Connected() is used.
    void SetFlowmeterLink(IMBComMaster *client, std::function<bool()> connected = {});

private Q_SLOTS:
    void btnStartClick();
    void BtnClearClick();
    void Button1Click();

private:
    void FormCreate();
    void FormDestroy();
    void CalcQ();
    void CalcV();
    void ShowNumber(QLineEdit *edit, double value, int decimals);
    void ShowError(QLabel *label, double percent);

    std::unique_ptr<Ui::TcalcFrm> ui;
    QLabel *SBPanel = nullptr;
    IMBComMaster *MBCM = nullptr;
    std::function<bool()> FPRiborConnected;

    double FQEtalon = 0;
    double FQIzm = 0;
    double FVEtalon = 0;
    double FVIzm = 0;
    double FImpIzm = 0;
    double FIIzm = 0;
    QVariant FToki;
    CalcMath::CurrentTable FTokiS{};
    int FSlot = 0;
    bool ReadingToki = false;
    quint64 m_readings[4] = {0, 0, 0, 0};
    bool ReadingSlot = false;
    bool StartRead = false;
    CalcMath::FlowStatistics QStat;
    qint32 ci = 0;
    qint32 cimp = 0;
};
