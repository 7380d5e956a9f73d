#include "usi_ipt/iptgroup.h"

#include "session/benchqids.h"
#include "session/benchsession.h"
#include "link/conventions.h"
#include "link/imbcommaster.h"
#include "link/radiogroup.h"
#include "usi_ipt/grouphost.h"
#include "usi_ipt/iptcheckpage.h"

#include "ui_iptgroup.h"

#include <QtMath>

#include <cmath>

using namespace BenchQid;

namespace
{
constexpr int kCurrentsAddress = 0xC000;
constexpr int kPeriodMs = 1000;
} // namespace

IptGroup::IptGroup(BenchSession &session, QWidget *parent)
    : QGroupBox(parent), ui(std::make_unique<Ui::IptGroup>()), m_session(session)
{
    ui->setupUi(this);
    m_channel = new RadioGroup({ui->rbi0, ui->rbi1, ui->rbi2, ui->rbi3}, this);
    for (int k = 0; k < 4; ++k) {
        QAbstractButton *rb = m_channel->Button(k);
        rb->setAccessibleName(QStringLiteral("Ток канала %1 в калькулятор").arg(k + 1));
        rb->setAccessibleDescription(rb->toolTip());
    }
    m_channel->SetItemIndex(m_session.IptChannel());
    connect(m_channel, &RadioGroup::ItemIndexChanged, &m_session, &BenchSession::SetIptChannel);
    connect(&m_session, &BenchSession::IptChannelChanged, m_channel, &RadioGroup::SetItemIndex);
    ui->ChbTok->setToolTip(QStringLiteral("Читать токи ИПТ каждую секунду"));
    ui->ChbTok->setAccessibleDescription(QStringLiteral("Чтение токов ИПТ"));
    connect(ui->ChbTok, &QCheckBox::toggled, this, &IptGroup::ChbTokClick);
    m_session.Subscribe(ReadIptCur, this, [this](int, const QVariant &v, int r) {
        if (const double mA = ShowCurrents(v, r); !std::isnan(mA))
            m_session.Calc().SetIIzm(mA);
    });
    m_session.Subscribe(ReadIptCurCal, this, [this](int, const QVariant &v, int r) {
        if (const double mA = ShowCurrents(v, r); !std::isnan(mA))
            Q_EMIT CalibrationCurrentRead(mA);
    });
}

IptGroup::~IptGroup() = default;

void IptGroup::SetPolling(bool on)
{
    ui->ChbTok->setChecked(on);
}

void IptGroup::Attach(IptCheckPage *page)
{
    m_page = page;
    connect(page->ReadBox(), &QCheckBox::toggled, this, &IptGroup::CHBTok1Click);
}

void IptGroup::Toggle(QCheckBox *box)
{
    if (m_session.IptDev().Adr == 0)
        return;
    const ModuleLink ipt = m_session.Ipt();
    if (box->isChecked())
        (void)ipt.ReadInputRegs(ReadIptCur, kPeriodMs, kCurrentsAddress, dtFloat32, 4);
    else
        ipt.FreeTask(ReadIptCur);
}

void IptGroup::ChbTokClick()
{
    Toggle(ui->ChbTok);
}

void IptGroup::CHBTok1Click()
{
    if (m_page)
        Toggle(m_page->ReadBox());
}

double IptGroup::ShowCurrents(const QVariant &value, int result)
{
    const QVariantList currents = value.toList();
    if (result != 0 || currents.size() < 4)
        return qQNaN();
    ui->LblS1->Advance();
    if (m_page)
        m_page->Indicator()->setText(ui->LblS1->text());
    QLineEdit *edits[] = {ui->EdtI1, ui->EdtI2, ui->EdtI3, ui->EdtI4};
    for (int k = 0; k < 4; ++k) {
        const QString text = Fmt3(currents.at(k).toDouble());
        edits[k]->setText(text);
        if (m_page)
            m_page->Current(k + 1)->setText(text);
    }
    const int chosen = m_channel->ItemIndex();
    return chosen >= 0 && chosen < 4 ? currents.at(chosen).toDouble() : qQNaN();
}

bool IptGroup::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange)
        DockInHost(this);
    return QGroupBox::event(event);
}
