#include "flowmeter/tgscalibtokform.h"
#include "ui_tgscalibtokform.h"

#include "flowmeter/tflowmeterformgs.h"
#include "flowmeter/tgsform1.h"
#include "session/benchqids.h"
#include "session/benchsession.h"
#include "link/conventions.h"
#include "link/dialogbuttons.h"
#include "link/messages.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSignalBlocker>
#include <QTimer>

#include <cmath>
#include <limits>

namespace
{
constexpr int kRegMode = 60, kRegPoint = 62;
constexpr int kIptCurrents = 0xC000, kIptChannels = 4;
constexpr quint8 kStart = 1, kStopValue = 0;
const QString kSlotCaption = QStringLiteral("Калибровка токового выхода");
const QString kRunningCaption = QStringLiteral("Идет калибровка...");
} // namespace

TGsCalibTokForm::TGsCalibTokForm(TGsForm1 &owner, int slot, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_owner(owner), ui(new Ui::TGsCalibTokForm)
{
    ui->setupUi(this);
    LeaveCaptionRoom(ui->btnStart);
    LeaveCaptionRoom(ui->BtnStop);
    m_sbPanel = AddStatusPanel(ui->SB);
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &TGsCalibTokForm::TimerTimer);
    connect(ui->btnStart, &QPushButton::clicked, this, &TGsCalibTokForm::btnStartClick);
    connect(ui->BtnStop, &QPushButton::clicked, this, &TGsCalibTokForm::BtnStopClick);
    // Their waits follow the flowmeter link's own bound, and a late reply completes nothing.
    const IMBComMaster *link = owner.Owner().Session->FlowmeterClient();
    for (Mailbox *m : {&F29_30, &F_29_30, &F31_32})
        m->Bind(link);
    SetSlot(slot);
    setWindowTitle(slot == 0 ? QStringLiteral("Первый слот") : QStringLiteral("Второй слот"));
    ui->Label5->setText(QStringLiteral("Подключите токовый выход %1\nк выбранному каналу ИПТ\n"
                                       "и нажмите 'СТАРТ КАЛИБРОВКИ'")
                            .arg(slot + 1));
    BenchSession &session = *owner.Owner().Session;
    ShowIptChannel(session.IptChannel());
    connect(ui->CbxIptChannel, &QComboBox::activated, &session, &BenchSession::SetIptChannel);
    connect(&session, &BenchSession::IptChannelChanged, this, &TGsCalibTokForm::ShowIptChannel);
    ForI = 0;
    resize(sizeHint());
    RestorePlacement(this, QStringLiteral("GsCalibTokForm%1").arg(FSlot));
}

TGsCalibTokForm::~TGsCalibTokForm()
{
    StorePlacement(this, QStringLiteral("GsCalibTokForm%1").arg(FSlot));
}

QLineEdit *TGsCalibTokForm::Edit(int k) const
{
    QLineEdit *const edits[] = {ui->EdtTok0, ui->EdtTok4, ui->EdtTok5, ui->EdtTok20};
    return edits[k];
}

QLabel *TGsCalibTokForm::StatusLabel(int k) const
{
    QLabel *const labels[] = {ui->lblstat0, ui->lblStat4, ui->lblstat5, ui->lblstat20};
    return labels[k];
}

void TGsCalibTokForm::ShowIptChannel(int k)
{
    const QSignalBlocker quiet(ui->CbxIptChannel);
    ui->CbxIptChannel->setCurrentIndex(k);
}

void TGsCalibTokForm::SetRunning(bool on)
{
    regim = on ? 1 : 0;
    // Another channel in the middle of a run would mix two outputs in one table.
    ui->CbxIptChannel->setEnabled(!on);
    SetSlotCaption(on ? kRunningCaption : kSlotCaption);
}

void TGsCalibTokForm::SetSlotCaption(const QString &text)
{
    m_owner.CalibButton(FSlot)->setText(text);
}

bool TGsCalibTokForm::LinksUp() const
{
    return m_owner.Owner().Connected() && m_owner.Owner().Session->BenchConnected();
}

bool TGsCalibTokForm::MayStart() const
{
    if (regim != 0) {
        Messages::Show(QStringLiteral("Калибровка этого слота уже идет"));
        return false;
    }
    if (m_owner.CalibrationRunning()) {
        Messages::Show(
            QStringLiteral("Идет калибровка другого слота.\nОстановите ее, прежде чем начинать новую"));
        return false;
    }
    return true;
}

