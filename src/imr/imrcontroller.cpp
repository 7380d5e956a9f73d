#include "imr/imrcontroller.h"

#include "imr/imitflow.h"
#include "imr/imrstatus.h"
#include "link/benchqids.h"
#include "link/conventions.h"
#include "link/imbcommaster.h"
#include "link/messages.h"

#include <QThread>
#include <QTimer>

using namespace BenchQid;

namespace
{

enum ImrCommand {
    cmdStart = 1,
    cmdStop = 2,
    cmdCalibrate = 3,
    cmdCountAutoCirc = 4,
    cmdEndTuning = 9,
    cmdEndContinuousCheck = 12,
    cmdEndDelayLineCheck = 15,
};

const QString kCalibPrefix = QStringLiteral("Производится калибровка : ");

} // namespace

ImrController::ImrController(IMBComMaster *mbcm, BenchShared &shared, QObject *parent)
    : QObject(parent), m_mbcm(mbcm), m_s(shared)
{
}

ImrController::~ImrController()
{
    m_s.Effects.remove(ReadEmulBit);
}

void ImrController::InstallEffects()
{
    m_s.Effects[ReadEmulBit] = [this](int, const QVariant &, int result) { EmulBitRead(result); };
}

bool ImrController::BenchConnected() const
{
    return serverConnected ? serverConnected() : m_mbcm->Connected();
}

void ImrController::SelectImr()
{
    m_mbcm->SetDeviceAddres(m_s.ImrDev.Adr);
}

void ImrController::Say(const QString &text)
{
    m_told = true;
    Messages::Show(text);
}

bool ImrController::ReadStateOrTell()
{
    if (ReadImrState())
        return true;
    if (!m_told)
        Say(QStringLiteral("Не удалось считать состояние ИМР"));
    return false;
}

void ImrController::ShowBit(bool bit)
{
    Status(bit ? QStringLiteral("true") : QStringLiteral("false"));
}

bool ImrController::WriteCommand(int code)
{
    WriteCommandNoWait(code);
    return WaitResult(m_s.ResImrCmd) == 0;
}

void ImrController::WriteCommandNoWait(int code)
{
    m_mbcm->WriteHoldRegs(WriteImrCmd, 0, 3, TypedValue(code, dtUInt8));
}

bool ImrController::ReadImrState()
{
    if (!BenchConnected())
        return false;
    if (m_s.ImrDev.Adr == 0) {
        Q_EMIT ImrLabelChanged(QStringLiteral("Прибор ИМР не найден"));
        return false;
    }
    m_s.ImrState = m_s.ImrErrors = m_s.ImrLastCmd = -1;
    SelectImr();
    m_mbcm->ReadInputRegs(ReadImrStatus, 0, 1, dtUInt8, 3);
    if (WaitResult(m_s.ResImrStatus) != 0) {
        m_s.ImrState = 255;
        const QString text = QStringLiteral("Не удалось считать состояние ИМР");
        Say(text);
        Q_EMIT ImrLabelChanged(text);
        return false;
    }
    Q_EMIT ImrLabelChanged(ImrStatusText(m_s.ImrState, m_s.ImrErrors, m_s.ImrLastCmd));
    return true;
}

bool ImrController::ImrToIdle()
{
    if (!ReadImrState())
        return false;
    int command = 0;
    switch (m_s.ImrState) {
    case 0:
        return true;
    case 1:
    case 2:
        command = cmdStop;
        break;
    case 5:
    case 6:
        command = cmdEndTuning;
        break;
    case 7:
        command = cmdEndDelayLineCheck;
        break;
    case 8:
        command = cmdEndContinuousCheck;
        break;
    case 255:
        return false;
    default:
        break; // the automaton leaves the other states by itself
    }
    if (command != 0 && !WriteCommand(command))
        return false;
    // A module stuck outside idle must not keep the operator waiting forever;
    // a failed read has already said so.
    for (int i = 0; i < kIdleReads; ++i) {
        if (!ReadImrState())
            return false;
        if (m_s.ImrState == 0)
            return true;
    }
    Say(QStringLiteral("ИМР не перешёл в состояние ИДЛЕ: ") + ImrStateText(m_s.ImrState));
    return false;
}

