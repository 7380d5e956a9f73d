#include "shell/verificationbench.h"

#include "flowmeter/flowmeterlink.h"
#include "imr/imrcontroller.h"
#include "imr/volumeimit.h"
#include "shell/tmainfrm.h"
#include "usi_ipt/iptgroup.h"
#include "usi_ipt/usigroup.h"

QString MainVerificationBench::NotReady() const
{
    BenchSession &s = m_main.Session();
    if (!s.BenchConnected())
        return QStringLiteral("Нет связи с ЦТМ");
    if (!s.FlowmeterConnected())
        return QStringLiteral("Нет связи с расходомером");
    if (s.ImrDev().Adr == 0)
        return QStringLiteral("Не найден модуль ИМР: нажмите \"Проверка связи\"");
    if (needCurrent && s.IptDev().Adr == 0)
        return QStringLiteral("Не найден модуль ИПТ: нажмите \"Проверка связи\"");
    if (needPulses && s.UsiDev().Adr == 0)
        return QStringLiteral("Не найден модуль УСИ: нажмите \"Проверка связи\"");
    if (s.PribType() < 0)
        return QStringLiteral("Не выбран поверяемый прибор");
    if (m_main.Imr()->ImrMode() != 0)
        return QStringLiteral("Отмените работу других режимов");
    return QString();
}

bool MainVerificationBench::LinksUp() const
{
    return m_main.Session().BenchConnected() && m_main.Session().FlowmeterConnected();
}

void MainVerificationBench::StartMeasurements(bool current, bool pulses)
{
    // The periodic reads the operator starts with "Читать"; a read already running stays.
    if (current)
        m_main.Ipt()->SetPolling(true);
    if (pulses)
        m_main.Usi()->SetPolling(true);
}

std::optional<double> MainVerificationBench::StartFlow(double q)
{
    ImrController &imr = *m_main.Imr();
    const int flow = qRound(q);
    if (imr.ImrMode() == 1) {
        // A new point while imitating: only the count changes.
        if (!imr.SetImitFlow(flow, false))
            return std::nullopt;
    } else if (!imr.StartFlowImitation(flow)) {
        return std::nullopt;
    }
    return imr.ImitQ();
}

void MainVerificationBench::StopAll()
{
    ImrController &imr = *m_main.Imr();
    if (m_main.Volume()->Running())
        m_main.Volume()->BtnQStopClick();
    if (imr.ImrMode() == 1)
        imr.SetImitFlow(0, false);
    if (m_main.Session().BenchConnected() && m_main.Session().ImrDev().Adr != 0)
        imr.ImrToIdle();
    imr.SetImrMode(0);
}

std::optional<int> MainVerificationBench::StartVolume(double volume, double q)
{
    if (!m_main.Volume()->StartVolumeRun(volume, qRound(q)))
        return std::nullopt;
    return m_main.Imr()->ImitSeconds;
}

bool MainVerificationBench::VolumeRunning() const
{
    return m_main.Volume()->Running();
}

double MainVerificationBench::ImitatedVolume() const
{
    return double(m_main.Session().Values().AccTimeMs) * m_main.Imr()->ImitQ() / 3600.0 / 1000.0;
}

quint64 MainVerificationBench::FlowReadings() const
{
    return Inputs().Readings(CalcInputs::kQIzm);
}

double MainVerificationBench::Flow() const
{
    return Inputs().QIzm();
}

quint64 MainVerificationBench::VolumeReadings() const
{
    return Inputs().Readings(CalcInputs::kVIzm);
}

double MainVerificationBench::FlowmeterVolume() const
{
    return Inputs().VIzm();
}

quint64 MainVerificationBench::CurrentReadings() const
{
    return Inputs().Readings(CalcInputs::kIIzm);
}

double MainVerificationBench::Current() const
{
    return Inputs().IIzm();
}

quint64 MainVerificationBench::PulseReadings() const
{
    return Inputs().Readings(CalcInputs::kImpIzm);
}

double MainVerificationBench::Pulses() const
{
    return Inputs().ImpIzm();
}

QStringList MainVerificationBench::Modules() const
{
    BenchSession &s = m_main.Session();
    QStringList out;
    for (const TPQTM *d : {&s.ImrDev(), &s.UsiDev(), &s.IptDev()})
        if (d->Adr != 0)
            out << QStringLiteral("%1 (адрес %2)").arg(d->Name).arg(d->Adr);
    return out;
}

double MainVerificationBench::DelayStep() const
{
    return m_main.Imr()->DelayStep();
}

QString MainVerificationBench::Model() const
{
    return m_main.Flow()->ModelName();
}

QString MainVerificationBench::Flowmeter() const
{
    return m_main.Flow()->Identification();
}

QString MainVerificationBench::Software() const
{
    return QStringLiteral("Монитор ЦТМ-01 (qtm-monitor), версия %1").arg(QStringLiteral(QTM_VERSION));
}
