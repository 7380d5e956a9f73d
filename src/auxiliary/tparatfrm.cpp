#include "auxiliary/tparatfrm.h"
#include "ui_tparatfrm.h"

TParATFrm::TParATFrm(QWidget *parent) : QDialog(parent), ui(new Ui::TParATFrm)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TParATFrm::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TParATFrm::BitBtn2Click);
}

TParATFrm::~TParATFrm() = default;

void TParATFrm::BitBtn1Click()
{
    Q_EMIT Confirmed();
    hide();
}

void TParATFrm::SetSettings(const ParATSettings &s)
{
    ui->Edit1->setText(s.TransientQ);
    ui->Edit2->setText(s.ReadingsPerFlow);
    ui->Edit3->setText(s.ReadingPeriod);
    ui->Edit4->setText(s.TransientV);
    ui->Edit5->setText(s.Volume);
}

void TParATFrm::BitBtn2Click()
{
    hide();
}

ParATSettings TParATFrm::Settings() const
{
    return {ui->Edit1->text(), ui->Edit2->text(), ui->Edit3->text(), ui->Edit4->text(), ui->Edit5->text()};
}
