#include "imr/imitqpage.h"

#include "imr/imrcontroller.h"
#include "session/benchsession.h"
#include "link/conventions.h"
#include "link/keyfilters.h"
#include "link/messages.h"
#include "link/radiogroup.h"
#include "link/runguard.h"

#include "ui_imitqpage.h"

#include <QRadioButton>
#include <QStyle>

namespace
{
constexpr int kOwnPoint = 5;
constexpr int kModeFlow = 1;
} // namespace

ImitQPage::ImitQPage(ImrController &imr, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::ImitQPage>()), m_imr(imr)
{
    ui->setupUi(this);
    m_points = new RadioGroup(ui->RGPoint, this);
    InstallIntFilter(ui->Edit1);
    ui->SpeedButton3->setIcon(QIcon::fromTheme(QStringLiteral("accessories-calculator"),
                                               style()->standardIcon(QStyle::SP_FileDialogDetailedView)));
    connect(ui->btnImit, &QPushButton::clicked, this, &ImitQPage::btnImitClick);
    connect(m_points, &RadioGroup::ItemIndexChanged, this, &ImitQPage::RGPointClick);
    connect(&m_imr, &ImrController::ModesReset, this, &ImitQPage::ShowIdle);
    connect(&m_imr, &ImrController::ImitFlowStarted, this, [this](double q) {
        if (m_imr.ImrMode() == kModeFlow)
            ui->EdtRashQImit->setText(Fmt3(q));
    });
    connect(&m_imr, &ImrController::ImitFlowStopped, this,
            [this] { ui->EdtRashQImit->setText(QStringLiteral("0.000")); });
}

ImitQPage::~ImitQPage() = default;

QWidget *ImitQPage::IptHost() const
{
    return ui->IptHost;
}

void ImitQPage::ShowIdle()
{
    ui->btnImit->setText(QStringLiteral("Начать имитацию"));
    ui->RGPoint->setEnabled(false);
}

bool ImitQPage::SelectedFlow(int &q) const
{
    const int index = m_points->ItemIndex();
    const QString text =
        index >= kOwnPoint || index < 0 ? ui->Edit1->text().trimmed() : m_points->Button(index)->text();
    return Messages::ToInteger(text, &q);
}

void ImitQPage::btnImitClick()
{
    const RunGuard run(m_running, {ui->btnImit});
    if (!run)
        return;
    if (m_imr.Session().ImrDev().Adr == 0 || !m_imr.BenchConnected())
        return;
    if (m_imr.Session().PribType() < 0) {
        Messages::Show(QStringLiteral("Не выбран поверяемый прибор"));
        return;
    }
    if (m_imr.ImrMode() != 0 && m_imr.ImrMode() != kModeFlow) {
        Messages::Show(QStringLiteral("Отмените работу других режимов"));
        return;
    }
    if (m_imr.ImrMode() == kModeFlow) {
        m_imr.WriteCommandNoWait(2);
        ui->EdtRashQImit->setText(QStringLiteral("0.000"));
        ShowIdle(); // the run guard gives the button back enabled
        m_imr.SetImrMode(0);
        return;
    }
    // Read the field first: a bad own value must stop before anything is written.
    int q = 0;
    if (!SelectedFlow(q))
        return;
    if (!m_imr.StartFlowImitation(q))
        return;
    ui->btnImit->setText(QStringLiteral("Остановить имитацию"));
    ui->RGPoint->setEnabled(true);
    if (m_imr.Session().PriborDev().Adr == 0)
        ui->EdtRashQ1->setText(QStringLiteral("--"));
}

void ImitQPage::RGPointClick()
{
    const RunGuard run(m_running, {ui->btnImit});
    if (!run) {
        // The point being written stays the one shown.
        m_points->SetItemIndex(m_applying);
        return;
    }
    m_applying = m_points->ItemIndex();
    int q = 0;
    if (!SelectedFlow(q))
        return;
    m_imr.SetImitFlow(q, false);
}
