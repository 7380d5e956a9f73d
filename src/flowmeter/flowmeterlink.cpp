#include "flowmeter/flowmeterlink.h"

#include "flowmeter/flowmetermodels.h"
#include "session/flowmeterqids.h"
#include "flowmeter/tflowmeterform.h"
#include "flowmeter/tflowmeterformgs.h"
#include "flowmeter/tgsform1.h"
#include "link/conventions.h"
#include "link/imbcommaster.h"
#include "link/messages.h"
#include "link/radiogroup.h"
#include "link/usermessages.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace
{
constexpr int kRegMode = 29;
constexpr int kRegUzsStatus = 254;
constexpr int kCoilCanal = 2;

void SetText(QLineEdit *edit, const QString &text)
{
    if (edit)
        edit->setText(text);
}

QVariant Element(const QVariant &value, int i)
{
    const QVariantList list = value.toList();
    return i < list.size() ? list.at(i) : QVariant();
}
} // namespace

FlowmeterLink::FlowmeterLink(BenchSession &session, const FlowmeterControls &controls,
                             QPointer<TFlowMeterForm> &form, QPointer<TFlowMeterFormGS> &formGS,
                             QWidget *windowParent, QObject *parent)
    : QObject(parent), m_session(session), m_pribor(session.Pribor()), m_ui(controls), m_form(form),
      m_formGS(formGS), m_windowParent(windowParent)
{
    const auto own = [this](int qid, void (FlowmeterLink::*done)(const QVariant &, int)) {
        m_session.SubscribeFlowmeter(qid, this, [this, done](int, const QVariant &value, int result) {
            (this->*done)(value, result);
        });
    };
    own(FlowQid::Volume, &FlowmeterLink::VolumeDone);
    own(FlowQid::AutoCirc, &FlowmeterLink::AutoCircDone);
    own(FlowQid::FlowRate, &FlowmeterLink::FlowRateDone);
    own(FlowQid::UzsStatus, &FlowmeterLink::UzsStatusDone);
    own(FlowQid::Mode, &FlowmeterLink::ModeDone);
    m_session.SubscribeFlowmeter(FlowQid::DeviceName, this, [this](int mbAddr, const QVariant &value, int result) {
        DeviceNameDone(mbAddr, value, result);
    });
    connect(&m_session, &BenchSession::FlowmeterLinkChanged, this, [this](bool up) {
        if (up)
            RestartPolling();
    });
}

void FlowmeterLink::SetPolledFields(QLineEdit *rashQ1, QLineEdit *nabor)
{
    m_ui.EdtRashQ1 = rashQ1;
    m_ui.edtnabor = nabor;
}

void FlowmeterLink::TokIpt(double mA)
{
    if (m_formGS)
        m_formGS->TokIpt(mA);
}

QString FlowmeterLink::ModelName() const
{
    return m_ui.cbxprib->currentText().trimmed();
}

QString FlowmeterLink::Identification() const
{
    return m_ui.Edit4->text();
}

void FlowmeterLink::StopCalibrations()
{
    if (m_formGS)
        m_formGS->StopCalibrations();
}

void FlowmeterLink::cbxpribChange()
{
    m_session.SetPribType(m_ui.cbxprib->currentIndex());
    if (m_session.PribType() >= 0)
        SetPribType(m_session.PribType());
}

void FlowmeterLink::CreateWindows()
{
    if (m_form && m_formGS)
        return;
    FlowWindowContext context;
    context.RestartPolling = [this] { SendUserMessage(this, &FlowmeterLink::RestartPolling); };
    const auto bind = [&](FlowmeterWindow *w) {
        w->hide();
        w->Session = &m_session;
        w->Pribor = &m_pribor;
        w->Context = context;
        w->SubscribeResults();
    };
    if (!m_form) {
        m_form = new TFlowMeterForm(m_windowParent);
        bind(m_form);
    }
    if (!m_formGS) {
        m_formGS = new TFlowMeterFormGS(m_windowParent);
        bind(m_formGS);
        connect(m_formGS, &TFlowMeterFormGS::CalibratingChanged, this, [this](bool on) {
            m_ui.cbxprib->setEnabled(!on);
            m_ui.cbxprib->setToolTip(
                on ? QStringLiteral("Модель нельзя сменить, пока идёт калибровка токового выхода")
                   : QString());
        });
    }
}

void FlowmeterLink::SetPribType(int index)
{
    CreateWindows();
    if (const FlowmeterModelRow *row = FlowmeterModel(index)) {
        m_pribor.RegAc = row->RegAc;
        m_pribor.RegQ = row->RegQ;
        m_pribor.RegV = row->RegV;
        m_session.BenchClient()->SetInterByte(row->BenchInterByte);
        // The restart chooses the register kind by PribType: it must see the new model's.
        m_session.SetPribType(row->PribType);
        if (row->RestartPolling)
            SendUserMessage(this, &FlowmeterLink::RestartPolling);
        m_ui.edtac->setText(QString::fromUtf8(row->AcText));
        m_session.Values().AutoCircCount = row->AutoCircCount;
    }
    const int type = m_session.PribType();
    if (type != kPribTypeGs130)
        m_form->hide();
    if (type != kPribTypeGc)
        m_formGS->HideAll();
    m_ui.BtnSetup->setVisible(type == kPribTypeGs130 || type == kPribTypeGc);
    m_ui.BtnConnect1->setEnabled(true);
    m_ui.BtnCount1->setEnabled(m_pribor.RegAc != -1);
}

bool FlowmeterLink::Canal2Selected() const
{
    return m_form && m_form->rgCanal()->ItemIndex() == 1;
}

