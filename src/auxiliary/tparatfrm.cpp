#include "auxiliary/tparatfrm.h"
#include "ui_tparatfrm.h"

TParATFrm::TParATFrm(QWidget *parent) : QDialog(parent), ui(new Ui::TParATFrm)
{
    ui->setupUi(this);
}

TParATFrm::~TParATFrm() = default;
