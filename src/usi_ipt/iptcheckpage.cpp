#include "usi_ipt/iptcheckpage.h"

#include "ui_iptcheckpage.h"

IptCheckPage::IptCheckPage(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::IptCheckPage>())
{
    ui->setupUi(this);
    ui->CHBTok1->setToolTip(QStringLiteral("Читать токи ИПТ каждую секунду"));
    ui->CHBTok1->setAccessibleDescription(QStringLiteral("Чтение токов на странице поверки ИПТ"));
}

IptCheckPage::~IptCheckPage() = default;

QCheckBox *IptCheckPage::ReadBox() const
{
    return ui->CHBTok1;
}

QLabel *IptCheckPage::Indicator() const
{
    return ui->Label85;
}

QLineEdit *IptCheckPage::Current(int channel) const
{
    QLineEdit *edits[] = {ui->EdtI11, ui->EdtI12, ui->EdtI13, ui->EdtI14};
    return channel >= 1 && channel <= 4 ? edits[channel - 1] : nullptr;
}
