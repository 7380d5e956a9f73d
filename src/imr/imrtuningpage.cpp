#include "imr/imrtuningpage.h"

#include "imr/clicklabel.h"
#include "imr/imrcontroller.h"
#include "link/benchshared.h"
#include "link/conventions.h"
#include "link/runguard.h"

#include "ui_delaylinegroup.h"
#include "ui_imrtuningpage.h"

#include <cmath>

DelayLineGroup::DelayLineGroup(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::DelayLineGroup>())
{
    ui->setupUi(this);
    connect(ui->Button20, &QPushButton::clicked, this, &DelayLineGroup::CalibrateClicked);
}

DelayLineGroup::~DelayLineGroup() = default;

void DelayLineGroup::SetDelay(const QString &text)
{
    ui->Edit10->setText(text);
}

ImrTuningPage::ImrTuningPage(ImrController &imr, BenchShared &shared, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::ImrTuningPage>()), m_imr(imr), m_s(shared)
{
    ui->setupUi(this);
    ui->Panel1->hide();
    connect(ui->Button29, &QPushButton::clicked, this, &ImrTuningPage::Button29Click);
    connect(ui->Button14, &QPushButton::clicked, this, &ImrTuningPage::Button14Click);
    connect(ui->Button15, &QPushButton::clicked, this, &ImrTuningPage::Button15Click);
    new ClickFilter(ui->Label61, [this] { Label61Click(); });
    new ClickFilter(ui->Label30, [this] { Label30Click(); });
}

ImrTuningPage::~ImrTuningPage() = default;

void ImrTuningPage::Attach(DelayLineGroup *group)
{
    m_group = group;
    connect(group, &DelayLineGroup::CalibrateClicked, this, &ImrTuningPage::Button29Click);
}

void ImrTuningPage::Button29Click()
{
    const RunGuard run(m_running, Waiting());
    if (run && m_imr.CalibrateDelayLine())
        ShowCalibration();
}

QList<QWidget *> ImrTuningPage::Waiting() const
{
    return {ui->Button29, ui->Button14, ui->Button15};
}

void ImrTuningPage::ShowCalibration()
{
    const double d0 = m_s.CalibData[0].D;
    const double d1 = m_s.CalibData[1].D;
    ui->Edit29->setText(Fmt3(m_s.T0));
    ui->Edit30->setText(Fmt3(m_s.T1));
    ui->Edit28->setText(Fmt5(double(quint32(m_s.Fosc)) / 1e8));
    ui->Edit31->setText(Fmt3(d0));
    ui->Edit32->setText(Fmt3(d1));
    ui->Edit33->setText(Fmt3(std::fabs(d0 + d1) / 2));
    if (m_group)
        m_group->SetDelay(ui->Edit33->text());
}

void ImrTuningPage::Label61Click()
{
    ui->Panel1->setVisible(!ui->Panel1->isVisibleTo(this));
}

void ImrTuningPage::Label30Click()
{
    m_imr.RequestEmulBit();
}

void ImrTuningPage::Button14Click()
{
    if (const RunGuard run(m_running, Waiting()); run)
        m_imr.SetEmulBit(false);
}

void ImrTuningPage::Button15Click()
{
    if (const RunGuard run(m_running, Waiting()); run)
        m_imr.SetEmulBit(true);
}
