#include "auxiliary/protocolpage.h"
#include "ui_protocolpage.h"

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
    connect(ui->Button11, &QPushButton::clicked, this, &ProtocolPage::Button11Click);
    connect(ui->Button12, &QPushButton::clicked, this, &ProtocolPage::Button12Click);
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
