#include "imr/imitvpage.h"
#include "ui_imitvpage.h"

#include <QLayout>
#include <QStyle>

ImitVPage::ImitVPage(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::ImitVPage>())
{
    ui->setupUi(this);
    ui->UsiHost->setProperty("hostsGroup", QStringLiteral("GbUsi"));
    ui->UsiHost->layout()->setContentsMargins(0, 0, 0, 0);
    QPalette red = ui->BtnQStop->palette();
    red.setColor(QPalette::ButtonText, QColor(255, 0, 0));
    ui->BtnQStop->setPalette(red);
    ui->SpeedButton2->setIcon(QIcon::fromTheme(QStringLiteral("accessories-calculator"),
                                               style()->standardIcon(QStyle::SP_FileDialogDetailedView)));
    ui->BtnQStart->setAccessibleDescription(QStringLiteral("Старт накопления объема"));
    ui->BtnQStop->setAccessibleDescription(QStringLiteral("Стоп накопления объема"));
    ui->Button5->setAccessibleDescription(QStringLiteral("Параметры накопления объема"));
    ui->edttime->setToolTip(QStringLiteral("Щелчок перечитывает время имитации"));
}

ImitVPage::~ImitVPage() = default;
