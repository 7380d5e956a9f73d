#include "shell/tmainfrm.h"
#include "ui_tmainfrm.h"

#include "bench/modulesearch.h"
#include "imr/imrcontroller.h"
#include "bench/tfrminit.h"
#include "bench/tpropertyfrm.h"
#include "imr/poverqpage.h"

// The target task, the bench's own verification page and the module service windows.
void TMainFrm::WireService()
{
    auto *pover = new PoverQPage(*m_imr);
    // The calibration group was put on the placeholder page, which goes now.
    pover->AdoptDelayLineGroup(
        qobject_cast<QWidget *>(FindByName(Page(QStringLiteral("TSPoverQ")), QStringLiteral("GBDelayLine"))));
    connect(pover, &PoverQPage::StatusChanged, this, &TMainFrm::SetSBText);
    SetPage(QStringLiteral("TSPoverQ"), pover);

    ui->N4->setVisible(true);
    connect(ui->N4, &QAction::triggered, this, [this] {
        TFrmInit *init = Windows.FrmInit;
        if (!init)
            return;
        init->Bind(m_session);
        init->show();
        init->raise();
        init->activateWindow();
    });
}

void TMainFrm::BtnPropQTMClick()
{
    TPropertyFrm *prop = Windows.PropertyFrm;
    TPQTM *selected = m_search->Selected();
    if (!prop || !selected)
        return;
    prop->Bind(m_session);
    prop->Prib = selected;
    // Modal, so the module cannot change under the open window.
    prop->setWindowModality(Qt::ApplicationModal);
    prop->show();
    prop->raise();
    prop->activateWindow();
    prop->FormActivate();
}