bool ImrController::SetEmulBit(bool value)
{
    if (m_s.OldBench)
        return true;
    if (m_s.ImrDev.Adr == 0)
        return false;
    SelectImr();
    m_mbcm->ReadHoldBins(ReadEmulBit, 0, 2, 1);
    const int read = WaitResult(m_s.ResEmulBit);
    if (read != 0) {
        Say(QStringLiteral("Никак не считать состояние бита:") + ResultText(read));
        return false;
    }
    ShowBit(m_s.EmulBit);
    if (m_s.EmulBit == value)
        return true;
    int result = 0;
    for (int attempt = 0; attempt < 10; ++attempt) {
        m_mbcm->WriteHoldBins(WriteEmulBit, 0, 2, TypedValue(value, dtBool));
        result = WaitResult(m_s.ResEmulBit);
        if (result == 0)
            break;
        Status(ResultText(result));
    }
    if (result != 0) {
        Say(QStringLiteral("Не прошла запись битовой команды:") + ResultText(result));
        return false;
    }
    m_s.EmulBit = value;
    ShowBit(value);
    return true;
}

bool ImrController::WriteImitLength(quint32 ms)
{
    m_mbcm->WriteHoldRegs(WriteImitTime, 0, 32772, TypedValue(ms, dtUInt32));
    const int result = WaitResult(m_s.ResImitTime);
    if (result == 0)
        return true;
    Say(QStringLiteral("Не удалось записать продолжительность имитации(") + ResultText(result) +
        QStringLiteral(")'"));
    return false;
}

void ImrController::RequestEmulBit()
{
    if (m_s.ImrDev.Adr == 0)
        return;
    SelectImr();
    m_mbcm->ReadHoldBins(ReadEmulBit, 0, 2, 1);
}

void ImrController::EmulBitRead(int result)
{
    if (result != 0)
        Status(QStringLiteral("error"));
    else
        ShowBit(m_s.EmulBit);
}

bool ImrController::CalibrateDelayLine()
{
    m_told = false;
    Status(kCalibPrefix);
    if (m_s.ImrDev.Adr == 0)
        return false;
    SelectImr();
    m_mbcm->WriteHoldRegs(WriteConvCount, 0, 16385, TypedValue(kCalibConversions, dtUInt16));
    const int conv = WaitResult(m_s.ResConvCount);
    if (conv != 0) {
        Say(QStringLiteral("Калибровка:Не прошла запись числа конверсий:") + ResultText(conv));
        return false;
    }
    Status(kCalibPrefix + QStringLiteral("Приводим в состояние ИДЛЕ"));
    if (!ImrToIdle()) {
        if (!m_told)
            Say(QStringLiteral("Ошибка : попробуйте еще раз"));
        return false;
    }
    if (!WriteCommand(cmdCalibrate)) {
        Say(QStringLiteral("Калибровка:Не прошла команда калибровки"));
        return false;
    }
    // 3 ms per conversion; the module does not answer meanwhile.
    QThread::msleep(3 * kCalibConversions);
    if (!ReadStateOrTell())
        return false;
    if (m_s.ImrState != 0 || m_s.ImrErrors != 0 || m_s.ImrLastCmd != 8) {
        Say(QStringLiteral("Автомат сработал некорректно"));
        return false;
    }
    Status(kCalibPrefix + QStringLiteral("результаты..."));
    m_mbcm->ReadInputRegs(ReadCalib, 0, 32772, dtUInt32, 10);
    const int sums = WaitResult(m_s.ResCalib);
    if (sums != 0) {
        Say(QStringLiteral("Калибровка:Ошибка чтения результатов:") + QString::number(sums));
        return false;
    }
    Status(kCalibPrefix + QStringLiteral("частота кварца..."));
    m_mbcm->ReadHoldRegs(ReadFosc, 0, 32774, dtUInt32, 1);
    if (WaitResult(m_s.ResFosc) != 0) {
        Say(QStringLiteral("Калибровка:Ошибка чтения частоты кварца"));
        return false;
    }
    Status(kCalibPrefix + QStringLiteral("времена..."));
    m_mbcm->ReadHoldRegs(ReadTimes, 0, 49152, dtFloat32, 2);
    if (WaitResult(m_s.ResTimes) != 0) {
        Say(QStringLiteral("Калибровка:Ошибка чтения времен"));
        return false;
    }
    Status(kCalibPrefix + QStringLiteral("Ok..."));

    // The quartz frequency is an unsigned register value.
    const DelayLineInput in{quint32(m_s.Fosc), m_s.T0, m_s.T1};
    const DelayLineResult r = ComputeDelayLine(in, m_s.CalibData, FineCorr);
    if (!r.valid) {
        Say(QStringLiteral("Калибровка:Недопустимый результат расчёта задержки (Fosc = ") +
            QString::number(in.Fosc) + QLatin1Char(')'));
        return false;
    }
    FineCorr = r.FineCorr;
    LastCalib = r;
    m_s.DelayStep = r.DelayStep;
    Status(kCalibPrefix + QStringLiteral("расчеты проведены = ") + FmtGeneral(r.DelayStep));
    Q_EMIT Calibrated();
    return true;
}

