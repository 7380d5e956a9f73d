#pragma once

#include <QWidget>

#include <memory>

namespace Ui
{
class IptCheckPage;
}
class QCheckBox;
class QLabel;
class QLineEdit;

// Page "Поверка ИПТ": the second view of the measured currents, group
// "Измеритель постоянного тока (ИПТ)"; the current output group drives it.
class IptCheckPage : public QWidget
{
    Q_OBJECT
public:
    explicit IptCheckPage(QWidget *parent = nullptr);
    ~IptCheckPage() override;

    QCheckBox *ReadBox() const;
    QLabel *Indicator() const;
    QLineEdit *Current(int channel) const; // 1..4

private:
    std::unique_ptr<Ui::IptCheckPage> ui;
};
