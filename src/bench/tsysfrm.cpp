#include "bench/tsysfrm.h"
#include "ui_tsysfrm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

TSysFrm::TSysFrm(QWidget *parent) : QDialog(parent), ui(new Ui::TSysFrm)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    ui->cbAim->setCurrentIndex(0);
    AimIndexStr = ui->cbAim->itemText(0);
    connect(ui->btnUse, &QPushButton::clicked, this, &TSysFrm::btnUseClick);
    connect(ui->btnCansel, &QPushButton::clicked, this, &QDialog::reject);
}

TSysFrm::~TSysFrm() = default;

void TSysFrm::showEvent(QShowEvent *event)
{
    // A choice left behind by "Отмена" is no choice: show the task in force.
    ui->cbAim->setCurrentIndex(AimIndex);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(
            QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
    QDialog::showEvent(event);
}

void TSysFrm::btnUseClick()
{
    const int selected = ui->cbAim->currentIndex();
    if (selected != AimIndex) {
        AimIndex = selected;
        AimIndexStr =
            selected < 0 ? QStringLiteral("Целевая задача не выбрана") : ui->cbAim->itemText(selected);
        Q_EMIT TaskChosen(selected);
    }
    accept();
}
