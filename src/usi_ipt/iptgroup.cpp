#include "usi_ipt/iptgroup.h"

#include "link/benchqids.h"
#include "link/benchshared.h"
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

IptGroup::IptGroup(IMBComMaster *mbcm, BenchShared &shared, QWidget *parent)
    : QGroupBox(parent), ui(std::make_unique<Ui::IptGroup>()), m_mbcm(mbcm), m_s(shared)
{
    ui->setupUi(this);
    m_channel = new RadioGroup({ui->rbi0, ui->rbi1, ui->rbi2, ui->rbi3}, this);
    for (int k = 0; k < 4; ++k) {
        QAbstractButton *rb = m_channel->Button(k);
        rb->setAccessibleName(QStringLiteral("Канал %1 в калькулятор").arg(k + 1));
        rb->setAccessibleDescription(rb->toolTip());
    }
    ui->ChbTok->setToolTip(QStringLiteral("Читать токи ИПТ каждую секунду"));
    ui->ChbTok->setAccessibleDescription(QStringLiteral("Чтение токов ИПТ"));
    connect(ui->ChbTok, &QCheckBox::toggled, this, &IptGroup::ChbTokClick);
}

IptGroup::~IptGroup() = default;

void IptGroup::InstallEffects()
{
    QPointer<IptGroup> self(this);
    m_s.Effects[ReadIptCur] = [self](int, const QVariant &v, int r) {
        const double mA = self ? self->ShowCurrents(v, r) : qQNaN();
        if (!std::isnan(mA))
            Q_EMIT self->IIzmRead(mA);
    };
    m_s.Effects[ReadIptCurCal] = [self](int, const QVariant &v, int r) {
        const double mA = self ? self->ShowCurrents(v, r) : qQNaN();
        if (!std::isnan(mA))
            Q_EMIT self->CalibrationCurrentRead(mA);
    };
}

void IptGroup::Attach(IptCheckPage *page)
{
    m_page = page;
    connect(page->ReadBox(), &QCheckBox::toggled, this, &IptGroup::CHBTok1Click);
}

void IptGroup::Toggle(QCheckBox *box)
{
    if (m_s.IptDev.Adr == 0)
        return;
    if (box->isChecked()) {
        m_mbcm->SetDeviceAddres(m_s.IptDev.Adr);
        m_mbcm->ReadInputRegs(ReadIptCur, kPeriodMs, kCurrentsAddress, dtFloat32, 4);
    } else {
        m_mbcm->FreeTask(ReadIptCur);
    }
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
