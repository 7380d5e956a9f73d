#include "shell/tmainfrm.h"

#include "flowmeter/flowmeterlink.h"
#include "usi_ipt/iptgroup.h"

// The current output calibration windows take the current meter's one-shot reads.
void TMainFrm::WireFlowWin()
{
    connect(m_ipt, &IptGroup::CalibrationCurrentRead, m_flow, &FlowmeterLink::TokIpt);
}
