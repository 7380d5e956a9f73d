#pragma once

#include <QWidget>

#include <functional>
#include <memory>

namespace Ui
{
class ImitQPage;
}
class ImrController;
class RadioGroup;

// Page "Имитация расхода": start and stop of a constant imitated flow rate.
class ImitQPage : public QWidget
{
    Q_OBJECT
public:
    explicit ImitQPage(ImrController &imr, QWidget *parent = nullptr);
    ~ImitQPage() override;

    // True when a flowmeter model is selected in the configuration page; unset, a

    // Where the current output group of the current meter is placed.
    QWidget *IptHost() const;
    RadioGroup *Points() const { return m_points; }
    // After the reset of all modes: the page offers the start again.
    void ShowIdle();

public Q_SLOTS:
    void btnImitClick();
    void RGPointClick();

private:
    // The flow rate of the selected point; false (after the message) when the own
    // value is not an integer.
    bool SelectedFlow(int &q) const;

    std::unique_ptr<Ui::ImitQPage> ui;
    ImrController &m_imr;
    RadioGroup *m_points;
    bool m_running = false; // a start, stop or point change is waiting on the module
    int m_applying = -1;    // the point whose flow rate is being written
};
