#pragma once

#include "session/benchsession.h"

#include <QLineEdit>
#include <QObject>
#include <QPointer>

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
// polling and link test; it owns the results of the polled reads.
class FlowmeterLink : public QObject
{
    Q_OBJECT
public:
    // form and formGS are the registry slots of the two flowmeter windows; they
    // are filled (windows created hidden, parented to windowParent) by the
    // first SetPribType.
    FlowmeterLink(BenchSession &session, const FlowmeterControls &controls, QPointer<TFlowMeterForm> &form,
                  QPointer<TFlowMeterFormGS> &formGS, QWidget *windowParent, QObject *parent = nullptr);

    // Re-points the polled flow rate and volume fields after their page was replaced.
    void SetPolledFields(QLineEdit *rashQ1, QLineEdit *nabor);
    // The current meter's current for the running current output calibration.
    void TokIpt(double mA);
    // The selected model's name and the flowmeter's identification text, as shown.
    QString ModelName() const;
    QString Identification() const;
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

private:
    void CreateWindows();
    void VolumeDone(const QVariant &value, int result);
    void FlowRateDone(const QVariant &value, int result);
    void AutoCircDone(const QVariant &value, int result);
    void DeviceNameDone(int mbAddr, const QVariant &value, int result);
    void UzsStatusDone(const QVariant &value, int result);
    void ModeDone(const QVariant &value, int result);
    bool Canal2Selected() const;

    BenchSession &m_session;
    TPribor &m_pribor;
    FlowmeterControls m_ui;
    QPointer<TFlowMeterForm> &m_form;
    QPointer<TFlowMeterFormGS> &m_formGS;
    QWidget *m_windowParent;
};
