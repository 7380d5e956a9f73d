#include "auxiliary/tform11.h"
#include "ui_tform11.h"

TForm11::TForm11(QWidget *parent) : QDialog(parent), ui(new Ui::TForm11)
{
    ui->setupUi(this);
}

TForm11::~TForm11() = default;
