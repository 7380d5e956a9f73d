#pragma once

#include "link/benchshared.h"
#include "link/imbcommaster.h"

#include <QHash>
#include <QLineEdit>
#include <QObject>
#include <QPointer>

#include <functional>

class ICalcSink;
class QAbstractButton;
class QComboBox;
class TFlowMeterForm;
class TFlowMeterFormGS;

// The main window's controls of the flowmeter group (and the two polled fields
// of other pages) that the flowmeter link reads and writes.
struct FlowmeterControls {
    QComboBox *cbxprib = nullptr;
    QLineEdit *edtadrp = nullptr;
    QLineEdit *Edit4 = nullptr;
    QLineEdit *edtac = nullptr;
    // On pages that may be replaced after start-up: see SetPolledFields.
    QPointer<QLineEdit> EdtRashQ1;
    QPointer<QLineEdit> edtnabor;
    QAbstractButton *BitBtn7 = nullptr;
    QAbstractButton *BtnSetup = nullptr;
    QAbstractButton *BtnCount1 = nullptr;
    QAbstractButton *BtnConnect1 = nullptr;
};

// The flowmeter under test outside its own windows: model set-up, cyclic
// polling, link test and the routing of every MBCM1 result.
class FlowmeterLink : public QObject
{
    Q_OBJECT
public:
    // What a window does with the result of one of its own tasks.
    using Completion = std::function<void(int mbAddr, const QVariant &value, int result)>;

    // form and formGS are the registry slots of the two flowmeter windows; they
    // are filled (windows created hidden, parented to windowParent) by the
    // first SetPribType.
    FlowmeterLink(IMBComMaster *mbcm1, IMBComMaster *mbcm, BenchShared &shared, TPribor &pribor,
                  const FlowmeterControls &controls, QPointer<TFlowMeterForm> &form,
                  QPointer<TFlowMeterFormGS> &formGS, QWidget *windowParent, QObject *parent = nullptr);

    // nullptr: results meant for the calculator only update the main window.
    void SetCalc(ICalcSink *calc) { m_calc = calc; }
    // Re-points the polled flow rate and volume fields after their page was replaced.
    void SetPolledFields(QLineEdit *rashQ1, QLineEdit *nabor);
    // Routes the results of a QID not handled here (the windows' own tasks).
    void SetCompletion(int qid, Completion completion);
    // The state of both links as the windows' handlers test it.
    void SetLinkState(std::function<bool()> priborConnected, std::function<bool()> serverConnected);
    // The current meter's current for the running current output calibration.
    void TokIpt(double mA);
    // Ends a running calibration with its STOP: the program is closing.
    void StopCalibrations();

public Q_SLOTS:
    void cbxpribChange();
    void SetPribType(int index);
    // Replaces all tasks of MBCM1 by the cyclic reads of the selected model.
    void RestartPolling();
    void BitBtn7Click();
    void BtnCount1Click();
    void BtnSetupClick();
    void MBCM1Exchange(int qid, int mbAddr, int funNumber, const QVariant &value, int result);

private:
    void CreateWindows();
    void VolumeDone(const QVariant &value, int result);
    void FlowRateDone(const QVariant &value, int result);
    void AutoCircDone(const QVariant &value, int result);
    void DeviceNameDone(int mbAddr, const QVariant &value, int result);
    void UzsStatusDone(const QVariant &value, int result);
    void ModeDone(const QVariant &value, int result);
    void SlotTypesDone(const QVariant &value, int result);
    void TokiDone(const QVariant &value, int result);
    bool Canal2Selected() const;

    IMBComMaster *m_mbcm1;
    IMBComMaster *m_mbcm;
    BenchShared &m_shared;
    TPribor &m_pribor;
    FlowmeterControls m_ui;
    QPointer<TFlowMeterForm> &m_form;
    QPointer<TFlowMeterFormGS> &m_formGS;
    QWidget *m_windowParent;
    ICalcSink *m_calc = nullptr;
    QHash<int, Completion> m_completions;
    std::function<bool()> m_priborConnected;
    std::function<bool()> m_serverConnected;
};
