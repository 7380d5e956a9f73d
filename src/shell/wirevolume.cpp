#include "shell/tmainfrm.h"
#include "ui_tmainfrm.h"

#include "imr/imitvpage.h"
#include "imr/imrcontroller.h"
#include "imr/povervpage.h"
#include "imr/timvofrm.h"
#include "imr/volumeimit.h"
#include "usi_ipt/iptcheckpage.h"
#include "usi_ipt/iptgroup.h"
#include "usi_ipt/usigroup.h"

// The volume accumulation pages, the pulse counter group and the current groups.
// The pages go in first: the target task then moves the groups onto them.
void TMainFrm::WireVolume()
{
    auto *imitV = new ImitVPage;
    SetPage(QStringLiteral("TSImitV"), imitV);
    auto *poverV = new PoverVPage;
    SetPage(QStringLiteral("TSPoverV"), poverV);
    auto *iptPage = new IptCheckPage;
    SetPage(QStringLiteral("TSIpt"), iptPage);
    // The current output group has its place on the flow-rate imitation page.
    if (QWidget *host = Control<QWidget>(QStringLiteral("IptHost")))
        host->setProperty("hostsGroup", QStringLiteral("GBIpt"));

    VolumeImit::Parts parts;
    parts.dialog = Windows.ImVOFrm;
    parts.imitV = imitV;
    parts.poverV = poverV;
    m_volume = new VolumeImit(*m_imr, parts, this);

    // Given their page afterwards, so they dock into its host place.
    m_usi = new UsiGroup(*m_session);
    m_usi->setParent(imitV);
    m_usi->show();

    m_ipt = new IptGroup(*m_session);
    m_ipt->setParent(Page(QStringLiteral("TSImitQ")));
    m_ipt->show();
    m_ipt->Attach(iptPage);
}
