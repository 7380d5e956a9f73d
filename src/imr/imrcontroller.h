#pragma once

#include "imr/delayline.h"
#include "link/benchshared.h"

#include <QObject>
#include <QString>

#include <functional>

class IMBComMaster;

// The ИМР sequences: status, idle, emulation bit, delay-line calibration and the
// flow-rate imitation. Results reach it through the shared mailboxes that the
// bench exchange handler fills; it tells the windows what to show by signals.
class ImrController : public QObject
{
    Q_OBJECT
public:
    ImrController(IMBComMaster *mbcm, BenchShared &shared, QObject *parent = nullptr);
    ~ImrController() override;

    // Registers what the bench exchange handler does after storing an ИМР result
    // (the emulation-bit read shows the bit in the status).
    void InstallEffects();

    // The bench link flag of the main window; the client's own state when unset.
    std::function<bool()> serverConnected;

    bool BenchConnected() const;
    bool ReadImrState();
    bool ImrToIdle();
    bool SetEmulBit(bool value);
    bool CalibrateDelayLine();
    // q in m3/h; 0 stops. withTime also writes the length for VolumeSet.
    bool SetImitFlow(int q, bool withTime);
    // Starts an unlimited flow-rate imitation as "Начать имитацию" does: calibration,
    // emulation bit, no length, the pulse count and START; ImrMode 1 on success.
    bool StartFlowImitation(int q);
    // Counts the flowmeter's autocirculations with the module; true when counted.
    bool CountAutoCirculations();
    // Reset of all modes: frees every bench task and brings the ИМР to idle.
    bool ResetAllModes();

    // Set while "Подсчитать" runs: its wait must not be entered twice.
    bool Counting = false;

    // Writes a command code and waits; true when the module took it.
    bool WriteCommand(int code);
    void WriteCommandNoWait(int code);
    // Writes the imitation length (ms, 0 = no limit) and waits; says so on failure.
    bool WriteImitLength(quint32 ms);
    void SelectImrForPage() { SelectImr(); }
    // Hands over the read of the emulation bit without waiting.
    void RequestEmulBit();
    // Shows the outcome of an emulation-bit read that nobody waited for.
    void EmulBitRead(int result);

    // Volume to imitate, m3, for SetImitFlow with withTime.
    double VolumeSet = 0;
    int ImitSeconds = 0;
    int TickCount = 0;
    // Kept from one calibration to the next.
    double FineCorr = 0;
    DelayLineResult LastCalib;

    // Reads of the status while waiting for idle before giving up.
    static constexpr int kIdleReads = 50;

Q_SIGNALS:
    void StatusChanged(const QString &text);   // panel 0 of the status bar
    void ImrLabelChanged(const QString &text); // the automaton status label
    void ImitFlowStarted(double imitQ);        // imitation (re)started at this flow rate
    void ImitFlowStopped();                    // stopped by SetImitFlow(0)
    void ModesReset();                         // the reset of all modes brought the ИМР to idle
    void ImitLengthSet(int seconds);
    void Calibrated();
    void AutoCircTextChanged(const QString &text); // the count field of the configuration page

private:
    void SelectImr();
    // Every message of a sequence goes here, so a failure is told once.
    void Say(const QString &text);
    // A status read inside a sequence; a failure is told (once) whatever its cause.
    bool ReadStateOrTell();
    void Status(const QString &text) { Q_EMIT StatusChanged(text); }
    void ShowBit(bool bit);

    IMBComMaster *m_mbcm;
    BenchShared &m_s;
    bool m_told = false; // the running sequence has shown its failure
};
