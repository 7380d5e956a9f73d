#include "journal/tjournalfrm.h"

#include "ui_tjournalfrm.h"

#include "journal/journalcsv.h"
#include "journal/tjournalrecordfrm.h"
#include "journal/tjournalsettingsfrm.h"
#include "link/inifile.h"
#include "link/messages.h"
#include "link/windowplacement.h"
#include "record/protocoldocument.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QStandardPaths>

using Verification::Record;

namespace
{
const QString kIni = QStringLiteral("QTM.ini");
const QString kSection = QStringLiteral("JournalFrm");
const QString kAll = QStringLiteral("Все");
const QString kNone = QStringLiteral("Без заключения");

JournalConfig Config()
{
    return JournalConfig::Read(IniFile(kIni));
}
} // namespace

TJournalFrm::TJournalFrm(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::TJournalFrm>())
{
    setWindowFlag(Qt::Window);
    ui->setupUi(this);
    setObjectName(QStringLiteral("JournalFrm"));
    const QStringList columns = JournalCsv::Columns();
    ui->TblRuns->setColumnCount(int(columns.size()));
    ui->TblRuns->setHorizontalHeaderLabels(columns);
    ui->TblRuns->verticalHeader()->hide();
    ui->TblRuns->horizontalHeader()->setStretchLastSection(true);
    const QDate today = QDate::currentDate();
    ui->DateFrom->setDate(today.addMonths(-1));
    ui->DateTo->setDate(today);
    FillVerdicts({});

    connect(ui->ChbFrom, &QCheckBox::toggled, ui->DateFrom, &QWidget::setEnabled);
    connect(ui->ChbTo, &QCheckBox::toggled, ui->DateTo, &QWidget::setEnabled);
    connect(ui->BtnFind, &QPushButton::clicked, this, &TJournalFrm::BtnFindClick);
    connect(ui->EdtSerial, &QLineEdit::returnPressed, this, &TJournalFrm::BtnFindClick);
    connect(ui->BtnOpen, &QPushButton::clicked, this, &TJournalFrm::BtnOpenClick);
    connect(ui->TblRuns, &QTableWidget::cellDoubleClicked, this, &TJournalFrm::BtnOpenClick);
    connect(ui->BtnPrint, &QPushButton::clicked, this, &TJournalFrm::BtnPrintClick);
    connect(ui->BtnExport, &QPushButton::clicked, this, &TJournalFrm::BtnExportClick);
    connect(ui->BtnCsv, &QPushButton::clicked, this, &TJournalFrm::BtnCsvClick);
    connect(ui->BtnSettings, &QPushButton::clicked, this, &TJournalFrm::BtnSettingsClick);

    chooseFolder = [this] {
        return QFileDialog::getExistingDirectory(
            this, QStringLiteral("Папка для протокола"),
            IniFile(kIni).ReadString(QStringLiteral("Protocol"), QStringLiteral("Folder")));
    };
    chooseCsv = [this](const QString &proposed) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Список поверок"), proposed,
                                            QStringLiteral("CSV (*.csv)"));
    };
    PlaceTopLevel(this, ReadStoredPlace(kIni, kSection));
}

TJournalFrm::~TJournalFrm() = default;

void TJournalFrm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    BtnFindClick();
}

void TJournalFrm::hideEvent(QHideEvent *event)
{
    StorePlace(this, kIni, kSection);
    QWidget::hideEvent(event);
}

JournalFilter TJournalFrm::Filter() const
{
    JournalFilter f;
    f.serial = ui->EdtSerial->text();
    if (ui->ChbFrom->isChecked())
        f.from = ui->DateFrom->date();
    if (ui->ChbTo->isChecked())
        f.to = ui->DateTo->date();
    const QVariant verdict = ui->CbVerdict->currentData();
    if (verdict.isValid())
        f.verdict = verdict.toString();
    return f;
}