void FlowmeterLink::RestartPolling()
{
    if (!m_session.FlowmeterClient()->Connected())
        return;
    m_session.FreeAllFlowmeterTasks();
    const ModuleLink flowmeter = m_session.Flowmeter();
    const bool input = m_session.PribType() == kPribTypeGc;
    auto read = [&flowmeter, input](int qid, int period, int reg, int type, int count) {
        if (input)
            (void)flowmeter.ReadInputRegs(qid, period, reg, type, count);
        else
            (void)flowmeter.ReadHoldRegs(qid, period, reg, type, count);
    };
    if (m_pribor.RegV != -1)
        read(FlowQid::Volume, FlowQid::PollPeriodMs, m_pribor.RegV, dtFloat32, 1);
    if (m_pribor.RegQ != -1)
        read(FlowQid::FlowRate, FlowQid::PollPeriodMs, m_pribor.RegQ, dtFloat32, 1);
    if (input)
        read(FlowQid::Mode, FlowQid::PollPeriodMs, kRegMode, dtUInt8, 1);
    else if (m_session.PribType() == kPribTypeGs130)
        read(FlowQid::UzsStatus, FlowQid::UzsPeriodMs, kRegUzsStatus, dtUInt16, 2);
    (void)flowmeter.WriteHoldBins(FlowQid::WriteCanal, 0, kCoilCanal, TypedValue(Canal2Selected(), dtBool));
}

void FlowmeterLink::BitBtn7Click()
{
    m_ui.Edit4->clear();
    const QString text = m_ui.edtadrp->text();
    int adr = 0;
    if (!Messages::ToInteger(text, &adr))
        return;
    m_session.PriborDev().Adr = quint8(adr & 0xFF);
    m_ui.BitBtn7->setEnabled(false);
    m_ui.BtnSetup->setEnabled(false);
    (void)m_session.Flowmeter().GetDeviceName(FlowQid::DeviceName);
}

void FlowmeterLink::BtnCount1Click()
{
    if (m_pribor.RegAc == -1)
        return;
    (void)m_session.Flowmeter().ReadHoldRegs(FlowQid::AutoCirc, 0, m_pribor.RegAc, dtUInt16, 1);
}

void FlowmeterLink::BtnSetupClick()
{
    if (m_session.PribType() == kPribTypeGs130) {
        if (m_form)
            m_form->show();
    } else if (m_formGS) {
        m_formGS->ShowAll();
    }
}

void FlowmeterLink::DeviceNameDone(int mbAddr, const QVariant &value, int result)
{
    m_ui.BitBtn7->setEnabled(true);
    m_ui.BtnSetup->setEnabled(true);
    if (result != 0) {
        m_ui.Edit4->setText(ResultText(result));
        return;
    }
    m_ui.Edit4->setText(value.toString());
    m_session.PriborDev().Adr = quint8(mbAddr);
}

void FlowmeterLink::VolumeDone(const QVariant &value, int result)
{
    if (result != 0) {
        // Address 0 is a setting to correct, not a failed read: say so.
        SetText(m_ui.edtnabor,
                result == kResultBroadcastRead ? ResultText(result) : QStringLiteral("Ошибка"));
        return;
    }
    const double v = value.toDouble();
    SetText(m_ui.edtnabor, Fmt4(v));
    m_session.Calc().SetVIzm(v);
    if (m_session.PribType() == kPribTypeGs130 && m_form)
        m_form->EdtV()->setText(Fmt3(v));
    if (m_session.PribType() == kPribTypeGc && m_formGS)
        m_formGS->EdtV()->setText(Fmt3(v));
}

void FlowmeterLink::FlowRateDone(const QVariant &value, int result)
{
    if (result != 0) {
        SetText(m_ui.EdtRashQ1, ResultText(result));
        return;
    }
    const double q = value.toDouble();
    SetText(m_ui.EdtRashQ1, Fmt3(q));
    m_session.Calc().SetQIzm(q);
    if (m_session.PribType() == kPribTypeGs130 && m_form)
        m_form->EdtQ()->setText(Fmt3(q));
    if (m_session.PribType() == kPribTypeGc && m_formGS)
        m_formGS->EdtQ()->setText(Fmt3(q));
}

void FlowmeterLink::AutoCircDone(const QVariant &value, int result)
{
    if (result != 0) {
        m_ui.edtac->setText(ResultText(result));
        return;
    }
    const int d = value.toInt();
    m_session.Values().AutoCircCount = d;
    const bool gc = m_session.PribType() == kPribTypeGc;
    m_ui.edtac->setText(QString::number(gc ? d - 1 : d));
    if (gc && m_formGS)
        m_formGS->EdtAc()->setText(QString::number(d));
}

void FlowmeterLink::UzsStatusDone(const QVariant &value, int result)
{
    if (result != 0) {
        SendUserMessage(m_form.data(), &TFlowMeterForm::ShowUzsStatus, result, 0);
        return;
    }
    const quint32 low = Element(value, 0).toUInt() & 0xFFFF;
    const quint32 high = Element(value, 1).toUInt() & 0xFFFF;
    SendUserMessage(m_form.data(), &TFlowMeterForm::ShowUzsStatus, 0, qint32(low | (high << 16)));
}

void FlowmeterLink::ModeDone(const QVariant &value, int result)
{
    if (!m_formGS)
        return;
    if (result != 0)
        m_formGS->lblStat()->setText(QStringLiteral("ошибка чтения"));
    else
        m_formGS->SetCurRegim(value.toInt());
}
