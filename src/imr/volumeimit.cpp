#include "imr/volumeimit.h"

#include "imr/imitvpage.h"
#include "imr/imrcontroller.h"
#include "imr/povervpage.h"
#include "imr/timvofrm.h"
#include "session/benchqids.h"
#include "session/benchsession.h"
#include "link/conventions.h"
#include "link/messages.h"
#include "link/runguard.h"

#include "imr/clicklabel.h"
#include "ui_imitvpage.h"
#include "ui_povervpage.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

using namespace BenchQid;

namespace
{
constexpr int kModeVolume = 3;
constexpr int kModeVolumeCheck = 7;
constexpr int kElapsedAddress = 32770;
constexpr int kElapsedPeriodMs = 2000;
// The module leaves the entry state when the flowmeter's TEXT signal falls, or by its
// own time-out with error 1; the program waits somewhat longer, reading at a pace.
constexpr int kEntryWaitMs = 3000;
constexpr int kEntryPollMs = 50;
constexpr int kCmdEndImitation = 2;
constexpr int kStateEntering = 1, kStateImitating = 2;
constexpr int kCmdStartTaken = 1, kCmdImitating = 2;
const QString kZeroFlow = QStringLiteral("Рaсход не может быть нулевым");
const QString kNegativeFlow = QStringLiteral("Расход не может быть отрицательным");
} // namespace

VolumeImit::VolumeImit(ImrController &imr, const Parts &parts, QObject *parent)
    : QObject(parent), m_imr(imr), m_session(imr.Session()), m_p(parts), m_timer1(new QTimer(this))
{
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(1000);
    auto &v = *m_p.imitV->ui;
    auto &c = *m_p.poverV->ui;
    connect(v.Button5, &QPushButton::clicked, this, &VolumeImit::Button5Click);
    connect(v.BtnQStart, &QPushButton::clicked, this, &VolumeImit::BtnQStartClick);
    connect(v.BtnQStop, &QPushButton::clicked, this, &VolumeImit::BtnQStopClick);
    connect(c.Button26, &QPushButton::clicked, this, &VolumeImit::Button26Click);
    connect(c.BtnQ2Start, &QPushButton::clicked, this, &VolumeImit::BtnQ2StartClick);
    connect(c.BtnQ2Stop, &QPushButton::clicked, this, &VolumeImit::BtnQ2StopClick);
    new ClickFilter(v.edttime, [this] { edttimeClick(); });
    connect(m_timer1, &QTimer::timeout, this, &VolumeImit::Timer1Timer);
    connect(&m_imr, &ImrController::ImitLengthSet, this, &VolumeImit::ShowLength);
    connect(&m_imr, &ImrController::ImitFlowStarted, this, &VolumeImit::ShowImitQ);
    connect(&m_imr, &ImrController::AllTasksFreed, m_timer1, &QTimer::stop);
    m_session.Subscribe(ReadAccTime, this, [this](int, const QVariant &, int result) { AccTimeRead(result); });
}

VolumeImit::~VolumeImit() = default;

void VolumeImit::ShowElapsed(QWidget *edit)
{
    if (auto *e = qobject_cast<QLineEdit *>(edit))
        e->setText(FmtGeneral(m_session.Values().AccTimeMs / 1000.0));
}

