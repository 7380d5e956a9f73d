#pragma once

#include "journal/journal.h"

#include <QWidget>

#include <functional>
#include <memory>

namespace Ui
{
class TJournalFrm;
}

// The journal window: the runs found by serial number, period and verdict; a run's
// protocol shown, printed or written again from its kept record; the list as CSV.
class TJournalFrm : public QWidget
{
    Q_OBJECT
public:
    explicit TJournalFrm(QWidget *parent = nullptr);
    ~TJournalFrm() override;

    // The runs shown, newest first.
    const QList<JournalEntry> &Entries() const { return m_entries; }
    // The number of the selected run, 0 when none.
    int SelectedNumber() const;

    // Ask for a folder for the protocol files and for the CSV file; empty when cancelled.
    std::function<QString()> chooseFolder;
    std::function<QString(const QString &proposed)> chooseCsv;

public Q_SLOTS:
    void BtnFindClick();
    void BtnOpenClick();
    void BtnPrintClick();
    void BtnExportClick();
    void BtnCsvClick();
    void BtnSettingsClick();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    JournalFilter Filter() const;
    void FillVerdicts(const QStringList &verdicts);
    // The selected run's record, or a message and nothing.
    std::optional<Verification::Record> Selected();

    std::unique_ptr<Ui::TJournalFrm> ui;
    QList<JournalEntry> m_entries;
};
