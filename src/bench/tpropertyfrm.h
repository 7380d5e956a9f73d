#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TPropertyFrm;
}

class TPropertyFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TPropertyFrm(QWidget *parent = nullptr);
    ~TPropertyFrm() override;

private:
    std::unique_ptr<Ui::TPropertyFrm> ui;
};