void VolumeImit::AccTimeRead(int result)
{
    if (result != 0)
        return;
    if (!m_timer1->isActive()) {
        ShowElapsed(m_p.imitV->ui->edttime);
        ShowElapsed(m_p.poverV->ui->EdtTime2);
    }
    const double volume = m_session.Values().AccTimeMs * m_imr.ImitQ() / 3600 / 1000;
    m_p.imitV->ui->EdtNaborV->setText(Fmt4(volume));
    m_session.Calc().SetVEtalon(volume);
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
    if (m_imr.ImrMode() == kModeVolume)
        m_p.imitV->ui->EdtNaborV->setText(Fmt3(imitQ));
    else if (m_imr.ImrMode() == kModeVolumeCheck)
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
    const BenchValues &v = m_session.Values();
    QElapsedTimer entry;
    entry.start();
    while (m_imr.ReadImrState() && v.ImrState == kStateEntering && v.ImrLastCmd == kCmdStartTaken &&
           v.ImrErrors == 0 && entry.elapsed() < kEntryWaitMs)
        PauseResponsive(kEntryPollMs);
    if (v.ImrState == kStateImitating && v.ImrErrors == 0 && v.ImrLastCmd == kCmdImitating) {
        const ModuleLink imr = m_session.Imr();
        imr.FreeTask(ReadAccTime);
        if (!imr.ReadInputRegs(ReadAccTime, kElapsedPeriodMs, kElapsedAddress, dtUInt32, 1))
            return false;
        m_timer1->start();
        return true;
    }
    // Given up: a module still entering (or in an unknown state) would run the
    // imitation nobody follows.
    if (v.ImrState == kStateEntering || v.ImrState == kStateImitating || v.ImrState == 255)
        m_imr.WriteCommand(kCmdEndImitation);
    Messages::Show(m_imr.VerifyMode() ? QStringLiteral("Ошибка!\rЦТМ не вошел в состояние имитации.")
                                  : QStringLiteral("Ошибка!\rПроверьте подключение расходомера."));
    return false;
}

void VolumeImit::BtnQStartClick()
{
    if (!m_imr.BenchConnected())
        return;
    if (m_session.PribType() < 0) {
        Messages::Show(QStringLiteral("Не выбран поверяемый прибор"));
        return;
    }
    if (m_imr.ImrMode() != 0) {
        Messages::Show(QStringLiteral("Отмените работу других режимов"));
        return;
    }
    if (m_session.ImrDev().Adr == 0 || !FlowAccepted())
        return;
    const RunGuard run(m_starting);
    if (!run)
        return;
    auto &v = *m_p.imitV->ui;
    // A second click inside the waits would restart the module's clock and lose the first run's pulses.
    LockStarts();
    m_imr.SetVerifyMode(false);
    if (!m_imr.SetEmulBit(true) || !StartVolumeImit()) {
        UnlockStarts();
        return;
    }
    UnlockStarts();
    m_imr.SetImrMode(kModeVolume);
    v.BtnQStart->setEnabled(false);
    v.BtnQStop->setEnabled(true);
    // Every flowmeter request names its address itself; a flowmeter without one has no volume to show.
    if (m_session.PriborDev().Adr == 0)
        v.edtnabor->setText(QStringLiteral("--"));
}

bool VolumeImit::FlowAccepted() const
{
    if (m_p.dialog->FlowSet == 0)
        Messages::Show(kZeroFlow);
    else if (m_p.dialog->FlowSet < 0)
        Messages::Show(kNegativeFlow);
    return m_p.dialog->FlowSet > 0;
}

void VolumeImit::LockStarts()
{
    m_startsEnabled = {m_p.imitV->ui->BtnQStart->isEnabled(), m_p.poverV->ui->BtnQ2Start->isEnabled()};
    m_p.imitV->ui->BtnQStart->setEnabled(false);
    m_p.poverV->ui->BtnQ2Start->setEnabled(false);
}

void VolumeImit::UnlockStarts()
{
    m_p.imitV->ui->BtnQStart->setEnabled(m_startsEnabled.first);
    m_p.poverV->ui->BtnQ2Start->setEnabled(m_startsEnabled.second);
}

bool VolumeImit::StartVolumeRun(double volume, int flow)
{
    if (m_imr.ImrMode() != 0 || flow <= 0)
        return false;
    const RunGuard run(m_starting);
    if (!run)
        return false;
    LockStarts();
    m_imr.SetVerifyMode(false);
    const bool started = m_imr.SetEmulBit(true) && StartVolumeImit(volume, flow);
    UnlockStarts();
    if (!started)
        return false;
    m_imr.SetImrMode(kModeVolume);
    EnableStarts(false, true);
    return true;
}

