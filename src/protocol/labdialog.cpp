#include "protocol/labdialog.h"
#include "ui_labdialog.h"

#include "link/dialogbuttons.h"
#include "link/messages.h"

LabDialog::LabDialog(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::LabDialog>())
{
    ui->setupUi(this);
    UseProgramButtonTexts(ui->Buttons);
    connect(ui->Buttons, &QDialogButtonBox::accepted, this, &LabDialog::accept);
    connect(ui->Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

LabDialog::~LabDialog() = default;

void LabDialog::SetLab(const Verification::Lab &lab)
{
    m_lab = lab;
    ui->EdtOrganisation->setText(lab.organisation);
    ui->EdtMethod->setText(lab.method);
    ui->EdtBenchSerial->setText(lab.benchSerial);
    ui->EdtCertificate->setText(lab.benchCertificate);
    ui->DateValidUntil->setDate(lab.benchValidUntil.isValid() ? lab.benchValidUntil : QDate::currentDate());
}

void LabDialog::accept()
{
    Verification::Lab lab;
    lab.organisation = ui->EdtOrganisation->text().trimmed();
    lab.method = ui->EdtMethod->text().trimmed();
    lab.benchSerial = ui->EdtBenchSerial->text().trimmed();
    lab.benchCertificate = ui->EdtCertificate->text().trimmed();
    lab.benchValidUntil = ui->DateValidUntil->date();
    if (lab.organisation.isEmpty() || lab.method.isEmpty() || lab.benchSerial.isEmpty() ||
        lab.benchCertificate.isEmpty()) {
        Messages::Show(QStringLiteral("Заполните все поля: протокол поверки указывает их"));
        return;
    }
    m_lab = lab;
    QDialog::accept();
}
