#include "auxiliary/protocolpage.h"
#include "ui_protocolpage.h"

#include "link/dialogbuttons.h"

namespace
{
// Both windows are non-modal; a second click brings the open one forward.
void ShowTool(QWidget *w)
{
    if (!w)
        return;
    w->show();
    w->raise();
    w->activateWindow();
}
} // namespace

ProtocolPage::ProtocolPage(QWidget *parent) : QWidget(parent), ui(new Ui::ProtocolPage)
{
    ui->setupUi(this);
    LeaveCaptionRoom(ui->Button12);
    connect(ui->Button11, &QPushButton::clicked, this, &ProtocolPage::Button11Click);
    connect(ui->Button12, &QPushButton::clicked, this, &ProtocolPage::Button12Click);
    connect(ui->Button13, &QPushButton::clicked, this, &ProtocolPage::Button13Clicked);
    connect(ui->BtnAutoStart, &QPushButton::clicked, this, &ProtocolPage::StartClicked);
    connect(ui->BtnPoints, &QPushButton::clicked, this, &ProtocolPage::PointsClicked);
    connect(ui->BtnLab, &QPushButton::clicked, this, &ProtocolPage::LabClicked);
}

void ProtocolPage::SetSettings(const ProtocolSettings &s, const QStringList &verifiers)
{
    ui->Edit17->setText(s.SerialNumber);
    ui->EdtOwner->setText(s.Owner);
    ui->EdtRegister->setText(s.RegisterNumber);
    ui->CbxVisual->setCurrentIndex(s.VisualOk ? 0 : 1);
    ui->CbxTrial->setCurrentIndex(s.TrialOk ? 0 : 1);
    ui->EdtQMax->setText(s.QMax);
    ui->EdtPulseWeight->setText(s.PulseWeight);
    ui->EdtTemperature->setText(s.Temperature);
    ui->EdtHumidity->setText(s.Humidity);
    ui->EdtPressure->setText(s.Pressure);
    ui->EdtVoltage->setText(s.Voltage);
    ui->EdtLimitFlow->setText(s.LimitFlow);
    ui->EdtLimitVolume->setText(s.LimitVolume);
    ui->EdtLimitPulses->setText(s.LimitPulses);
    ui->EdtLimitCurrent->setText(s.LimitCurrent);
    ui->ComboBox1->setCurrentIndex(s.Kind);
    ui->ComboBox2->setCurrentIndex(s.ProtocolType);
    ui->ComboBox3->clear();
    ui->ComboBox3->addItems(verifiers);
    ui->ComboBox3->setCurrentText(s.Verifier);
    ui->CheckBox7->setChecked(s.Print);
    ui->CheckBox8->setChecked(s.CloseExcel);
}

ProtocolPage::~ProtocolPage() = default;

void ProtocolPage::Button11Click()
{
    ShowTool(form11 ? form11() : nullptr);
}

void ProtocolPage::Button12Click()
{
    ShowTool(parATFrm ? parATFrm() : nullptr);
}

ProtocolSettings ProtocolPage::Settings() const
{
    ProtocolSettings s;
    s.SerialNumber = ui->Edit17->text();
    s.Owner = ui->EdtOwner->text();
    s.RegisterNumber = ui->EdtRegister->text();
    s.VisualOk = ui->CbxVisual->currentIndex() == 0;
    s.TrialOk = ui->CbxTrial->currentIndex() == 0;
    s.QMax = ui->EdtQMax->text();
    s.PulseWeight = ui->EdtPulseWeight->text();
    s.Temperature = ui->EdtTemperature->text();
    s.Humidity = ui->EdtHumidity->text();
    s.Pressure = ui->EdtPressure->text();
    s.Voltage = ui->EdtVoltage->text();
    s.LimitFlow = ui->EdtLimitFlow->text();
    s.LimitVolume = ui->EdtLimitVolume->text();
    s.LimitPulses = ui->EdtLimitPulses->text();
    s.LimitCurrent = ui->EdtLimitCurrent->text();
    s.Kind = ui->ComboBox1->currentIndex();
    s.ProtocolType = ui->ComboBox2->currentIndex();
    s.Verifier = ui->ComboBox3->currentText();
    s.Print = ui->CheckBox7->isChecked();
    s.CloseExcel = ui->CheckBox8->isChecked();
    return s;
}
