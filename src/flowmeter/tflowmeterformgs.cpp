#include "flowmeter/tflowmeterformgs.h"
#include "ui_tflowmeterformgs.h"

TFlowMeterFormGS::TFlowMeterFormGS(QWidget *parent) : QWidget(parent, Qt::Window), ui(new Ui::TFlowMeterFormGS)
{
    ui->setupUi(this);
}

TFlowMeterFormGS::~TFlowMeterFormGS() = default;
