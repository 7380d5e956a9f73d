#pragma once

#include "link/benchshared.h"
#include "link/imbcommaster.h"

#include <QWidget>

#include <memory>

class QLineEdit;
class RadioGroup;
namespace Ui
{
class TFlowMeterForm;
}

class TFlowMeterForm : public QWidget
{
    Q_OBJECT
public:
    explicit TFlowMeterForm(QWidget *parent = nullptr);
    ~TFlowMeterForm() override;

    IMBComMaster *MBCM = nullptr;
    TPribor *Pribor = nullptr; // the main window's working descriptor
    int Canal = 0;

    QLineEdit *EdtQ() const;
    QLineEdit *EdtV() const;
    // Channel group: item 0 = channel 1, -1 while none is chosen.
    RadioGroup *rgCanal() const { return m_rgCanal; }

    // Ultrasonic status (sent on each status read): wParam is the result code,
    // lParam the status word of channel 1 in its low and of channel 2 in its high 16 bits.
    void ShowUzsStatus(int wParam, qint32 lParam);

private:
    std::unique_ptr<Ui::TFlowMeterForm> ui;
    RadioGroup *m_rgCanal = nullptr;
};
