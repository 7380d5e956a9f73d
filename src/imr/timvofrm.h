#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TImVOFrm;
}

class TImVOFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TImVOFrm(QWidget *parent = nullptr);
    ~TImVOFrm() override;

private:
    std::unique_ptr<Ui::TImVOFrm> ui;
};
