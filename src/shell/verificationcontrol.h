#pragma once

#include "record/verification.h"
#include "shell/verificationbench.h"

#include <QObject>
#include <QPointer>

#include <functional>

class AutoRun;
class ProtocolPage;
class TForm3;
class TMainFrm;
class TParATFrm;

// The automatic verification of the page "Протокол": its settings in "QTM.ini", the
// run with its window, and the protocol of the last completed run.
class VerificationControl : public QObject
{
    Q_OBJECT
public:
    VerificationControl(TMainFrm &main, ProtocolPage *page);

    // The auto-test parameter window, once it exists.
    void AttachParameters(TParATFrm *window);

    void Start();
    void Stop();
    void CreateProtocol();
    void EditPoints();
    // The lab and bench data, entered once.
    void EditLab();

    bool Running() const { return m_run != nullptr; }
    const Verification::Settings &Settings() const { return m_settings; }
    bool HasRecord() const { return m_hasRecord; }
    const Verification::Record &LastRecord() const { return m_record; }
    QString LastPdf() const { return m_pdf; }
    QString LastXlsx() const { return m_xlsx; }
    // Asks for the protocol folder; empty when the operator cancels.
    std::function<QString()> chooseFolder;

private:
    // False, after saying why, when a number on the page does not take.
    bool TakePage();
    bool TakeParameters();
    void Save();
    void ShowSettings();

    TMainFrm &m_main;
    QPointer<ProtocolPage> m_page;
    QPointer<TParATFrm> m_parameters;
    QPointer<TForm3> m_window;
    MainVerificationBench m_bench;
    Verification::Settings m_settings;
    AutoRun *m_run = nullptr;
    bool m_stopAsked = false; // the run ends stopped, not failed
    Verification::Record m_record;
    bool m_hasRecord = false;
    QString m_pdf, m_xlsx;
};