void TJournalFrm::FillVerdicts(const QStringList &verdicts)
{
    const QString current = ui->CbVerdict->currentText();
    ui->CbVerdict->clear();
    ui->CbVerdict->addItem(kAll);
    for (const QString &v : verdicts)
        ui->CbVerdict->addItem(v, v);
    ui->CbVerdict->addItem(kNone, QStringLiteral(""));
    ui->CbVerdict->setCurrentIndex(qMax(0, ui->CbVerdict->findText(current)));
}

void TJournalFrm::BtnFindClick()
{
    const int selected = SelectedNumber();
    Journal journal(Config());
    const JournalFilter filter = Filter();
    m_entries = journal.List(filter);
    if (journal.Error().isEmpty())
        FillVerdicts(journal.Verdicts());
    ui->TblRuns->setRowCount(int(m_entries.size()));
    for (int r = 0; r < m_entries.size(); ++r) {
        const QStringList cells = JournalCsv::Cells(m_entries[r]);
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            if (c == 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            ui->TblRuns->setItem(r, c, item);
        }
        if (m_entries[r].number == selected)
            ui->TblRuns->selectRow(r);
    }
    ui->TblRuns->resizeColumnsToContents();
    ui->LblState->setText(
        journal.Error().isEmpty()
            ? QStringLiteral("Журнал: %1. Поверок: %2").arg(Config().Describe()).arg(m_entries.size())
            : journal.Error());
}

int TJournalFrm::SelectedNumber() const
{
    const int row = ui->TblRuns->currentRow();
    const auto rows = ui->TblRuns->selectionModel()->selectedRows();
    if (rows.isEmpty() || row < 0 || row >= m_entries.size())
        return 0;
    return m_entries[row].number;
}

std::optional<Record> TJournalFrm::Selected()
{
    const int number = SelectedNumber();
    if (number == 0) {
        Messages::Show(QStringLiteral("Выберите поверку в списке"));
        return std::nullopt;
    }
    Journal journal(Config());
    auto record = journal.Load(number);
    if (!record)
        Messages::Show(journal.Error());
    return record;
}

void TJournalFrm::BtnOpenClick()
{
    const auto record = Selected();
    if (!record)
        return;
    const int row = ui->TblRuns->currentRow();
    TJournalRecordFrm dlg(*record, m_entries[row].outcome, this);
    dlg.exec();
}

void TJournalFrm::BtnPrintClick()
{
    const auto record = Selected();
    if (!record)
        return;
    QPrinter printer;
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    ProtocolDocument::Print(printer, *record);
}

void TJournalFrm::BtnExportClick()
{
    const auto record = Selected();
    if (!record)
        return;
    const QString folder = chooseFolder ? chooseFolder() : QString();
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    const QString pdf = dir.filePath(record->FileStem() + QStringLiteral(".pdf"));
    const QString xlsx = dir.filePath(record->FileStem() + QStringLiteral(".xlsx"));
    for (const QString &error :
         {ProtocolDocument::WritePdf(pdf, *record), ProtocolDocument::WriteXlsx(xlsx, *record)})
        if (!error.isEmpty()) {
            Messages::Show(error);
            return;
        }
    Messages::Show(QStringLiteral("Протокол записан:\r%1\r%2").arg(pdf, xlsx));
}

void TJournalFrm::BtnCsvClick()
{
    const QString proposed =
        QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
            .filePath(QStringLiteral("Журнал_%1.csv").arg(QDate::currentDate().toString(Qt::ISODate)));
    const QString path = chooseCsv ? chooseCsv(proposed) : QString();
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(JournalCsv::Write(m_entries)) < 0 || !file.commit()) {
        Messages::Show(QStringLiteral("Файл %1 не записан: %2").arg(path, file.errorString()));
        return;
    }
    Messages::Show(QStringLiteral("Список записан: %1").arg(path));
}

void TJournalFrm::BtnSettingsClick()
{
    TJournalSettingsFrm dlg(this);
    if (dlg.exec() == QDialog::Accepted)
        BtnFindClick();
}
