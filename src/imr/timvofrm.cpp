#include "imr/timvofrm.h"
#include "ui_timvofrm.h"

#include "link/keyfilters.h"
#include "link/messages.h"
#include "link/radiogroup.h"

#include <QApplication>

namespace
{
constexpr int kOwnPoint = 5;
}

TImVOFrm::TImVOFrm(QWidget *parent) : QDialog(parent), ui(new Ui::TImVOFrm)
{
    ui->setupUi(this);
    m_points = new RadioGroup(ui->RGPoint, this);
    InstallIntFilter(ui->Edit1);
    InstallIntFilter(ui->EdtV);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TImVOFrm::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

TImVOFrm::~TImVOFrm() = default;

void TImVOFrm::BitBtn1Click()
{
    bool ok = false;
    const int volume = ui->EdtV->text().trimmed().toInt(&ok);
    if (ok) {
        VolumeSet = volume;
    } else {
        QApplication::beep();
        ui->EdtV->setFocus();
    }
    const int index = m_points->ItemIndex();
    const QString flow =
        index >= kOwnPoint || index < 0 ? ui->Edit1->text().trimmed() : m_points->Button(index)->text();
    int q = 0;
    if (Messages::ToInteger(flow, &q))
        FlowSet = q;
    accept();
}
