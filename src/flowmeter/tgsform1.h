#pragma once

#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <memory>

class FlowmeterWindow;
class QAbstractButton;
class QLabel;
class TFlowMeterFormGS;
class TGsCalibTokForm;
namespace Ui
{
class TGsForm1;
}

// "Настройка слотов": the types of the two additional slots and the way to the
// calibration of a current output slot.
class TGsForm1 : public QWidget
{
    Q_OBJECT
public:
    TGsForm1(TFlowMeterFormGS &owner, QWidget *parent);
    ~TGsForm1() override;

    TFlowMeterFormGS &Owner() const { return m_owner; }
    TGsCalibTokForm *CalibForm(int slot) const;
    QAbstractButton *CalibButton(int slot) const;
    QLabel *SBPanel() const { return m_sbPanel; }
    // A calibration window of either slot has started and not yet stopped.
    bool CalibrationRunning() const;

    void ShowAll();
    void HideAll();
    void TokIpt(double mA);
    void StopCalibrations();

    // Routes the slot type and calibration results to the windows while they exist.
    static void SubscribeResults(FlowmeterWindow &owner, const QPointer<TGsForm1> &form);

public Q_SLOTS:
    void Button2Click();
    void Button1Click();
    void Button3Click();
    void btnCalib1Click();
    void btnCalib2Click();

private:
    void CalibClick(int slot);
    void SlotTypesRead(const QVariant &value, int result);
    void SlotTypeWritten(int result);
    void WriteSlotType(int qid, int reg, int index);

    TFlowMeterFormGS &m_owner;
    std::unique_ptr<Ui::TGsForm1> ui;
    QLabel *m_sbPanel = nullptr;
    QPointer<TGsCalibTokForm> m_calib[2];
};
