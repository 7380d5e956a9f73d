#include "flowmeter/flowmeterlink.h"

#include "flowmeter/calcsink.h"
#include "flowmeter/flowmetermodels.h"
#include "flowmeter/flowmeterqids.h"
#include "flowmeter/tflowmeterform.h"
#include "flowmeter/tflowmeterformgs.h"
#include "flowmeter/tgsform1.h"
#include "link/conventions.h"
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
constexpr int kCurrentSlotType = 2;
constexpr int kTokiCount = 8;

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

FlowmeterLink::FlowmeterLink(IMBComMaster *mbcm1, IMBComMaster *mbcm, BenchShared &shared, TPribor &pribor,
                             const FlowmeterControls &controls, QPointer<TFlowMeterForm> &form,
                             QPointer<TFlowMeterFormGS> &formGS, QWidget *windowParent, QObject *parent)
    : QObject(parent), m_mbcm1(mbcm1), m_mbcm(mbcm), m_shared(shared), m_pribor(pribor), m_ui(controls),
      m_form(form), m_formGS(formGS), m_windowParent(windowParent)
{
}

void FlowmeterLink::SetPolledFields(QLineEdit *rashQ1, QLineEdit *nabor)
{
    m_ui.EdtRashQ1 = rashQ1;
    m_ui.edtnabor = nabor;
}

void FlowmeterLink::SetCompletion(int qid, Completion completion)
{
    m_completions.insert(qid, std::move(completion));
}

void FlowmeterLink::SetLinkState(std::function<bool()> priborConnected, std::function<bool()> serverConnected)
{
    m_priborConnected = std::move(priborConnected);
    m_serverConnected = std::move(serverConnected);
}

void FlowmeterLink::TokIpt(double mA)
{
    if (m_formGS)
        m_formGS->TokIpt(mA);
}

void FlowmeterLink::StopCalibrations()
{
    if (m_formGS)
        m_formGS->StopCalibrations();
}

void FlowmeterLink::cbxpribChange()
{
    m_shared.PribType = m_ui.cbxprib->currentIndex();
    if (m_shared.PribType >= 0)
        SetPribType(m_shared.PribType);
}

void FlowmeterLink::CreateWindows()
{
    if (!m_form) {
        m_form = new TFlowMeterForm(m_windowParent);
        m_form->hide();
        m_form->InstallCompletions(*this);
    }
    if (!m_formGS) {
        m_formGS = new TFlowMeterFormGS(m_windowParent);
        m_formGS->hide();
        m_formGS->InstallCompletions(*this);
    }
    FlowWindowContext context;
    context.PriborConnected = m_priborConnected;
    context.ServerConnected = m_serverConnected;
    context.RestartPolling = [this] { SendUserMessage(this, &FlowmeterLink::RestartPolling); };
    context.Bench = m_mbcm;
    context.Shared = &m_shared;
    for (FlowmeterWindow *w :
         {static_cast<FlowmeterWindow *>(m_form), static_cast<FlowmeterWindow *>(m_formGS)}) {
        w->MBCM = m_mbcm1;
        w->Pribor = &m_pribor;
        w->Context = context;
    }
}

void FlowmeterLink::SetPribType(int index)
{
    CreateWindows();
    if (const FlowmeterModelRow *row = FlowmeterModel(index)) {
        m_pribor.RegAc = row->RegAc;
        m_pribor.RegQ = row->RegQ;
        m_pribor.RegV = row->RegV;
        m_mbcm->SetInterByte(row->BenchInterByte);
        if (row->RestartPolling) {
            // The restart chooses the register kind by PribType: it must see the new model's.
            m_shared.PribType = row->PribType;
            SendUserMessage(this, &FlowmeterLink::RestartPolling);
        }
        m_ui.edtac->setText(QString::fromUtf8(row->AcText));
        m_shared.AutoCircCount = row->AutoCircCount;
        m_shared.PribType = row->PribType;
    }
    if (m_shared.PribType != kPribTypeGs130)
        m_form->hide();
    if (m_shared.PribType != kPribTypeGc)
        m_formGS->HideAll();
    m_ui.BtnSetup->setVisible(m_shared.PribType == kPribTypeGs130 || m_shared.PribType == kPribTypeGc);
    m_ui.BtnConnect1->setEnabled(true);
    m_ui.BtnCount1->setEnabled(m_pribor.RegAc != -1);
}

bool FlowmeterLink::Canal2Selected() const
{
    return m_form && m_form->rgCanal()->ItemIndex() == 1;
}

