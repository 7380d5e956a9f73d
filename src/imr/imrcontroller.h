#pragma once

#include "imr/delayline.h"
#include "session/benchsession.h"

#include <QObject>
#include <QString>

#include <functional>

class BenchSession;
class ModuleLink;

// The ИМР sequences: status, idle, emulation bit, delay-line calibration and the
// flow-rate imitation, and the program's own state of the module (its work mode,
// the imitated flow rate, the delay step). Every request goes to the ИМР through
// the session; it tells the windows what to show by signals.
class ImrController : public QObject
{
    Q_OBJECT
public:
    ImrController(BenchSession &session, QObject *parent = nullptr);
    ~ImrController() override;

    BenchSession &Session() const { return m_session; }
    bool BenchConnected() const;
    // True when the ИМР was found; otherwise the operator is told that nothing is sent.
    bool ImrFound();

    // The program's work mode of the module: 0 idle, 1 flow-rate imitation, 3 volume,
    // 5 continuous check, 6 delay-line check, 7 volume check.
    int ImrMode() const { return m_imrMode; }
    void SetImrMode(int mode) { m_imrMode = mode; }
    // The imitation runs for the bench's own verification (no emulation bit).
    bool VerifyMode() const { return m_verifyMode; }
    void SetVerifyMode(bool on) { m_verifyMode = on; }
    // The flow rate the written pulse count really imitates, m3/h.
    double ImitQ() const { return m_imitQ; }
    // Delay of one delayed pulse, ns; 0 until a calibration succeeds.
    double DelayStep() const { return m_delayStep; }
    // A step known beforehand, without a calibration of its own.
    void SetDelayStep(double ns) { m_delayStep = ns; }
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
    // The same, giving the result code; a command that could not be sent is not waited for.
    int Command(int code);
    void WriteCommandNoWait(int code);
    // Waits for the result of a request; one that was not handed over (the ИМР
    // not found) is reported as not sent without waiting.
    int Await(bool handedOver, Mailbox &mailbox);
    // Writes the number of delayed pulses and waits; the result code.
    int WritePulseCount(int n);
    void SetImitQ(double q) { m_imitQ = q; }
    // Writes the imitation length (ms, 0 = no limit) and waits; says so on failure.
    bool WriteImitLength(quint32 ms);
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
    // A delay-line calibration began (true) or ended: commands to the ИМР would disturb it.
    void CalibratingChanged(bool on);
    void AllTasksFreed();                      // the reset freed every bench task
    void ImitLengthSet(int seconds);
    void AutoCircTextChanged(const QString &text); // the count field of the configuration page

public:
    // The status bar's text at the end of a run, so no text of a finished step stays.
    void ShowStatus(const QString &text) { Status(text); }

private:
    ModuleLink Imr() const;
    bool CalibrationSteps();
    // Every message of a sequence goes here, so a failure is told once.
    void Say(const QString &text);
    // A status read inside a sequence; a failure is told (once) whatever its cause.
    bool ReadStateOrTell();
    void Status(const QString &text) { Q_EMIT StatusChanged(text); }
    void ShowBit(bool bit);

    BenchSession &m_session;
    int m_imrMode = 0;
    bool m_verifyMode = false;
    double m_imitQ = 0;
    double m_delayStep = 0;
    bool m_told = false; // the running sequence has shown its failure
};
