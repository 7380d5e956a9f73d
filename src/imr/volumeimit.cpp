#include "imr/volumeimit.h"

#include "imr/imitvpage.h"
#include "imr/imrcontroller.h"
#include "imr/povervpage.h"
#include "imr/timvofrm.h"
#include "link/benchqids.h"
#include "link/benchshared.h"
#include "link/conventions.h"
#include "link/imbcommaster.h"
#include "link/messages.h"

#include "imr/clicklabel.h"
#include "ui_imitvpage.h"
#include "ui_povervpage.h"

#include <QPointer>
#include <QTimer>

using namespace BenchQid;

namespace
{
constexpr int kModeVolume = 3;
constexpr int kModeVolumeCheck = 7;
constexpr int kElapsedAddress = 32770;
constexpr int kElapsedPeriodMs = 2000;
constexpr int kEntryReads = 50;
constexpr int kStateEntering = 1, kStateImitating = 2;
constexpr int kCmdStartTaken = 1, kCmdImitating = 2;
const QString kZeroFlow = QStringLiteral("Рaсход не может быть нулевым");
} // namespace

VolumeImit::VolumeImit(ImrController &imr, BenchShared &shared, const Parts &parts, QObject *parent)
    : QObject(parent), m_imr(imr), m_s(shared), m_p(parts)
{
    auto &v = *m_p.imitV->ui;
    auto &c = *m_p.poverV->ui;
    connect(v.Button5, &QPushButton::clicked, this, &VolumeImit::Button5Click);
    connect(v.BtnQStart, &QPushButton::clicked, this, &VolumeImit::BtnQStartClick);
    connect(v.BtnQStop, &QPushButton::clicked, this, &VolumeImit::BtnQStopClick);
    connect(c.Button26, &QPushButton::clicked, this, &VolumeImit::Button26Click);
    connect(c.BtnQ2Start, &QPushButton::clicked, this, &VolumeImit::BtnQ2StartClick);
    connect(c.BtnQ2Stop, &QPushButton::clicked, this, &VolumeImit::BtnQ2StopClick);
    new ClickFilter(v.edttime, [this] { edttimeClick(); });
    connect(m_p.timer1, &QTimer::timeout, this, &VolumeImit::Timer1Timer);
    connect(&m_imr, &ImrController::ImitLengthSet, this, &VolumeImit::ShowLength);
    connect(&m_imr, &ImrController::ImitFlowStarted, this, &VolumeImit::ShowImitQ);
}

VolumeImit::~VolumeImit() = default;

void VolumeImit::InstallEffects()
{
    QPointer<VolumeImit> self(this);
    m_s.Effects[ReadAccTime] = [self](int, const QVariant &, int result) {
        if (self)
            self->AccTimeRead(result);
    };
}

void VolumeImit::ShowElapsed(QWidget *edit)
{
    if (auto *e = qobject_cast<QLineEdit *>(edit))
        e->setText(FmtGeneral(m_s.AccTimeMs / 1000.0));
}

void VolumeImit::AccTimeRead(int result)
{
    if (result != 0)
        return;
    if (!m_p.timer1->isActive()) {
        ShowElapsed(m_p.imitV->ui->edttime);
        ShowElapsed(m_p.poverV->ui->EdtTime2);
    }
    const double volume = m_s.AccTimeMs * m_s.ImitQ / 3600 / 1000;
    m_p.imitV->ui->EdtNaborV->setText(Fmt4(volume));
    Q_EMIT VEtalonRead(volume);
    m_p.poverV->ui->EdtPoverV->setText(m_p.imitV->ui->EdtNaborV->text());
}

void VolumeImit::ShowLength(int seconds)
{
    SetProgress(0, seconds);
    m_p.imitV->ui->edttime->setText(QString::number(seconds));
    m_p.poverV->ui->EdtTime2->setText(QString::number(seconds));
}

