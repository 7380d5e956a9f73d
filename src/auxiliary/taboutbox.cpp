#include "auxiliary/taboutbox.h"
#include "ui_taboutbox.h"

#include "auxiliary/emblem.h"
#include "auxiliary/verinfo.h"
#include "link/messages.h"

#include <QPixmap>

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), ui(new Ui::TAboutBox)
{
    ui->setupUi(this);
    ui->ProgramIcon->setPixmap(QPixmap::fromImage(RenderEmblem(96, devicePixelRatioF())));
    ui->ProgramIcon->setAccessibleName(QStringLiteral("Эмблема программы"));
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TAboutBox::~TAboutBox() = default;

QString TAboutBox::VersionText(const QString &fileVersion, const QStringList &flags)
{
    QString names;
    for (const QString &flag : flags)
        names += QLatin1Char(' ') + flag;
    return QStringLiteral("Версия: ") + fileVersion + QLatin1Char(' ') + names;
}

void TAboutBox::Fill(const TVerInfoRes &info)
{
    ui->ProductName->setText(info.GetPreDefKeyString(viProductName));
    ui->Version->setText(VersionText(info.GetPreDefKeyString(viFileVersion), info.FileFlags()));
    ui->Copyright->setText(info.GetPreDefKeyString(viLegalCopyright));
    ui->Comments->setText(info.GetPreDefKeyString(viComments));
}

void OpenAboutBox(QWidget *parent, const QString &executable)
{
    auto box = std::make_unique<TAboutBox>(parent);
    try {
        const TVerInfoRes info(executable);
        box->Fill(info);
    } catch (const EVerInfoBase &e) {
        Messages::Show(e.Message);
        return;
    }
    box->exec(); // a dialog with a parent opens centred on it
}
