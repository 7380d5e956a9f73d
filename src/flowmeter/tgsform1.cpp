#include "flowmeter/tgsform1.h"
#include "ui_tgsform1.h"

#include "flowmeter/currentcalibration.h"
#include "flowmeter/tflowmeterformgs.h"
#include "flowmeter/tgscalibtokform.h"
#include "link/conventions.h"
#include "link/dialogbuttons.h"
#include "link/usermessages.h"

namespace
{
constexpr int kQidRead = 28, kQidWrite1 = -27, kQidWrite2 = -28;
constexpr int kRegSlot1 = 7, kRegSlot2 = 8;
constexpr int kCurrentSlot = 2;
const QString kSection = QStringLiteral("FormGs1");
} // namespace

TGsForm1::TGsForm1(TFlowMeterFormGS &owner, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_owner(owner), ui(new Ui::TGsForm1)
{
    ui->setupUi(this);
    ui->cbxDopSlot1->setCurrentIndex(-1);
    ui->cbxDopSlot2->setCurrentIndex(-1);
    m_sbPanel = AddStatusPanel(ui->SB);
    LeaveCaptionRoom(ui->btnCalib1);
    LeaveCaptionRoom(ui->btnCalib2);
    connect(ui->Button1, &QPushButton::clicked, this, &TGsForm1::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TGsForm1::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TGsForm1::Button3Click);
    connect(ui->btnCalib1, &QPushButton::clicked, this, &TGsForm1::btnCalib1Click);
    connect(ui->btnCalib2, &QPushButton::clicked, this, &TGsForm1::btnCalib2Click);
    resize(sizeHint());
    RestorePlacement(this, kSection);
}

TGsForm1::~TGsForm1()
{
    StorePlacement(this, kSection);
}

TGsCalibTokForm *TGsForm1::CalibForm(int slot) const
{
    return m_calib[slot & 1];
}

QAbstractButton *TGsForm1::CalibButton(int slot) const
{
    return slot == 0 ? ui->btnCalib1 : ui->btnCalib2;
}

bool TGsForm1::CalibrationRunning() const
{
    for (const auto &w : m_calib)
        if (w && w->regim != 0)
            return true;
    return false;
}

void TGsForm1::ShowAll()
{
    for (const auto &w : m_calib)
        if (w)
            w->show();
    show();
}

void TGsForm1::HideAll()
{
    for (const auto &w : m_calib)
        if (w)
            w->hide();
    hide();
}

void TGsForm1::TokIpt(double mA)
{
    for (const auto &w : m_calib)
        if (w)
            w->SetTokIpt(mA);
}

void TGsForm1::StopCalibrations()
{
    for (const auto &w : m_calib)
        if (w && w->regim != 0)
            w->Stop();
}

void TGsForm1::Button2Click()
{
    if (m_owner.Connected())
        (void)m_owner.Flowmeter().ReadHoldRegs(kQidRead, 0, kRegSlot1, dtUInt8, 2);
}

void TGsForm1::WriteSlotType(int qid, int reg, int index)
{
    if (!m_owner.Connected() || index < 0)
        return;
    (void)m_owner.Flowmeter().WriteHoldRegs(qid, 0, reg, TypedValue(index, dtUInt8));
}

void TGsForm1::Button1Click()
{
    WriteSlotType(kQidWrite1, kRegSlot1, ui->cbxDopSlot1->currentIndex());
}

void TGsForm1::Button3Click()
{
    WriteSlotType(kQidWrite2, kRegSlot2, ui->cbxDopSlot2->currentIndex());
}

void TGsForm1::btnCalib1Click()
{
    CalibClick(0);
}

void TGsForm1::btnCalib2Click()
{
    CalibClick(1);
}

void TGsForm1::CalibClick(int slot)
{
    QPointer<TGsCalibTokForm> &w = m_calib[slot];
    if (!w)
        w = new TGsCalibTokForm(*this, slot, parentWidget());
    // The operator connects the output and checks the channel before the run:
    // the window with its instruction comes first, "Старт калибровки" starts.
    w->show();
    w->raise();
    w->activateWindow();
}

void TGsForm1::SlotTypesRead(const QVariant &value, int result)
{
    if (result == 0) {
        const QVariantList types = value.toList();
        const int t1 = types.value(0).toInt(), t2 = types.value(1).toInt();
        ui->cbxDopSlot1->setCurrentIndex(t1 < ui->cbxDopSlot1->count() ? t1 : -1);
        ui->cbxDopSlot2->setCurrentIndex(t2 < ui->cbxDopSlot2->count() ? t2 : -1);
        ui->btnCalib1->setVisible(t1 == kCurrentSlot);
        ui->btnCalib2->setVisible(t2 == kCurrentSlot);
        ui->cbxDopSlot1->setEnabled(true);
        ui->cbxDopSlot2->setEnabled(true);
    }
    m_sbPanel->setText(QStringLiteral("Тип доп. слотов: ") + ResultText(result));
}

void TGsForm1::SlotTypeWritten(int result)
{
    m_sbPanel->setText(QStringLiteral("Тип доп.слота: ") + ResultText(result));
    if (result == 0)
        PostUserMessage(this, &TGsForm1::Button2Click);
}

void TGsForm1::SubscribeResults(FlowmeterWindow &owner, const QPointer<TGsForm1> &form)
{
    owner.Subscribe(kQidRead, [&form](int, const QVariant &value, int result) {
        if (form)
            form->SlotTypesRead(value, result);
    });
    for (int qid : {kQidWrite1, kQidWrite2})
        owner.Subscribe(qid, [&form](int, const QVariant &, int result) {
            if (form)
                form->SlotTypeWritten(result);
        });
    const auto calib = [&form](int slot) { return form ? form->CalibForm(slot) : nullptr; };
    for (int s = 0; s < 2; ++s) {
        owner.Subscribe(TGsCalibTokForm::QidStart(s), [calib, s](int, const QVariant &, int result) {
            if (TGsCalibTokForm *w = calib(s))
                w->StartDone(result);
        });
        owner.Subscribe(TGsCalibTokForm::QidStop(s), [calib, s](int, const QVariant &, int result) {
            if (TGsCalibTokForm *w = calib(s))
                w->StopDone(result);
        });
        owner.Subscribe(TGsCalibTokForm::QidPoint(s), [calib, s](int, const QVariant &, int result) {
            if (TGsCalibTokForm *w = calib(s))
                w->PointDone(result);
        });
        for (int k = 0; k < CurrentCalibration::kPoints; ++k)
            owner.Subscribe(TGsCalibTokForm::QidTable(s, k),
                               [calib, s, k](int, const QVariant &, int result) {
                                   if (TGsCalibTokForm *w = calib(s))
                                       w->TableDone(k, result);
                               });
    }
}
