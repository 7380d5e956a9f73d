#include "flowmeter/tflowmeterform.h"
#include "ui_tflowmeterform.h"

TFlowMeterForm::TFlowMeterForm(QWidget *parent) : QWidget(parent, Qt::Window), ui(new Ui::TFlowMeterForm)
{
    ui->setupUi(this);
}

TFlowMeterForm::~TFlowMeterForm() = default;
