#pragma once

#include "flowmeter/currentcalibration.h"
#include "link/mailbox.h"

#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QTimer;
class TGsForm1;
namespace Ui
{
class TGsCalibTokForm;
}

// Calibration of one current output slot against the bench's current meter:
// four reference points, ten timer ticks each, then the measured table.
class TGsCalibTokForm : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Slot READ Slot WRITE SetSlot)
public:
    static constexpr int QidStart(int s) { return 29 + s; }
    static constexpr int QidStop(int s) { return -29 - s; }
    static constexpr int QidPoint(int s) { return 31 + s; }
    static constexpr int QidTable(int s, int k) { return 33 + 4 * s + k; }
    static constexpr int kTicksPerPoint = 10;

    // slot 0 is "Первый слот", 1 "Второй слот".
    TGsCalibTokForm(TGsForm1 &owner, int slot, QWidget *parent);
    ~TGsCalibTokForm() override;

    int Slot() const { return FSlot; }
    void SetSlot(int s) { FSlot = s; }

    std::array<float, CurrentCalibration::kPoints> Tok{};
    int ForI = 0;
    int timecounter = 0;
    int regim = 0; // 0 idle, 1 running, 2 measuring a point
    Mailbox F29_30, F_29_30, F31_32;

    QTimer *Timer() const { return m_timer; }
    QLabel *SBPanel() const { return m_sbPanel; }

    void Start();
    void Stop();
    void SetTokIpt(double mA);

    // Completions of this slot's flowmeter tasks.
    void StartDone(int result);
    void StopDone(int result);
    void PointDone(int result);
    void TableDone(int k, int result);

public Q_SLOTS:
    void btnStartClick() { Start(); }
    void BtnStopClick() { Stop(); }
    void TimerTimer();

private:
    // Refuses a start while a calibration runs, here or in the other slot.
    bool MayStart() const;
    bool LinksUp() const;
    // Hands over this slot's STOP and waits; true when the flowmeter took it.
    bool WriteStop();
    QLineEdit *Edit(int k) const;
    QLabel *StatusLabel(int k) const;
    void SetSlotCaption(const QString &text);
    void ShowIptChannel(int k);
    // regim 1 or 0, with the controls that follow it.
    void SetRunning(bool on);

    TGsForm1 &m_owner;
    std::unique_ptr<Ui::TGsCalibTokForm> ui;
    int FSlot = 0;
    QTimer *m_timer = nullptr;
    QLabel *m_sbPanel = nullptr;
};
