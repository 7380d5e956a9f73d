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
}

void ProtocolPage::SetSettings(const ProtocolSettings &s, const QStringList &verifiers)
{
    ui->Edit17->setText(s.SerialNumber);
    ui->ComboBox1->setCurrentIndex(s.Kind);
    ui->ComboBox2->setCurrentIndex(s.ProtocolType);
    ui->ComboBox3->clear();
    ui->ComboBox3->addItems(verifiers);
    ui->ComboBox3->setCurrentText(s.Verifier);
    ui->CheckBox6->setChecked(s.ZeroOffsetPlus);
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
    s.Kind = ui->ComboBox1->currentIndex();
    s.ProtocolType = ui->ComboBox2->currentIndex();
    s.Verifier = ui->ComboBox3->currentText();
    s.ZeroOffsetPlus = ui->CheckBox6->isChecked();
    s.Print = ui->CheckBox7->isChecked();
    s.CloseExcel = ui->CheckBox8->isChecked();
    return s;
}
