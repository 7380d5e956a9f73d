#include "shell/tmainfrm.h"
#include "usi_ipt/ipttuningpage.h"

void TMainFrm::WireTuning()
{
    auto *ipt = new IptTuningPage(MBCM, m_shared);
    ipt->serverConnected = [this] { return FServerConnected; };
    connect(ipt, &IptTuningPage::StatusChanged, this, &TMainFrm::SetSBText);
    SetPage(QStringLiteral("tsIPT2"), ipt);
}