void VolumeImit::ShowImitQ(double imitQ)
{
    if (m_s.ImrMode == kModeVolume)
        m_p.imitV->ui->EdtNaborV->setText(Fmt3(imitQ));
    else if (m_s.ImrMode == kModeVolumeCheck)
        m_p.poverV->ui->EdtPoverQ->setText(Fmt3(imitQ));
    m_p.imitV->ui->EdtQReal->setText(Fmt3(imitQ));
}

void VolumeImit::SetProgress(int value, int maximum)
{
    for (QProgressBar *pb : {m_p.imitV->ui->PB, m_p.poverV->ui->PB2}) {
        if (maximum >= 0)
            pb->setMaximum(maximum);
        pb->setValue(qMin(value, pb->maximum()));
    }
}

void VolumeImit::EnableStarts(bool start, bool stop)
{
    m_p.imitV->ui->BtnQStart->setEnabled(start);
    m_p.poverV->ui->BtnQ2Start->setEnabled(start);
    m_p.imitV->ui->BtnQStop->setEnabled(stop);
    m_p.poverV->ui->BtnQ2Stop->setEnabled(stop);
}

void VolumeImit::Button5Click()
{
    if (m_p.dialog->exec() != QDialog::Accepted)
        return;
    m_p.imitV->ui->BtnQStart->setEnabled(true);
    m_p.imitV->ui->edtZadV->setText(QString::number(m_p.dialog->VolumeSet));
}

void VolumeImit::Button26Click()
{
    if (m_p.dialog->exec() != QDialog::Accepted)
        return;
    m_p.imitV->ui->BtnQStart->setEnabled(true);
    m_p.poverV->ui->EdtZadV2->setText(QString::number(m_p.dialog->VolumeSet));
    m_p.poverV->ui->EdtZadQ2->setText(QString::number(m_p.dialog->FlowSet));
}

bool VolumeImit::StartVolumeImit()
{
    return StartVolumeImit(m_p.dialog->VolumeSet, m_p.dialog->FlowSet);
}

bool VolumeImit::StartVolumeImit(double volume, int flow)
{
    if (!m_imr.CalibrateDelayLine())
        return false;
    m_imr.VolumeSet = volume;
    if (!m_imr.SetImitFlow(flow, true))
        return false;
    for (int i = 0; i < kEntryReads; ++i) {
        m_imr.ReadImrState();
        if (m_s.ImrState != kStateEntering || m_s.ImrLastCmd != kCmdStartTaken || m_s.ImrErrors != 0)
            break;
    }
    if (m_s.ImrState == kStateImitating && m_s.ImrErrors == 0 && m_s.ImrLastCmd == kCmdImitating) {
        m_p.mbcm->FreeTask(ReadAccTime);
        m_imr.SelectImrForPage();
        m_p.mbcm->ReadInputRegs(ReadAccTime, kElapsedPeriodMs, kElapsedAddress, dtUInt32, 1);
        m_p.timer1->start();
        return true;
    }
    Messages::Show(m_s.VerifyMode ? QStringLiteral("Ошибка!\rЦТМ не вошел в состояние имитации.")
                                  : QStringLiteral("Ошибка!\rПроверьте подключение расходомера."));
    return false;
}

void VolumeImit::BtnQStartClick()
{
    if (!m_imr.BenchConnected())
        return;
    if (!(modelSelected ? modelSelected() : m_s.PribType >= 0)) {
        Messages::Show(QStringLiteral("Не выбран поверяемый прибор"));
        return;
    }
    if (m_s.ImrMode != 0) {
        Messages::Show(QStringLiteral("Отмените работу других режимов"));
        return;
    }
    if (m_s.ImrDev.Adr == 0)
        return;
    if (m_p.dialog->FlowSet == 0) {
        Messages::Show(kZeroFlow);
        return;
    }
    auto &v = *m_p.imitV->ui;
    m_s.VerifyMode = 0;
    if (!m_imr.SetEmulBit(true) || !StartVolumeImit()) {
        v.BtnQStart->setEnabled(true);
        return;
    }
    m_s.ImrMode = kModeVolume;
    v.BtnQStart->setEnabled(false);
    v.BtnQStop->setEnabled(true);
    if (m_s.PriborDev.Adr == 0)
        v.edtnabor->setText(QStringLiteral("--"));
    else
        m_p.mbcm1->SetDeviceAddres(m_s.PriborDev.Adr);
}

