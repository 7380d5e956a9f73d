#include "journal/tjournalrecordfrm.h"

#include "ui_tjournalrecordfrm.h"

#include "record/protocoldocument.h"

TJournalRecordFrm::TJournalRecordFrm(const Verification::Record &record, const QString &outcome,
                                     QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TJournalRecordFrm>())
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Запись журнала № %1").arg(record.number));
    QString state = QStringLiteral("Поверка %1").arg(outcome);
    if (!record.failure.isEmpty())
        state += QStringLiteral(": ") + record.failure;
    ui->LblOutcome->setText(state);
    ProtocolDocument::Fill(*ui->TxtProtocol->document(), record);
}

TJournalRecordFrm::~TJournalRecordFrm() = default;
