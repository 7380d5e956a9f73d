#pragma once

#include "flowmeter/flowmeterwindow.h"

#include <memory>

class QLineEdit;
class RadioGroup;
namespace Ui
{
class TFlowMeterForm;
}

// "Расходомер": settings of the two-channel flowmeter.
class TFlowMeterForm : public FlowmeterWindow
{
    Q_OBJECT
public:
    explicit TFlowMeterForm(QWidget *parent = nullptr);
    ~TFlowMeterForm() override;

    QLineEdit *EdtQ() const;
    QLineEdit *EdtV() const;
    // Channel group: item 0 = channel 1, -1 while none is chosen.
    RadioGroup *rgCanal() const { return m_rgCanal; }

    // Ultrasonic status (sent on each status read): wParam is the result code,
    // lParam the status word of channel 1 in its low and of channel 2 in its high 16 bits.
    void ShowUzsStatus(int wParam, qint32 lParam);

    void SubscribeResults() override;

public Q_SLOTS:
    void rgCanalClick();
    void Button1Click();
    void Button6Click();
    void chbImitClick();
    void RGWorkClick();
    void Button5Click();
    void Button3Click();
    void cbxOutChange();
    void Button2Click();

private:
    std::unique_ptr<Ui::TFlowMeterForm> ui;
    RadioGroup *m_rgCanal = nullptr;
    RadioGroup *m_rgWork = nullptr;
    RegisterField m_shift, m_otsek, m_window;
};
