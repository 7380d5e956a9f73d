#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class TParATFrm;
}

// The auto-test parameters as the operator typed them.
struct ParATSettings {
    QString TransientQ;      // after a flow-rate change, s
    QString ReadingsPerFlow; // readings of the flowmeter at each flow rate
    QString ReadingPeriod;   // between readings
    QString TransientV;      // at the volume check, s
    QString Volume;          // accumulated at the volume check, m3
};

// "Параметры процесса автоматического тестирования": stays on top, OK and Cancel only hide it.
class TParATFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TParATFrm(QWidget *parent = nullptr);
    ~TParATFrm() override;

    ParATSettings Settings() const;
    void SetSettings(const ParATSettings &s);

Q_SIGNALS:
    // OK was pressed; the owner takes the values.
    void Confirmed();

public Q_SLOTS:
    void BitBtn1Click();
    void BitBtn2Click();

private:
    std::unique_ptr<Ui::TParATFrm> ui;
};
