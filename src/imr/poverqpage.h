#pragma once

#include <QWidget>

#include <memory>

namespace Ui
{
class PoverQPage;
}
class ImrController;
class RadioGroup;

// Page "Поверка имитации расхода": the bench checks its own imitation at fixed
// points with the module's checks of the delayed pulses and of the delay line.
class PoverQPage : public QWidget
{
    Q_OBJECT
public:
    explicit PoverQPage(ImrController &imr, QWidget *parent = nullptr);
    ~PoverQPage() override;

    // The hidden delay-line calibration group lives here.
    void AdoptDelayLineGroup(QWidget *group);
    RadioGroup *Points() const { return m_points; }
    RadioGroup *PulseCheck() const { return m_nepr; }
    RadioGroup *LineCheck() const { return m_control; }

    // Number of delayed pulses of the current point as last written.
    int VerifyPulses = 0;

    // Writes the delayed pulses of point q (m3/h) and shows the flow rate they make.
    bool SetVerifyPoint(int q);

Q_SIGNALS:
    void StatusChanged(const QString &text);

public Q_SLOTS:
    void BtnStartPoverClick();
    void BtnStopPoverClick();
    void rgPoverClick();
    void RGNeprClick();
    void btnPover1Click();
    void RGControlClick();

private:
    int SelectedPoint() const;
    void EnableChecks(bool on);
    // What a running check locks: the groups, "Проверить" and "Стоп".
    QList<QWidget *> Checks() const;
    // Locks the checks while a delay-line calibration runs (the status bar names it).
    void LockForCalibration(bool on);
    // Runs a command and waits; the result code.
    int Command(int code);

    std::unique_ptr<Ui::PoverQPage> ui;
    ImrController &m_imr;
    RadioGroup *m_points;
    RadioGroup *m_nepr;
    RadioGroup *m_control;
    // Set while the page changes a selection itself: that is no operator's choice.
    bool m_quiet = false;
    bool m_running = false;
    int m_calibrations = 0; // nested calibration runs
    QList<bool> m_enabledBeforeCalibration;
};
