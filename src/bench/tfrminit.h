#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TFrmInit;
}

class TFrmInit : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmInit(QWidget *parent = nullptr);
    ~TFrmInit() override;

    bool Connecting = false; // the bench link is open
    int writing = 0;         // -1 pending, 1 written, 2 failed

private:
    std::unique_ptr<Ui::TFrmInit> ui;
};