void TGsCalibTokForm::Start()
{
    TFlowMeterFormGS &gs = m_owner.Owner();
    BenchSession &session = *gs.Session;
    if (!MayStart())
        return;
    if (!gs.Connected()) {
        Messages::Show(QStringLiteral("Не подключен прибор!"));
        return;
    }
    if (!session.BenchConnected() || session.IptDev().Adr == 0) {
        Messages::Show(QStringLiteral("Не подключен ИПТ!"));
        return;
    }
    if (session.IptChannel() < 0) {
        Messages::Show(QStringLiteral("Выберите канал ИПТ, к которому подключен токовый выход"));
        return;
    }
    const int s = FSlot;
    SetRunning(true);
    gs.SetCalibrating(true);
    for (int k = 0; k < CurrentCalibration::kPoints; ++k) {
        Edit(k)->clear();
        Edit(k)->setStyleSheet(QString());
        StatusLabel(k)->clear();
    }

    (void)gs.Flowmeter().WriteHoldRegs(QidStart(s), 0, kRegMode + s, TypedValue(kStart, dtUInt8));
    if (WaitResult(F29_30) != 0) {
        Messages::Show(QStringLiteral("Не удалось записать команду START"));
        // The slot is not in calibration: its button must not say it is.
        SetRunning(false);
        // A lost reply may hide a START the flowmeter took: it must not stay in calibration.
        WriteStop();
        gs.SetCalibrating(m_owner.CalibrationRunning());
        return;
    }
    ui->btnStart->setEnabled(false);
    ui->BtnStop->show();

    for (int k = 0; k < CurrentCalibration::kPoints; ++k) {
        timecounter = 0;
        ForI = k;
        // Only a reading of this point counts, never one left from an earlier run.
        Tok[size_t(k)] = std::numeric_limits<float>::quiet_NaN();
        (void)gs.Flowmeter().WriteHoldRegs(QidPoint(s), 0, kRegPoint + s, TypedValue(k, dtUInt8));
        const int point = WaitResult(F31_32);
        if (regim == 0) // "Остановить" while the point was acknowledged: Stop has run
            return;
        if (point != 0) {
            Messages::Show(QStringLiteral("Не удалось записать измеряемый ток!"));
            Stop();
            return;
        }
        regim = 2;
        m_timer->start();
        while (regim == 2) {
            if (!LinksUp()) {
                Messages::Show(QStringLiteral("Связь потеряна: калибровка остановлена"));
                Stop();
                return;
            }
            if (!session.Ipt().ReadInputRegs(BenchQid::ReadIptCurCal, 0, kIptCurrents, dtFloat32, kIptChannels)) {
                Stop();
                return;
            }
            WaitResult(session.Box().ResIptCurCal);
        }
        if (regim == 0)
            return;
        if (std::isnan(Tok[size_t(k)])) {
            Messages::Show(QStringLiteral("Не удалось считать ток ИПТ в точке %1 мА\nПроверьте подключение ИПТ")
                               .arg(CurrentCalibration::kReferenceMa[size_t(k)]));
            Stop();
            return;
        }
    }

    if (CurrentCalibration::WithinTolerance(Tok)) {
        for (int k = 0; k < CurrentCalibration::kPoints; ++k)
            (void)gs.Flowmeter().WriteHoldRegs(QidTable(s, k), 0, CurrentCalibration::TableRegister(k, s),
                                               TypedValue(Tok[size_t(k)], dtFloat32));
    } else {
        Messages::Show(
            QStringLiteral("Значения токов отличаются от эталонных\nна значения больше допустимых\n"
                           "Проверьте подключение ИПТ"));
    }
    Stop();
}

void TGsCalibTokForm::Stop()
{
    ui->btnStart->setEnabled(true);
    ui->BtnStop->hide();
    m_timer->stop();
    ui->pb->setValue(0);
    SetRunning(false);
    if (!WriteStop())
        Messages::Show(QStringLiteral("Не удалось записать команду STOP"));
    m_owner.Owner().SetCalibrating(m_owner.CalibrationRunning());
}

bool TGsCalibTokForm::WriteStop()
{
    TFlowMeterFormGS &gs = m_owner.Owner();
    (void)gs.Flowmeter().WriteHoldRegs(QidStop(FSlot), 0, kRegMode + FSlot, TypedValue(kStopValue, dtUInt8));
    return WaitResult(F_29_30) == 0;
}

void TGsCalibTokForm::TimerTimer()
{
    ++timecounter;
    ui->pb->setValue(timecounter);
    if (timecounter >= kTicksPerPoint) {
        ui->pb->setValue(0);
        regim = 1;
        m_timer->stop();
    }
}

void TGsCalibTokForm::SetTokIpt(double mA)
{
    if (regim == 0 || ForI < 0 || ForI >= CurrentCalibration::kPoints)
        return;
    Tok[size_t(ForI)] = float(mA);
    Edit(ForI)->setText(Fmt3(mA));
}

void TGsCalibTokForm::StartDone(int result)
{
    F29_30 = result;
    m_sbPanel->setText(QStringLiteral("Старт калибровки: ") + ResultText(result));
}

void TGsCalibTokForm::StopDone(int result)
{
    F_29_30 = result;
    m_sbPanel->setText(QStringLiteral("Стоп калибровки: ") + ResultText(result));
}

void TGsCalibTokForm::PointDone(int result)
{
    F31_32 = result;
    m_sbPanel->setText(QStringLiteral("Ток: ") + ResultText(result));
}

void TGsCalibTokForm::TableDone(int k, int result)
{
    StatusLabel(k)->setText(result == 0 ? QStringLiteral("Записано") : ResultText(result));
}
