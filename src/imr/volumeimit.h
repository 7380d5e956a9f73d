#pragma once

#include <QObject>

#include <functional>
#include <utility>

class BenchSession;
class ImitVPage;
class ImrController;
class PoverVPage;
class QTimer;
class TImVOFrm;

// The volume accumulation: the module imitates a constant flow rate for as long as
// the chosen volume takes and stops by its own clock; the elapsed time it reports
// gives the imitated volume. Drives the accumulation page and the check page.
class VolumeImit : public QObject
{
    Q_OBJECT
public:
    struct Parts {
        TImVOFrm *dialog = nullptr;
        ImitVPage *imitV = nullptr;
        PoverVPage *poverV = nullptr;
    };
    VolumeImit(ImrController &imr, const Parts &parts, QObject *parent = nullptr);
    ~VolumeImit() override;

    bool StartVolumeImit();
    // The same run for a volume and flow rate of the caller's, towards the flowmeter.
    bool StartVolumeRun(double volume, int flow);
    bool Running() const;
    // 1000 ms while a run lasts; drives its progress.
    QTimer *Timer1() const { return m_timer1; }

public Q_SLOTS:
    void Button5Click();
    void Button26Click();
    void BtnQStartClick();
    void BtnQStopClick();
    void BtnQ2StartClick();
    void BtnQ2StopClick();
    void Timer1Timer();
    void edttimeClick();

private:
    bool StartVolumeImit(double volume, int flow);
    void AccTimeRead(int result);
    bool ReadAccTimeOnce();
    void ShowElapsed(QWidget *edit);
    void ShowLength(int seconds);
    void ShowImitQ(double imitQ);
    void SetProgress(int value, int maximum = -1);
    void EnableStarts(bool start, bool stop);
    // The dialog's flow rate can be imitated; otherwise the operator is told why not.
    bool FlowAccepted() const;
    // Both start buttons are locked while a start waits on the module.
    void LockStarts();
    void UnlockStarts();

    ImrController &m_imr;
    BenchSession &m_session;
    Parts m_p;
    QTimer *m_timer1;
    bool m_starting = false;
    std::pair<bool, bool> m_startsEnabled{false, false};
};
