#include "flowmeter/tflowmeterformgs.h"
#include "ui_tflowmeterformgs.h"

#include "link/conventions.h"

TFlowMeterFormGS::TFlowMeterFormGS(QWidget *parent)
    : QWidget(parent, Qt::Window), ui(new Ui::TFlowMeterFormGS)
{
    ui->setupUi(this);
}

TFlowMeterFormGS::~TFlowMeterFormGS() = default;

QLineEdit *TFlowMeterFormGS::EdtQ() const
{
    return ui->EdtQ;
}

QLineEdit *TFlowMeterFormGS::EdtV() const
{
    return ui->EdtV;
}

QLineEdit *TFlowMeterFormGS::EdtAc() const
{
    return ui->EdtAc;
}

QLabel *TFlowMeterFormGS::lblStat() const
{
    return ui->lblStat;
}

void TFlowMeterFormGS::SetCurRegim(int v)
{
    FCurRegim = v;
    ui->lblStat->setText(v == 0 ? QStringLiteral("Рабочий") : QStringLiteral("Поверка"));
}

void TFlowMeterFormGS::ShowAll()
{
    constexpr int kQidChannelCount = 26;
    constexpr int kRegChannelCount = 26;
    if (MBCM)
        MBCM->ReadInputRegs(kQidChannelCount, 0, kRegChannelCount, dtUInt8, 1);
    show();
}

void TFlowMeterFormGS::HideAll()
{
    // Its slot settings and calibration windows are windows of their own: hiding
    // this one leaves them on screen.
    const auto windows = findChildren<QWidget *>();
    for (QWidget *w : windows)
        if (w->isWindow())
            w->hide();
    hide();
}
