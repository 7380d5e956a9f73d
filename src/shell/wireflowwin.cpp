#include "shell/tmainfrm.h"

#include "flowmeter/flowmeterlink.h"

// The flowmeter windows: the link state their handlers test, the current meter's
// current for the calibration windows, and the STOP of a calibration the closing
// program interrupts.
void TMainFrm::WireFlowWin()
{
    m_flow->SetLinkState([this] { return FPRiborConnected; }, [this] { return FServerConnected; });
    Hooks.IptCalibrationCurrent = [this](double mA) { m_flow->TokIpt(mA); };
    connect(this, &TMainFrm::FormClosed, m_flow, &FlowmeterLink::StopCalibrations);
}
