#include "shell/tmainfrm.h"
#include "ui_tmainfrm.h"

#include "calc/tcalcfrm.h"
#include "flowmeter/flowmeterlink.h"
#include "imr/imitvpage.h"
#include "imr/imrcontroller.h"
#include "imr/povervpage.h"
#include "imr/timvofrm.h"
#include "imr/volumeimit.h"
#include "usi_ipt/iptcheckpage.h"
#include "usi_ipt/iptgroup.h"
#include "usi_ipt/usigroup.h"

#include <QLineEdit>

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
    parts.mbcm = MBCM;
    parts.mbcm1 = MBCM1;
    parts.timer1 = Timer1;
    parts.dialog = new TImVOFrm(this);
    parts.imitV = imitV;
    parts.poverV = poverV;
    auto *volume = new VolumeImit(*m_imr, m_shared, parts, this);
    volume->InstallEffects();
    volume->modelSelected = [this] { return ui->cbxprib->currentIndex() >= 0; };
    connect(volume, &VolumeImit::VEtalonRead, this, [this](double v) {
        if (m_calc)
            m_calc->SetVEtalon(v);
    });

    auto *usi = new UsiGroup(MBCM, m_shared);
    usi->setParent(imitV);
    usi->show();
    usi->InstallEffects();
    usi->serverConnected = [this] { return FServerConnected; };
    connect(usi, &UsiGroup::ImpIzmRead, this, [this](double n) {
        if (m_calc)
            m_calc->SetImpIzm(n);
    });

    auto *ipt = new IptGroup(MBCM, m_shared);
    ipt->setParent(Page(QStringLiteral("TSImitQ")));
    ipt->show();
    ipt->InstallEffects();
    ipt->Attach(iptPage);
    connect(ipt, &IptGroup::IIzmRead, this, [this](double mA) {
        if (m_calc)
            m_calc->SetIIzm(mA);
    });
    connect(ipt, &IptGroup::CalibrationCurrentRead, this, [this](double mA) {
        if (Hooks.IptCalibrationCurrent)
            Hooks.IptCalibrationCurrent(mA);
    });

    m_flow->SetPolledFields(Control<QLineEdit>(QStringLiteral("EdtRashQ1")),
                            Control<QLineEdit>(QStringLiteral("edtnabor")));
}
