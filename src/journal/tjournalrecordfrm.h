#pragma once

#include "record/verification.h"

#include <QDialog>

#include <memory>

namespace Ui
{
class TJournalRecordFrm;
}

// One run of the journal: how it ended and its protocol as it would be printed.
class TJournalRecordFrm : public QDialog
{
    Q_OBJECT
public:
    TJournalRecordFrm(const Verification::Record &record, const QString &outcome, QWidget *parent = nullptr);
    ~TJournalRecordFrm() override;

private:
    std::unique_ptr<Ui::TJournalRecordFrm> ui;
};
