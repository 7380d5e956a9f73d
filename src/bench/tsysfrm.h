#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class TSysFrm;
}

// Target task dialog: the operator chooses what the bench is used for.
class TSysFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TSysFrm(QWidget *parent = nullptr);
    ~TSysFrm() override;

    int AimIndex = 0;
    QString AimIndexStr;

Q_SIGNALS:
    // A different task was confirmed; its page set is to be applied.
    void TaskChosen(int task);

public Q_SLOTS:
    void btnUseClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TSysFrm> ui;
};