void FlowmeterLink::RestartPolling()
{
    if (!m_mbcm1->Connected())
        return;
    m_mbcm1->SetDeviceAddres(m_shared.PriborDev.Adr);
    m_mbcm1->FreeAllTasks();
    const bool input = m_shared.PribType == kPribTypeGc;
    auto read = [this, input](int qid, int period, int reg, int type, int count) {
        if (input)
            m_mbcm1->ReadInputRegs(qid, period, reg, type, count);
        else
            m_mbcm1->ReadHoldRegs(qid, period, reg, type, count);
    };
    if (m_pribor.RegV != -1)
        read(FlowQid::Volume, FlowQid::PollPeriodMs, m_pribor.RegV, dtFloat32, 1);
    if (m_pribor.RegQ != -1)
        read(FlowQid::FlowRate, FlowQid::PollPeriodMs, m_pribor.RegQ, dtFloat32, 1);
    if (input)
        read(FlowQid::Mode, FlowQid::PollPeriodMs, kRegMode, dtUInt8, 1);
    else if (m_shared.PribType == kPribTypeGs130)
        read(FlowQid::UzsStatus, FlowQid::UzsPeriodMs, kRegUzsStatus, dtUInt16, 2);
    m_mbcm1->WriteHoldBins(FlowQid::WriteCanal, 0, kCoilCanal, TypedValue(Canal2Selected(), dtBool));
}

void FlowmeterLink::BitBtn7Click()
{
    m_ui.Edit4->clear();
    const QString text = m_ui.edtadrp->text();
    int adr = 0;
    if (!Messages::ToInteger(text, &adr))
        return;
    m_shared.PriborDev.Adr = quint8(adr & 0xFF);
    m_mbcm1->SetDeviceAddres(m_shared.PriborDev.Adr);
    m_ui.BitBtn7->setEnabled(false);
    m_ui.BtnSetup->setEnabled(false);
    m_mbcm1->GetDeviceName(FlowQid::DeviceName);
}

void FlowmeterLink::BtnCount1Click()
{
    if (m_pribor.RegAc == -1)
        return;
    m_mbcm1->ReadHoldRegs(FlowQid::AutoCirc, 0, m_pribor.RegAc, dtUInt16, 1);
}

void FlowmeterLink::BtnSetupClick()
{
    if (m_shared.PribType == kPribTypeGs130) {
        if (m_form)
            m_form->show();
    } else if (m_formGS) {
        m_formGS->ShowAll();
    }
}

void FlowmeterLink::MBCM1Exchange(int qid, int mbAddr, int funNumber, const QVariant &value, int result)
{
    Q_UNUSED(funNumber);
    switch (qid) {
    case FlowQid::DeviceName:
        DeviceNameDone(mbAddr, value, result);
        break;
    case FlowQid::Volume:
        VolumeDone(value, result);
        break;
    case FlowQid::AutoCirc:
        AutoCircDone(value, result);
        break;
    case FlowQid::FlowRate:
        FlowRateDone(value, result);
        break;
    case FlowQid::UzsStatus:
        UzsStatusDone(value, result);
        break;
    case FlowQid::Mode:
        ModeDone(value, result);
        break;
    case FlowQid::CalcSlotTypes:
        SlotTypesDone(value, result);
        break;
    case FlowQid::CalcToki:
        TokiDone(value, result);
        break;
    default:
        if (const auto it = m_completions.constFind(qid); it != m_completions.cend() && *it)
            (*it)(mbAddr, value, result);
        break;
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
    m_shared.PriborDev.Adr = quint8(mbAddr);
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
    if (m_calc)
        m_calc->SetVIzm(v);
    if (m_shared.PribType == kPribTypeGs130 && m_form)
        m_form->EdtV()->setText(Fmt3(v));
    if (m_shared.PribType == kPribTypeGc && m_formGS)
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
    if (m_calc)
        m_calc->SetQIzm(q);
    if (m_shared.PribType == kPribTypeGs130 && m_form)
        m_form->EdtQ()->setText(Fmt3(q));
    if (m_shared.PribType == kPribTypeGc && m_formGS)
        m_formGS->EdtQ()->setText(Fmt3(q));
}

void FlowmeterLink::AutoCircDone(const QVariant &value, int result)
{
    if (result != 0) {
        m_ui.edtac->setText(ResultText(result));
        return;
    }
    const int d = value.toInt();
    m_shared.AutoCircCount = d;
    const bool gc = m_shared.PribType == kPribTypeGc;
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

void FlowmeterLink::SlotTypesDone(const QVariant &value, int result)
{
    if (!m_calc)
        return;
    if (result == 0) {
        if (Element(value, 0).toInt() == kCurrentSlotType)
            m_calc->SetSlot(0);
        else if (Element(value, 1).toInt() == kCurrentSlotType)
            m_calc->SetSlot(1);
    }
    m_calc->SetStatusText(QStringLiteral("Тип доп. слотов: ") + ResultText(result));
}

void FlowmeterLink::TokiDone(const QVariant &value, int result)
{
    if (!m_calc)
        return;
    // A short table would leave the calculator reading past its end.
    if (result == 0 && value.toList().size() >= kTokiCount)
        m_calc->SetToki(value);
    m_calc->SetStatusText(QStringLiteral("Значения токов ") + ResultText(result));
}
