#include "shell/tmainfrm.h"
#include "usi_ipt/ipttuningpage.h"

void TMainFrm::WireTuning()
{
    auto *ipt = new IptTuningPage(*m_session);
    connect(ipt, &IptTuningPage::StatusChanged, this, &TMainFrm::SetSBText);
    SetPage(QStringLiteral("tsIPT2"), ipt);
}
