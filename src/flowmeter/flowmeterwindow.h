#pragma once

#include "link/benchshared.h"
#include "link/conventions.h"
#include "link/imbcommaster.h"

#include <QString>
#include <QVariant>
#include <QWidget>

#include <functional>

class FlowmeterLink;
class QLabel;
class QLineEdit;
class QStatusBar;

// What the flowmeter windows need from the main window besides the flowmeter client.
struct FlowWindowContext {
    std::function<bool()> PriborConnected; // the flowmeter link is open
    std::function<bool()> ServerConnected; // the bench link is open
    std::function<void()> RestartPolling;  // sent: has run when the call returns
    IMBComMaster *Bench = nullptr;         // the bench client, for the current meter
    BenchShared *Shared = nullptr;
};

// Window positions in "QTM.ini", keys "left" and "top" of the window's own section;
// a stored place off the screen centres the window.
void RestorePlacement(QWidget *window, const QString &section);
void StorePlacement(const QWidget *window, const QString &section);

// Panel 0 of a form's status bar.
QLabel *AddStatusPanel(QStatusBar *sb);

// One register-backed setting of a flowmeter window: one description of the edit
// field, its register and types, and the tasks that read and write it.
struct RegisterField {
    QLineEdit *Edit = nullptr;
    int ReadQid = 0;
    int WriteQid = 0;
    int Reg = 0;    // of the first channel
    int Stride = 0; // register step from one channel to the next
    int ReadType = dtFloat32;
    int WriteType = dtFloat32;
    int Decimals = 3;         // shown as "0.###"; integer types show whole numbers
    bool DecimalInput = true; // false: the operator types a whole number
    QString WriteStatus;      // status bar prefix of the write's result

    int Address(int canal) const { return Reg + Stride * canal; }
    // The edit's text as a value of the write type; false after telling the
    // operator why (not a number, out of the register's range).
    bool Typed(QVariant *out) const;
    QString Text(const QVariant &value) const;
};

// What both flowmeter windows are: a window on the flowmeter link bound to the
// main window's client and register descriptor, with a status bar and a place
// of its own in "QTM.ini".
class FlowmeterWindow : public QWidget
{
    Q_OBJECT
public:
    ~FlowmeterWindow() override;

    IMBComMaster *MBCM = nullptr;
    TPribor *Pribor = nullptr; // the main window's working descriptor
    int Canal = 0;
    FlowWindowContext Context;

    bool Connected() const { return Context.PriborConnected && Context.PriborConnected(); }
    QLabel *SBPanel() const { return m_sbPanel; }
    void SetStatus(const QString &text);

    // Routes the results of this window's own tasks.
    virtual void InstallCompletions(FlowmeterLink &link) = 0;

protected:
    FlowmeterWindow(const QString &section, QWidget *parent);
    // After setupUi: the status panel and the stored position.
    void FormCreate(QStatusBar *sb);
    // A write of one field; false when the text was refused.
    bool WriteField(const RegisterField &field, int canal);
    void ReadField(const RegisterField &field, int canal, int count = 1, bool input = false);

private:
    QString m_section;
    QLabel *m_sbPanel = nullptr;
};
