#pragma once

#include "session/benchsession.h"
#include "link/conventions.h"

#include <QString>
#include <QVariant>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QStatusBar;

// What the flowmeter windows need besides the session.
struct FlowWindowContext {
    std::function<void()> RestartPolling; // sent: has run when the call returns
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

// What both flowmeter windows are: a window on the flowmeter link of the session
// and its register descriptor, with a status bar and a place of its own in "QTM.ini".
class FlowmeterWindow : public QWidget
{
    Q_OBJECT
public:
    ~FlowmeterWindow() override;

    BenchSession *Session = nullptr;
    TPribor *Pribor = nullptr; // the session's working descriptor
    int Canal = 0;
    FlowWindowContext Context;

    bool Connected() const { return Session && Session->FlowmeterConnected(); }
    // Where this window's requests go.
    ModuleLink Flowmeter() const { return Session->Flowmeter(); }
    // This window owns the results of that flowmeter QID.
    void Subscribe(int qid, ResultHandler handler) { Session->SubscribeFlowmeter(qid, this, std::move(handler)); }
    QLabel *SBPanel() const { return m_sbPanel; }
    void SetStatus(const QString &text);
    QString Status() const;

    // Subscribes to the results of this window's own tasks.
    virtual void SubscribeResults() = 0;

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
