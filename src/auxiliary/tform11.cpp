#include "auxiliary/tform11.h"
#include "ui_tform11.h"

#include "link/dialogbuttons.h"

TForm11::TForm11(QWidget *parent) : QDialog(parent), ui(new Ui::TForm11)
{
    ui->setupUi(this);
    UseProgramButtonTexts(ui->Buttons);
}

TForm11::~TForm11() = default;
