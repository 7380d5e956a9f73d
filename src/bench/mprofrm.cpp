#include "bench/mprofrm.h"
#include "ui_mprofrm.h"

#include "bench/typelist.h"
#include "link/inifile.h"
#include "link/messages.h"

namespace
{

const QString kIni = QStringLiteral("QTM.ini");

bool FieldInteger(const QLineEdit *edit, qint32 *out)
{
    return Messages::ToInteger(edit->text(), out);
}

} // namespace

TMProFrm::TMProFrm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      ui(new Ui::TMProFrm)
{
    ui->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(ui->chbType, &QComboBox::currentIndexChanged, this, &TMProFrm::chbTypeChange);
    connect(ui->Button1, &QPushButton::clicked, this, &TMProFrm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TMProFrm::Button2Click);
    connect(ui->BitBtn4, &QPushButton::clicked, this, &TMProFrm::BitBtn4Click);
    connect(ui->BitBtn5, &QPushButton::clicked, this, &TMProFrm::BitBtn5Click);
}

TMProFrm::~TMProFrm() = default;

QStringList TMProFrm::Names() const
{
    QStringList names;
    for (const TPribor &p : Prib)
        names << p.Name;
    return names;
}

void TMProFrm::FillTypes()
{
    const QSignalBlocker block(ui->chbType);
    ui->chbType->clear();
    for (int i = 0; i < Prib.size(); ++i)
        ui->chbType->addItem(Prib.at(i).Name, i);
    ui->chbType->setCurrentIndex(-1);
    ui->chbType->setPlaceholderText(Prib.isEmpty() ? QStringLiteral("Список пуст")
                                                   : QStringLiteral("Выберите"));
}

void TMProFrm::readINI()
{
    const IniFile ini(kIni);
    if (!ini.Exists()) {
        // Without a store the list is kept but offered no more.
        const QSignalBlocker block(ui->chbType);
        ui->chbType->clear();
        ui->chbType->setPlaceholderText(Prib.isEmpty() ? QStringLiteral("Список пуст")
                                                       : QStringLiteral("Выберите"));
        return;
    }
    TypeListData d = ReadTypeList(ini);
    Imr = d.Imr;
    Usi = d.Usi;
    IPT = d.IPT;
    Prib = std::move(d.Prib);
    CPrib = int(Prib.size());
    FillTypes();
}

int TMProFrm::EntryOf(int item) const
{
    bool ok = false;
    const int entry = ui->chbType->itemData(item).toInt(&ok);
    return ok && entry >= 0 && entry < Prib.size() ? entry : -1;
}

bool TMProFrm::writeIni()
{
    IniFile ini(kIni);
    if (Session)
        WriteTypeList(ini, Session->ImrDev().Adr, Session->UsiDev().Adr, Session->IptDev().Adr, Prib);
    else
        WriteTypeList(ini, Imr, Usi, IPT, Prib);
    if (!ini.Save())
        return false;
    hide();
    return true;
}

void TMProFrm::chbTypeChange(int index)
{
    const int entry = EntryOf(index);
    if (entry < 0)
        return;
    const TPribor &p = Prib.at(entry);
    ui->Edit1->setText(p.Name);
    ui->Edit2->setText(QString::number(p.RegAc));
    ui->Chbac->setChecked(p.RegAc != 0);
    ui->Edit3->setText(QString::number(p.RegQ));
    ui->Edit4->setText(QString::number(p.RegV));
}

bool TMProFrm::Adding() const
{
    return ui->Button2->isEnabled();
}

void TMProFrm::SetAdding(bool adding)
{
    ui->chbType->setEnabled(!adding);
    ui->Button2->setEnabled(adding);
    ui->Button1->setText(adding ? QStringLiteral("Ввести") : QStringLiteral("Добавить"));
}

void TMProFrm::Button1Click()
{
    if (!Adding()) {
        ui->Edit1->clear();
        ui->Edit2->setText(QStringLiteral("0"));
        ui->Edit3->setText(QStringLiteral("0"));
        ui->Edit4->setText(QStringLiteral("0"));
        ui->Chbac->setChecked(false);
        SetAdding(true);
        ui->Edit1->setFocus();
        return;
    }
    if (AppendEntered())
        SetAdding(false);
}

bool TMProFrm::AppendEntered()
{
    TPribor p;
    // Line breaks become blanks, so a name can never start a key or section of
    // its own in the file; "=" and "[" are plain characters inside a value.
    p.Name = StorableTypeName(ui->Edit1->text());
    if (p.Name.isEmpty()) {
        Messages::Show(QStringLiteral("Введите наименование прибора"));
        return false;
    }
    if (!FieldInteger(ui->Edit2, &p.RegAc) || !FieldInteger(ui->Edit3, &p.RegQ) ||
        !FieldInteger(ui->Edit4, &p.RegV))
        return false;
    Prib << p;
    CPrib = int(Prib.size());
    ui->chbType->setPlaceholderText(QStringLiteral("Выберите"));
    ui->chbType->addItem(p.Name, CPrib - 1);
    ui->chbType->setCurrentIndex(ui->chbType->count() - 1);
    return true;
}

void TMProFrm::Button2Click()
{
    ui->Edit1->clear();
    ui->Edit2->clear();
    SetAdding(false);
    if (!Prib.isEmpty())
        ui->chbType->setCurrentIndex(-1);
}

void TMProFrm::BitBtn4Click()
{
    if (!writeIni())
        return;
    if (const int entry = EntryOf(ui->chbType->currentIndex()); entry >= 0)
        Pribor = Prib.at(entry);
    accept();
}

void TMProFrm::BitBtn5Click()
{
    reject();
}
