#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TParATFrm;
}

class TParATFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TParATFrm(QWidget *parent = nullptr);
    ~TParATFrm() override;

private:
    std::unique_ptr<Ui::TParATFrm> ui;
};
