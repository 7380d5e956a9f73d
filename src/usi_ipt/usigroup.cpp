#include "usi_ipt/usigroup.h"

#include "session/benchqids.h"
#include "session/benchsession.h"
#include "link/conventions.h"
#include "link/imbcommaster.h"
#include "link/radiogroup.h"
#include "link/tpanel.h"
#include "usi_ipt/grouphost.h"

#include "ui_usigroup.h"

#include <QPointer>

using namespace BenchQid;

namespace
{
constexpr int kCountsAddress = 0x8000;
constexpr int kPeriodMs = 1000;
constexpr int kCommandRegister = 3;
constexpr int kResetAll = 5;
const QColor kPassiveColor(0, 0, 0);
const QColor kActiveColor(255, 0, 0);
} // namespace

UsiGroup::UsiGroup(BenchSession &session, QWidget *parent)
    : QGroupBox(parent), ui(std::make_unique<Ui::UsiGroup>()), m_session(session)
{
    ui->setupUi(this);
    m_channel = new RadioGroup({ui->rbv0, ui->rbv1, ui->rbv2, ui->rbv3}, this);
    QAbstractButton *resets[] = {ui->Button7, ui->Button8, ui->Button9, ui->Button10};
    for (int k = 1; k <= 4; ++k) {
        TPanel *p = Panel(k);
        p->SetTag(k);
        p->SetCaption(QStringLiteral("Пассивный"));
        p->SetFontColor(kPassiveColor);
        p->SetRaised(true);
        p->setAccessibleDescription(QStringLiteral("Режим входа %1").arg(k));
        connect(p, &TPanel::clicked, this, &UsiGroup::PnlUsi11Click);
        resets[k - 1]->setProperty("tag", k);
        resets[k - 1]->setAccessibleDescription(QStringLiteral("Сброс канала %1").arg(k));
        connect(resets[k - 1], &QAbstractButton::clicked, this, &UsiGroup::Button7Click);
        QAbstractButton *rb = m_channel->Button(k - 1);
        rb->setAccessibleName(QStringLiteral("Импульсы канала %1 в калькулятор").arg(k));
        rb->setAccessibleDescription(rb->toolTip());
    }
    ui->ChbCnt1->setToolTip(QStringLiteral("Читать счетчики импульсов каждую секунду"));
    ui->ChbCnt1->setAccessibleDescription(QStringLiteral("Чтение счетчика импульсов"));
    connect(ui->ChbCnt1, &QCheckBox::toggled, this, &UsiGroup::ChbCnt1Click);
    connect(ui->Button6, &QPushButton::clicked, this, &UsiGroup::Button6Click);
    m_session.Subscribe(ReadUsiCounts, this, [this](int, const QVariant &v, int r) { CountsRead(v, r); });
    m_session.Subscribe(ReadUsiModes, this, [this](int, const QVariant &v, int r) { ModesRead(v, r); });
}

UsiGroup::~UsiGroup() = default;

void UsiGroup::SetPolling(bool on)
{
    ui->ChbCnt1->setChecked(on);
}

TPanel *UsiGroup::Panel(int channel) const
{
    TPanel *panels[] = {ui->PnlUsi1, ui->PnlUsi2, ui->PnlUsi3, ui->PnlUsi4};
    return channel >= 1 && channel <= 4 ? panels[channel - 1] : nullptr;
}

bool UsiGroup::Usable() const
{
    return m_session.UsiDev().Adr != 0 && m_session.BenchConnected();
}

void UsiGroup::RequestModes()
{
    (void)m_session.Usi().ReadHoldBins(ReadUsiModes, 0, 0, 4);
}

void UsiGroup::ChbCnt1Click()
{
    if (!Usable())
        return;
    const ModuleLink usi = m_session.Usi();
    if (ui->ChbCnt1->isChecked())
        (void)usi.ReadInputRegs(ReadUsiCounts, kPeriodMs, kCountsAddress, dtUInt32, 4);
    else
        usi.FreeTask(ReadUsiCounts);
    RequestModes();
}

void UsiGroup::WriteCommand(int code)
{
    // Without a known counter or an open link there is nobody to reset.
    if (!Usable())
        return;
    (void)m_session.Usi().WriteHoldRegs(WriteUsiCmd, 0, kCommandRegister, TypedValue(code, dtUInt8));
}

void UsiGroup::Button6Click()
{
    WriteCommand(kResetAll);
}

void UsiGroup::Button7Click()
{
    if (QObject *b = sender())
        WriteCommand(b->property("tag").toInt());
}

void UsiGroup::PnlUsi11Click()
{
    auto *panel = qobject_cast<TPanel *>(sender());
    if (!panel || !Usable())
        return;
    // A panel in any colour but black shows an active input: switch it to passive.
    const bool passive = (panel->FontColor().rgb() & 0xFFFFFFu) != (kPassiveColor.rgb() & 0xFFFFFFu);
    if (!m_session.Usi().WriteHoldBins(WriteUsiMode, 0, panel->Tag() - 1, TypedValue(passive, dtBool)))
        return;
    if (WaitResult(m_session.Box().ResUsiMode) == 0)
        RequestModes();
}

void UsiGroup::CountsRead(const QVariant &value, int result)
{
    const QVariantList counts = value.toList();
    if (result != 0 || counts.size() < 4)
        return;
    ui->lbls2->Advance();
    QLineEdit *edits[] = {ui->EdtCnt1, ui->EdtCnt2, ui->EdtCnt3, ui->EdtCnt4};
    for (int k = 0; k < 4; ++k)
        edits[k]->setText(QString::number(counts.at(k).toULongLong()));
    const int chosen = m_channel->ItemIndex();
    if (chosen >= 0 && chosen < 4)
        m_session.Calc().SetImpIzm(counts.at(chosen).toDouble());
}

void UsiGroup::ModesRead(const QVariant &value, int result)
{
    const QVariantList bits = value.toList();
    if (result != 0 || bits.size() < 4)
        return;
    for (int k = 1; k <= 4; ++k) {
        const bool passive = bits.at(k - 1).toBool();
        TPanel *p = Panel(k);
        p->SetFontColor(passive ? kPassiveColor : kActiveColor);
        p->SetCaption(passive ? QStringLiteral("Пассивный") : QStringLiteral("Активный"));
        p->SetRaised(passive);
    }
}

bool UsiGroup::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange)
        DockInHost(this);
    return QGroupBox::event(event);
}