bool VolumeImit::StartVolumeRun(double volume, int flow)
{
    if (m_s.ImrMode != 0 || flow <= 0)
        return false;
    m_s.VerifyMode = 0;
    if (!m_imr.SetEmulBit(true) || !StartVolumeImit(volume, flow))
        return false;
    m_s.ImrMode = kModeVolume;
    EnableStarts(false, true);
    return true;
}

bool VolumeImit::Running() const
{
    return m_p.timer1->isActive();
}

void VolumeImit::BtnQ2StartClick()
{
    if (!m_imr.BenchConnected() || m_s.ImrDev.Adr == 0)
        return;
    if (m_p.dialog->FlowSet == 0) {
        Messages::Show(kZeroFlow);
        return;
    }
    auto &c = *m_p.poverV->ui;
    c.EdtZadV2->setText(QString::number(m_p.dialog->VolumeSet));
    c.EdtZadQ2->setText(QString::number(m_p.dialog->FlowSet));
    m_s.VerifyMode = 1;
    m_imr.SelectImrForPage();
    if (!m_imr.SetEmulBit(false) || !StartVolumeImit())
        return;
    c.EdtPoverQ->setText(Fmt3(m_s.ImitQ));
    c.BtnQ2Start->setEnabled(false);
    c.BtnQ2Stop->setEnabled(true);
    m_s.ImrMode = kModeVolumeCheck;
}

void VolumeImit::Timer1Timer()
{
    ++m_imr.TickCount;
    if (m_imr.TickCount > m_imr.ImitSeconds) {
        // The module has ended the imitation by its own clock: read what it imitated.
        m_p.timer1->stop();
        m_s.ImrMode = 0;
        EnableStarts(true, false);
        m_p.mbcm->FreeTask(ReadAccTime);
        ReadAccTimeOnce();
        const int read = WaitResult(m_s.ResAccTime);
        m_imr.SetEmulBit(true);
        if (read != 0)
            Messages::Show(QStringLiteral("Не удалось считать время имитации"));
        ShowElapsed(m_p.imitV->ui->edttime);
    }
    SetProgress(m_imr.TickCount);
}

void VolumeImit::BtnQStopClick()
{
    m_imr.SelectImrForPage();
    if (!m_imr.WriteCommand(0)) {
        Messages::Show(QStringLiteral("Не удалось выполнить запись команды STOP"));
        return;
    }
    m_imr.SetImitFlow(0, false);
    m_p.timer1->stop();
    m_p.mbcm->FreeTask(ReadAccTime);
    m_s.ImrMode = 0;
    m_p.imitV->ui->BtnQStart->setEnabled(true);
    m_p.imitV->ui->BtnQStop->setEnabled(false);
}

void VolumeImit::BtnQ2StopClick()
{
    m_imr.SelectImrForPage();
    if (!m_imr.WriteCommand(0)) {
        Messages::Show(QStringLiteral("Не удалось выполнить запись команды STOP"));
        return;
    }
    m_imr.SetImitFlow(0, false);
    m_imr.SetEmulBit(true);
    m_p.timer1->stop();
    m_p.mbcm->FreeTask(ReadAccTime);
    m_s.ImrMode = 0;
    m_p.poverV->ui->BtnQ2Start->setEnabled(true);
    m_p.poverV->ui->BtnQ2Stop->setEnabled(false);
}

void VolumeImit::ReadAccTimeOnce()
{
    m_imr.SelectImrForPage();
    m_p.mbcm->ReadInputRegs(ReadAccTime, 0, kElapsedAddress, dtUInt32, 1);
}

void VolumeImit::edttimeClick()
{
    if (m_s.ImrDev.Adr == 0)
        return;
    ReadAccTimeOnce();
    if (WaitResult(m_s.ResAccTime) != 0)
        Messages::Show(QStringLiteral("Не удалось считать время имитации"));
    else
        ShowElapsed(m_p.imitV->ui->edttime);
}
