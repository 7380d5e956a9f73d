#include "bench/tpropertyfrm.h"
#include "ui_tpropertyfrm.h"

TPropertyFrm::TPropertyFrm(QWidget *parent) : QDialog(parent), ui(new Ui::TPropertyFrm)
{
    ui->setupUi(this);
}

TPropertyFrm::~TPropertyFrm() = default;
