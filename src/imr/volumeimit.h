#pragma once

#include <QObject>

#include <functional>

class IMBComMaster;
class ImitVPage;
class ImrController;
class PoverVPage;
class QTimer;
class TImVOFrm;
struct BenchShared;

// The volume accumulation: the module imitates a constant flow rate for as long as
// the chosen volume takes and stops by its own clock; the elapsed time it reports
// gives the imitated volume. Drives the accumulation page and the check page.
class VolumeImit : public QObject
{
    Q_OBJECT
public:
    struct Parts {
        IMBComMaster *mbcm = nullptr;  // bench link
        IMBComMaster *mbcm1 = nullptr; // flowmeter link
        QTimer *timer1 = nullptr;      // 1000 ms, drives the progress of a run
        TImVOFrm *dialog = nullptr;
        ImitVPage *imitV = nullptr;
        PoverVPage *poverV = nullptr;
    };
    VolumeImit(ImrController &imr, BenchShared &shared, const Parts &parts, QObject *parent = nullptr);
    ~VolumeImit() override;

    // Registers the completion of the elapsed-time read.
    void InstallEffects();
    // True when a flowmeter model is selected.
    std::function<bool()> modelSelected;

    bool StartVolumeImit();
    // The same run for a volume and flow rate of the caller's, towards the flowmeter.
    bool StartVolumeRun(double volume, int flow);
    bool Running() const;

public Q_SLOTS:
    void Button5Click();
    void Button26Click();
    void BtnQStartClick();
    void BtnQStopClick();
    void BtnQ2StartClick();
    void BtnQ2StopClick();
    void Timer1Timer();
    void edttimeClick();

Q_SIGNALS:
    // The imitated volume, m3, from every elapsed-time read.
    void VEtalonRead(double volume);

private:
    bool StartVolumeImit(double volume, int flow);
    void AccTimeRead(int result);
    void ReadAccTimeOnce();
    void ShowElapsed(QWidget *edit);
    void ShowLength(int seconds);
    void ShowImitQ(double imitQ);
    void SetProgress(int value, int maximum = -1);
    void EnableStarts(bool start, bool stop);

    ImrController &m_imr;
    BenchShared &m_s;
    Parts m_p;
};
