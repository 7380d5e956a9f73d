#include "shell/verificationbench.h"

#include "calc/tcalcfrm.h"
#include "imr/imrcontroller.h"
#include "imr/volumeimit.h"
#include "shell/tmainfrm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

QString MainVerificationBench::NotReady() const
{
    const BenchShared &s = m_main.Shared();
    if (!m_main.FServerConnected)
        return QStringLiteral("Нет связи с ЦТМ");
    if (!m_main.FPRiborConnected)
        return QStringLiteral("Нет связи с расходомером");
    if (s.ImrDev.Adr == 0)
        return QStringLiteral("Не найден модуль ИМР: нажмите \"Проверка связи\"");
    if (needCurrent && s.IptDev.Adr == 0)
        return QStringLiteral("Не найден модуль ИПТ: нажмите \"Проверка связи\"");
    if (needPulses && s.UsiDev.Adr == 0)
        return QStringLiteral("Не найден модуль УСИ: нажмите \"Проверка связи\"");
    if (s.PribType < 0)
        return QStringLiteral("Не выбран поверяемый прибор");
    if (s.ImrMode != 0)
        return QStringLiteral("Отмените работу других режимов");
    return QString();
}

bool MainVerificationBench::LinksUp() const
{
    return m_main.FServerConnected && m_main.FPRiborConnected;
}

void MainVerificationBench::StartMeasurements(bool current, bool pulses)
{
    // The same check boxes the operator ticks to read currents and counts.
    for (const auto &[name, wanted] : {std::pair{"ChbTok", current}, std::pair{"ChbCnt1", pulses}})
        if (auto *box = m_main.Control<QCheckBox>(QString::fromLatin1(name));
            box && wanted && !box->isChecked())
            box->click();
}

std::optional<double> MainVerificationBench::StartFlow(double q)
{
    BenchShared &s = m_main.Shared();
    const int flow = qRound(q);
    if (s.ImrMode == 1) {
        // A new point while imitating: only the count changes.
        if (!m_main.Imr()->SetImitFlow(flow, false))
            return std::nullopt;
    } else if (!m_main.Imr()->StartFlowImitation(flow)) {
        return std::nullopt;
    }
    return s.ImitQ;
}

void MainVerificationBench::StopAll()
{
    BenchShared &s = m_main.Shared();
    if (auto *volume = m_main.findChild<VolumeImit *>(); volume && volume->Running())
        volume->BtnQStopClick();
    if (s.ImrMode == 1)
        m_main.Imr()->SetImitFlow(0, false);
    if (m_main.FServerConnected && s.ImrDev.Adr != 0)
        m_main.Imr()->ImrToIdle();
    s.ImrMode = 0;
}

std::optional<int> MainVerificationBench::StartVolume(double volume, double q)
{
    auto *run = m_main.findChild<VolumeImit *>();
    if (!run || !run->StartVolumeRun(volume, qRound(q)))
        return std::nullopt;
    return m_main.Imr()->ImitSeconds;
}

bool MainVerificationBench::VolumeRunning() const
{
    auto *run = m_main.findChild<VolumeImit *>();
    return run && run->Running();
}

double MainVerificationBench::ImitatedVolume() const
{
    const BenchShared &s = m_main.Shared();
    return double(s.AccTimeMs) * s.ImitQ / 3600.0 / 1000.0;
}

quint64 MainVerificationBench::FlowReadings() const
{
    return m_main.Calc()->Readings(TcalcFrm::kQIzm);
}

double MainVerificationBench::Flow() const
{
    return m_main.Calc()->QIzm();
}

quint64 MainVerificationBench::VolumeReadings() const
{
    return m_main.Calc()->Readings(TcalcFrm::kVIzm);
}

double MainVerificationBench::FlowmeterVolume() const
{
    return m_main.Calc()->VIzm();
}

quint64 MainVerificationBench::CurrentReadings() const
{
    return m_main.Calc()->Readings(TcalcFrm::kIIzm);
}

double MainVerificationBench::Current() const
{
    return m_main.Calc()->IIzm();
}

quint64 MainVerificationBench::PulseReadings() const
{
    return m_main.Calc()->Readings(TcalcFrm::kImpIzm);
}

double MainVerificationBench::Pulses() const
{
    return m_main.Calc()->ImpIzm();
}

std::pair<double, double> MainVerificationBench::CurrentTable() const
{
    return m_main.Calc()->CurrentEntries();
}

QStringList MainVerificationBench::Modules() const
{
    const BenchShared &s = m_main.Shared();
    QStringList out;
    for (const TPQTM *d : {&s.ImrDev, &s.UsiDev, &s.IptDev})
        if (d->Adr != 0)
            out << QStringLiteral("%1 (адрес %2)").arg(d->Name).arg(d->Adr);
    return out;
}

double MainVerificationBench::DelayStep() const
{
    return m_main.Shared().DelayStep;
}

QString MainVerificationBench::Model() const
{
    auto *models = m_main.Control<QComboBox>(QStringLiteral("cbxprib"));
    return models ? models->currentText().trimmed() : QString();
}

QString MainVerificationBench::Flowmeter() const
{
    auto *name = m_main.Control<QLineEdit>(QStringLiteral("Edit4"));
    return name ? name->text() : QString();
}
