#include "imr/povervpage.h"
#include "ui_povervpage.h"

PoverVPage::PoverVPage(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::PoverVPage>())
{
    ui->setupUi(this);
    ui->BtnQ2Start->setAccessibleDescription(QStringLiteral("Старт поверки накопления объема"));
    ui->BtnQ2Stop->setAccessibleDescription(QStringLiteral("Стоп поверки накопления объема"));
    ui->Button26->setAccessibleDescription(QStringLiteral("Параметры поверки накопления объема"));
}

PoverVPage::~PoverVPage() = default;
