#pragma once

#include "journal/journal.h"

#include <QDialog>

#include <memory>

namespace Ui
{
class TJournalSettingsFrm;
}

// Where the journal is kept: the local file or a lab's PostgreSQL server. OK writes
// "QTM.ini" (the password goes to the user's PostgreSQL password file instead).
class TJournalSettingsFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TJournalSettingsFrm(QWidget *parent = nullptr);
    ~TJournalSettingsFrm() override;

    void SetConfig(const JournalConfig &config);
    // What the form shows, the password typed included.
    JournalConfig Config() const;

private Q_SLOTS:
    void BtnTestClick();
    void OkClick();

private:
    // A text saying what is missing, empty when the form is complete.
    QString Problem() const;
    void ShowMode();

    std::unique_ptr<Ui::TJournalSettingsFrm> ui;
    JournalConfig m_config;
};