bool VolumeImit::Running() const
{
    return m_timer1->isActive();
}

void VolumeImit::BtnQ2StartClick()
{
    if (!m_imr.BenchConnected() || m_session.ImrDev().Adr == 0 || !FlowAccepted())
        return;
    const RunGuard run(m_starting);
    if (!run)
        return;
    auto &c = *m_p.poverV->ui;
    c.EdtZadV2->setText(QString::number(m_p.dialog->VolumeSet));
    c.EdtZadQ2->setText(QString::number(m_p.dialog->FlowSet));
    LockStarts();
    m_imr.SetVerifyMode(true);
    const bool started = m_imr.SetEmulBit(false) && StartVolumeImit();
    UnlockStarts();
    if (!started)
        return;
    c.EdtPoverQ->setText(Fmt3(m_imr.ImitQ()));
    c.BtnQ2Start->setEnabled(false);
    c.BtnQ2Stop->setEnabled(true);
    m_imr.SetImrMode(kModeVolumeCheck);
}

void VolumeImit::Timer1Timer()
{
    ++m_imr.TickCount;
    if (m_imr.TickCount > m_imr.ImitSeconds) {
        // The module has ended the imitation by its own clock: read what it imitated.
        m_timer1->stop();
        m_imr.SetImrMode(0);
        EnableStarts(true, false);
        m_session.Imr().FreeTask(ReadAccTime);
        const int read = m_imr.Await(ReadAccTimeOnce(), m_session.Box().ResAccTime);
        m_imr.SetEmulBit(true);
        m_imr.ShowStatus(QStringLiteral("Имитация объема завершена"));
        if (read != 0)
            Messages::Show(QStringLiteral("Не удалось считать время имитации"));
        ShowElapsed(m_p.imitV->ui->edttime);
    }
    SetProgress(m_imr.TickCount);
}

void VolumeImit::BtnQStopClick()
{
    if (!m_imr.WriteCommand(0)) {
        Messages::Show(QStringLiteral("Не удалось выполнить запись команды STOP"));
        return;
    }
    m_imr.SetImitFlow(0, false);
    m_timer1->stop();
    m_session.Imr().FreeTask(ReadAccTime);
    m_imr.SetImrMode(0);
    m_imr.ShowStatus(QStringLiteral("Имитация объема остановлена"));
    m_p.imitV->ui->BtnQStart->setEnabled(true);
    m_p.imitV->ui->BtnQStop->setEnabled(false);
}

void VolumeImit::BtnQ2StopClick()
{
    if (!m_imr.WriteCommand(0)) {
        Messages::Show(QStringLiteral("Не удалось выполнить запись команды STOP"));
        return;
    }
    m_imr.SetImitFlow(0, false);
    m_imr.SetEmulBit(true);
    m_timer1->stop();
    m_session.Imr().FreeTask(ReadAccTime);
    m_imr.SetImrMode(0);
    m_imr.ShowStatus(QStringLiteral("Имитация объема остановлена"));
    m_p.poverV->ui->BtnQ2Start->setEnabled(true);
    m_p.poverV->ui->BtnQ2Stop->setEnabled(false);
}

bool VolumeImit::ReadAccTimeOnce()
{
    return m_session.Imr().ReadInputRegs(ReadAccTime, 0, kElapsedAddress, dtUInt32, 1);
}

void VolumeImit::edttimeClick()
{
    if (m_session.ImrDev().Adr == 0)
        return;
    if (m_imr.Await(ReadAccTimeOnce(), m_session.Box().ResAccTime) != 0)
        Messages::Show(QStringLiteral("Не удалось считать время имитации"));
    else
        ShowElapsed(m_p.imitV->ui->edttime);
}
