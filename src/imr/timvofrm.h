#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class TImVOFrm;
}
class RadioGroup;

// Dialog "Параметры накопления объема": the flow rate and the volume of a volume
// accumulation. Confirming always closes it as confirmed; a field that is not an
// integer keeps the value it would have set.
class TImVOFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TImVOFrm(QWidget *parent = nullptr);
    ~TImVOFrm() override;

    int VolumeSet = 0; // m3
    int FlowSet = 0;   // m3/h
    RadioGroup *Points() const { return m_points; }

public Q_SLOTS:
    void BitBtn1Click();

private:
    std::unique_ptr<Ui::TImVOFrm> ui;
    RadioGroup *m_points;
};
