#include "imr/timvofrm.h"
#include "ui_timvofrm.h"

TImVOFrm::TImVOFrm(QWidget *parent) : QDialog(parent), ui(new Ui::TImVOFrm)
{
    ui->setupUi(this);
}

TImVOFrm::~TImVOFrm() = default;
