#include "flowmeter/tflowmeterform.h"
#include "ui_tflowmeterform.h"

#include "link/conventions.h"
#include "link/radiogroup.h"

TFlowMeterForm::TFlowMeterForm(QWidget *parent) : QWidget(parent, Qt::Window), ui(new Ui::TFlowMeterForm)
{
    ui->setupUi(this);
    m_rgCanal = new RadioGroup(ui->rgCanal, this);
}

TFlowMeterForm::~TFlowMeterForm() = default;

QLineEdit *TFlowMeterForm::EdtQ() const
{
    return ui->EdtQ;
}

QLineEdit *TFlowMeterForm::EdtV() const
{
    return ui->EdtV;
}

void TFlowMeterForm::ShowUzsStatus(int wParam, qint32 lParam)
{
    if (wParam != 0) {
        ui->lblErr->setText(ResultText(wParam));
        return;
    }
    const int canal = m_rgCanal->ItemIndex();
    if (canal < 0)
        return;
    const quint32 words = static_cast<quint32>(lParam);
    const quint16 status = canal == 0 ? quint16(words & 0xFFFF) : quint16(words >> 16);
    constexpr quint16 kNoSignal = 8;
    ui->lblErr->setText((status & kNoSignal) ? QStringLiteral("НЕТ УЗС") : QStringLiteral("OK"));
}
