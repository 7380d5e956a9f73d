#pragma once

#include <QPointer>
#include <QWidget>

class TSysFrm;
class TImVOFrm;
class TParATFrm;
class TPropertyFrm;
class TFrmInit;
class TFlowMeterForm;
class TFlowMeterFormGS;

// The one instance of each further window of the program, reached through the main
// window that owns them. The windows live until the main window is destroyed.
struct ProgramWindows
{
    QPointer<TSysFrm> SysFrm;
    QPointer<QWidget> CanalFrm;
    QPointer<TImVOFrm> ImVOFrm;
    QPointer<TParATFrm> ParATFrm;
    QPointer<QWidget> Form11;
    QPointer<TPropertyFrm> PropertyFrm;
    QPointer<TFrmInit> FrmInit;

    QPointer<QWidget> MProFrm;
    QPointer<QWidget> calcFrm;
    QPointer<TFlowMeterForm> FlowMeterForm;
    QPointer<TFlowMeterFormGS> FlowMeterFormGS;
    QPointer<QWidget> ExchangeMonitorFrm; // made when first opened
    QPointer<QWidget> JournalFrm;         // made when first opened
};