bool ImrController::StartFlowImitation(int q)
{
    SelectImr();
    if (!CalibrateDelayLine() || !SetEmulBit(true))
        return false;
    m_s.VerifyMode = 0;
    if (!WriteImitLength(0))
        return false;
    m_s.ImrMode = 1;
    if (!SetImitFlow(q, false)) {
        m_s.ImrMode = 0;
        return false;
    }
    return true;
}

bool ImrController::SetImitFlow(int q, bool withTime)
{
    SelectImr();
    if (q == 0) {
        if (!WriteCommand(cmdStop)) {
            Say(QStringLiteral("Не удалось записать команду STOP"));
            return false;
        }
        Q_EMIT ImitFlowStopped();
        return true;
    }
    ImitFlowInput in;
    in.Q = q;
    in.verifyMode = m_s.VerifyMode != 0;
    in.pribType = m_s.PribType;
    in.autoCircCount = m_s.AutoCircCount;
    in.delayStep = m_s.DelayStep;
    const ImitFlowResult r = ComputeImitFlow(in);
    if (r.status != ImitFlowResult::Ok) {
        Say(ImitFlowRefusalText(r.status));
        return false;
    }
    m_mbcm->WriteHoldRegs(WritePulseCount, 0, 16386, TypedValue(r.v, dtUInt16));
    const int written = WaitResult(m_s.ResPulseCount);
    if (written != 0) {
        Say(QStringLiteral("Не удалось записать количество задержанных импульсов (") + QString::number(r.v) +
            QStringLiteral(") ") + ResultText(written));
        return false;
    }
    Status(QStringLiteral("Записано ") + QString::number(r.v) + QStringLiteral(" импульсов"));
    m_s.ImitQ = r.ImitQ;

    if (withTime) {
        const int seconds = ImitLengthSeconds(VolumeSet, m_s.ImitQ);
        TickCount = 0;
        ImitSeconds = seconds;
        Q_EMIT ImitLengthSet(seconds);
        m_mbcm->WriteHoldRegs(WriteImitTime, 0, 32772, TypedValue(qint64(seconds) * 1000, dtUInt32));
        const int timeResult = WaitResult(m_s.ResImitTime);
        if (timeResult != 0) {
            Say(QStringLiteral("Запись времени имитации не прошла (") + ResultText(timeResult) +
                QLatin1Char(')'));
            return false;
        }
        Status(QStringLiteral("Записано время : ") + QString::number(seconds));
    }
    if (!WriteCommand(cmdStart)) {
        Say(QStringLiteral("Не удалось записать команду START"));
        return false;
    }
    Q_EMIT ImitFlowStarted(m_s.ImitQ);
    return true;
}

bool ImrController::CountAutoCirculations()
{
    if (!BenchConnected() || m_s.ImrDev.Adr == 0)
        return false;
    m_told = false;
    Q_EMIT AutoCircTextChanged(QStringLiteral("???"));
    SelectImr();
    if (!ImrToIdle()) {
        if (!m_told)
            Say(QStringLiteral("Ошибка : попробуйте еще раз"));
        return false;
    }
    if (!WriteCommand(cmdCountAutoCirc)) {
        Say(QStringLiteral("Не удалось записать команду подсчёта автоциркуляций: ") +
            ResultText(m_s.ResImrCmd));
        return false;
    }
    for (int i = 0; i < kIdleReads; ++i) {
        if (!ReadStateOrTell())
            return false;
        if (m_s.ImrState != 4 || m_s.ImrLastCmd != 10 || m_s.ImrErrors != 0)
            break;
    }
    if (m_s.ImrState != 0 || m_s.ImrErrors != 0 || m_s.ImrLastCmd != 11) {
        Say(QStringLiteral("Не удалось подсчитать число автоциркуляций"));
        return false;
    }
    m_mbcm->ReadInputRegs(ReadAutoCirc, 0, 16384, dtUInt16, 1);
    if (WaitResult(m_s.ResAutoCirc) != 0) {
        Say(QStringLiteral("Не удалось считать из прибора число автоциркуляций"));
        return false;
    }
    // This class counts one circulation more than it shows.
    const int shown = m_s.PribType == 6 ? m_s.AutoCircCount - 1 : m_s.AutoCircCount;
    Q_EMIT AutoCircTextChanged(QString::number(shown));
    return true;
}

bool ImrController::ResetAllModes()
{
    m_mbcm->FreeAllTasks();
    if (m_s.Timer1)
        m_s.Timer1->stop();
    Status(QStringLiteral("Приводим в состояние ИДЛЕ"));
    if (ImrToIdle()) {
        Q_EMIT ModesReset();
        return true;
    }
    Say(QStringLiteral("Ошибка : попробуйте еще раз"));
    return false;
}
