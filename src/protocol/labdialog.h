#pragma once

#include "record/verification.h"

#include <QDialog>

#include <memory>

namespace Ui
{
class LabDialog;
}

// "Лаборатория и стенд": what the protocol says of the lab and of the bench as the
// standard used; entered once, kept in the settings.
class LabDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LabDialog(QWidget *parent = nullptr);
    ~LabDialog() override;

    void SetLab(const Verification::Lab &lab);
    Verification::Lab TakenLab() const { return m_lab; }

    // Takes the fields; a missing field keeps the window open with a message.
    void accept() override;

private:
    std::unique_ptr<Ui::LabDialog> ui;
    Verification::Lab m_lab;
};
