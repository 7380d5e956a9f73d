#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class TForm11;
}

// "Параметры имитационного участка": the imitated pipe section; nothing reads it yet.
class TForm11 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm11(QWidget *parent = nullptr);
    ~TForm11() override;

private:
    std::unique_ptr<Ui::TForm11> ui;
};
