#include "bench/tfrminit.h"
#include "ui_tfrminit.h"

TFrmInit::TFrmInit(QWidget *parent) : QDialog(parent), ui(new Ui::TFrmInit)
{
    ui->setupUi(this);
}

TFrmInit::~TFrmInit() = default;
