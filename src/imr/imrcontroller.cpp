#include "imr/imrcontroller.h"

#include "imr/imitflow.h"
#include "imr/imrstatus.h"
#include "session/benchqids.h"
#include "session/benchsession.h"
#include "link/conventions.h"
#include "link/messages.h"

#include <QScopeGuard>
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
// The result of a request that was not handed over: "Не удается отправить запрос".
constexpr int kNotSent = 3;

} // namespace

ImrController::ImrController(BenchSession &session, QObject *parent) : QObject(parent), m_session(session)
{
    m_session.Subscribe(ReadEmulBit, this, [this](int, const QVariant &, int result) { EmulBitRead(result); });
}

ImrController::~ImrController() = default;

bool ImrController::BenchConnected() const
{
    return m_session.BenchConnected();
}

ModuleLink ImrController::Imr() const
{
    // Sequences tell a failure in their own words; ImrFound tells the missing module.
    return m_session.Imr().Quiet();
}

bool ImrController::ImrFound()
{
    if (m_session.ImrDev().Adr != 0)
        return true;
    Say(m_session.Imr().NotFoundText());
    return false;
}

int ImrController::Await(bool handedOver, Mailbox &mailbox)
{
    return handedOver ? WaitResult(mailbox) : kNotSent;
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
    Status(bit ? QStringLiteral("Бит эмуляции: установлен") : QStringLiteral("Бит эмуляции: сброшен"));
}

int ImrController::Command(int code)
{
    return Await(Imr().WriteHoldRegs(WriteImrCmd, 0, 3, TypedValue(code, dtUInt8)), m_session.Box().ResImrCmd);
}

bool ImrController::WriteCommand(int code)
{
    return Command(code) == 0;
}

void ImrController::WriteCommandNoWait(int code)
{
    (void)Imr().WriteHoldRegs(WriteImrCmd, 0, 3, TypedValue(code, dtUInt8));
}

bool ImrController::ReadImrState()
{
    if (!BenchConnected())
        return false;
    if (m_session.ImrDev().Adr == 0) {
        Q_EMIT ImrLabelChanged(QStringLiteral("Прибор ИМР не найден"));
        return false;
    }
    BenchValues &v = m_session.Values();
    v.ImrState = v.ImrErrors = v.ImrLastCmd = -1;
    if (Await(Imr().ReadInputRegs(ReadImrStatus, 0, 1, dtUInt8, 3), m_session.Box().ResImrStatus) != 0) {
        v.ImrState = 255;
        const QString text = QStringLiteral("Не удалось считать состояние ИМР");
        Say(text);
        Q_EMIT ImrLabelChanged(text);
        return false;
    }
    Q_EMIT ImrLabelChanged(ImrStatusText(v.ImrState, v.ImrErrors, v.ImrLastCmd));
    return true;
}

bool ImrController::ImrToIdle()
{
    if (!ReadImrState())
        return false;
    int command = 0;
    switch (m_session.Values().ImrState) {
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
        if (m_session.Values().ImrState == 0)
            return true;
    }
    Say(QStringLiteral("ИМР не перешёл в состояние ИДЛЕ: ") + ImrStateText(m_session.Values().ImrState));
    return false;
}

bool ImrController::SetEmulBit(bool value)
{
    if (m_session.OldBench())
        return true;
    if (m_session.ImrDev().Adr == 0)
        return false;
    BenchMailboxes &box = m_session.Box();
    bool &bit = m_session.Values().EmulBit;
    const int read = Await(Imr().ReadHoldBins(ReadEmulBit, 0, 2, 1), box.ResEmulBit);
    if (read != 0) {
        Say(QStringLiteral("Никак не считать состояние бита:") + ResultText(read));
        return false;
    }
    ShowBit(bit);
    if (bit == value)
        return true;
    int result = 0;
    for (int attempt = 0; attempt < 10; ++attempt) {
        result = Await(Imr().WriteHoldBins(WriteEmulBit, 0, 2, TypedValue(value, dtBool)), box.ResEmulBit);
        if (result == 0)
            break;
        Status(ResultText(result));
    }
    if (result != 0) {
        Say(QStringLiteral("Не прошла запись битовой команды:") + ResultText(result));
        return false;
    }
    bit = value;
    ShowBit(value);
    return true;
}

int ImrController::WritePulseCount(int n)
{
    return Await(Imr().WriteHoldRegs(BenchQid::WritePulseCount, 0, 16386, TypedValue(n, dtUInt16)), m_session.Box().ResPulseCount);
}

bool ImrController::WriteImitLength(quint32 ms)
{
    const int result =
        Await(Imr().WriteHoldRegs(WriteImitTime, 0, 32772, TypedValue(ms, dtUInt32)), m_session.Box().ResImitTime);
    if (result == 0)
        return true;
    Say(QStringLiteral("Не удалось записать продолжительность имитации(") + ResultText(result) +
        QStringLiteral(")'"));
    return false;
}

void ImrController::RequestEmulBit()
{
    if (m_session.ImrDev().Adr != 0)
        (void)Imr().ReadHoldBins(ReadEmulBit, 0, 2, 1);
}

void ImrController::EmulBitRead(int result)
{
    if (result != 0)
        Status(QStringLiteral("Бит эмуляции: ошибка чтения"));
    else
        ShowBit(m_session.Values().EmulBit);
}

bool ImrController::CalibrateDelayLine()
{
    emit CalibratingChanged(true);
    const QScopeGuard ended([this] { emit CalibratingChanged(false); });
    if (CalibrationSteps())
        return true;
    // The step's "Производится калибровка" would stay after the run gave up.
    Status(QStringLiteral("Калибровка не выполнена"));
    return false;
}

bool ImrController::CalibrationSteps()
{
    m_told = false;
    Status(kCalibPrefix);
    if (m_session.ImrDev().Adr == 0)
        return false;
    BenchMailboxes &box = m_session.Box();
    const BenchValues &v = m_session.Values();
    const int conv =
        Await(Imr().WriteHoldRegs(WriteConvCount, 0, 16385, TypedValue(kCalibConversions, dtUInt16)), box.ResConvCount);
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
    if (v.ImrState != 0 || v.ImrErrors != 0 || v.ImrLastCmd != 8) {
        Say(QStringLiteral("Автомат сработал некорректно"));
        return false;
    }
    Status(kCalibPrefix + QStringLiteral("результаты..."));
    const int sums = Await(Imr().ReadInputRegs(ReadCalib, 0, 32772, dtUInt32, 10), box.ResCalib);
    if (sums != 0) {
        Say(QStringLiteral("Калибровка:Ошибка чтения результатов:") + QString::number(sums));
        return false;
    }
    Status(kCalibPrefix + QStringLiteral("частота кварца..."));
    if (Await(Imr().ReadHoldRegs(ReadFosc, 0, 32774, dtUInt32, 1), box.ResFosc) != 0) {
        Say(QStringLiteral("Калибровка:Ошибка чтения частоты кварца"));
        return false;
    }
    Status(kCalibPrefix + QStringLiteral("времена..."));
    if (Await(Imr().ReadHoldRegs(ReadTimes, 0, 49152, dtFloat32, 2), box.ResTimes) != 0) {
        Say(QStringLiteral("Калибровка:Ошибка чтения времен"));
        return false;
    }
    Status(kCalibPrefix + QStringLiteral("Ok..."));

    // The quartz frequency is an unsigned register value.
    const DelayLineInput in{quint32(v.Fosc), v.T0, v.T1};
    const DelayLineResult r = ComputeDelayLine(in, m_session.Values().CalibData, FineCorr);
    if (!r.valid) {
        Say(QStringLiteral("Калибровка:Недопустимый результат расчёта задержки (Fosc = ") +
            QString::number(in.Fosc) + QLatin1Char(')'));
        return false;
    }
    FineCorr = r.FineCorr;
    LastCalib = r;
    m_delayStep = r.DelayStep;
    Status(QStringLiteral("Калибровка выполнена : расчеты проведены = ") + FmtGeneral(r.DelayStep));
    return true;
}

bool ImrController::StartFlowImitation(int q)
{
    if (!CalibrateDelayLine() || !SetEmulBit(true))
        return false;
    m_verifyMode = false;
    if (!WriteImitLength(0))
        return false;
    m_imrMode = 1;
    if (!SetImitFlow(q, false)) {
        m_imrMode = 0;
        return false;
    }
    return true;
}

bool ImrController::SetImitFlow(int q, bool withTime)
{
    if (!ImrFound())
        return false;
    if (q == 0) {
        if (!WriteCommand(cmdStop)) {
            Say(QStringLiteral("Не удалось записать команду STOP"));
            return false;
        }
        m_session.Calc().SetQEtalon(0);
        Q_EMIT ImitFlowStopped();
        return true;
    }
    ImitFlowInput in;
    in.Q = q;
    in.verifyMode = m_verifyMode;
    in.pribType = m_session.PribType();
    in.autoCircCount = m_session.Values().AutoCircCount;
    in.delayStep = m_delayStep;
    const ImitFlowResult r = ComputeImitFlow(in);
    if (r.status != ImitFlowResult::Ok) {
        Say(ImitFlowRefusalText(r.status));
        return false;
    }
    // The length is checked before anything is written, so a refused run sends nothing.
    const int seconds = withTime ? ImitLengthSeconds(VolumeSet, r.ImitQ) : 0;
    if (seconds < 0) {
        Say(VolumeSet < 0 ? QStringLiteral("Объём не может быть отрицательным")
                          : QStringLiteral("Слишком большой объём: время накопления больше %1 с")
                                .arg(kMaxImitSeconds));
        return false;
    }
    BenchMailboxes &box = m_session.Box();
    const int written = WritePulseCount(r.v);
    if (written != 0) {
        Say(QStringLiteral("Не удалось записать количество задержанных импульсов (") + QString::number(r.v) +
            QStringLiteral(") ") + ResultText(written));
        return false;
    }
    Status(QStringLiteral("Записано ") + QString::number(r.v) + QStringLiteral(" импульсов"));
    m_imitQ = r.ImitQ;

    if (withTime) {
        TickCount = 0;
        ImitSeconds = seconds;
        Q_EMIT ImitLengthSet(seconds);
        const int timeResult = Await(
            Imr().WriteHoldRegs(WriteImitTime, 0, 32772, TypedValue(qint64(seconds) * 1000, dtUInt32)),
            box.ResImitTime);
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
    m_session.Calc().SetQEtalon(m_imitQ);
    Q_EMIT ImitFlowStarted(m_imitQ);
    return true;
}

bool ImrController::CountAutoCirculations()
{
    m_told = false;
    if (!BenchConnected() || m_session.ImrDev().Adr == 0)
        return false;
    Q_EMIT AutoCircTextChanged(QStringLiteral("???"));
    if (!ImrToIdle()) {
        if (!m_told)
            Say(QStringLiteral("Ошибка : попробуйте еще раз"));
        return false;
    }
    if (!WriteCommand(cmdCountAutoCirc)) {
        Say(QStringLiteral("Не удалось записать команду подсчёта автоциркуляций: ") +
            ResultText(m_session.Box().ResImrCmd));
        return false;
    }
    const BenchValues &v = m_session.Values();
    for (int i = 0; i < kIdleReads; ++i) {
        if (!ReadStateOrTell())
            return false;
        if (v.ImrState != 4 || v.ImrLastCmd != 10 || v.ImrErrors != 0)
            break;
    }
    if (v.ImrState != 0 || v.ImrErrors != 0 || v.ImrLastCmd != 11) {
        Say(QStringLiteral("Не удалось подсчитать число автоциркуляций"));
        return false;
    }
    if (Await(Imr().ReadInputRegs(ReadAutoCirc, 0, 16384, dtUInt16, 1), m_session.Box().ResAutoCirc) != 0) {
        Say(QStringLiteral("Не удалось считать из прибора число автоциркуляций"));
        return false;
    }
    // This class counts one circulation more than it shows.
    const int shown = m_session.PribType() == 6 ? v.AutoCircCount - 1 : v.AutoCircCount;
    Q_EMIT AutoCircTextChanged(QString::number(shown));
    return true;
}

bool ImrController::ResetAllModes()
{
    m_session.FreeAllBenchTasks();
    Q_EMIT AllTasksFreed();
    Status(QStringLiteral("Приводим в состояние ИДЛЕ"));
    if (ImrToIdle()) {
        Q_EMIT ModesReset();
        return true;
    }
    Say(QStringLiteral("Ошибка : попробуйте еще раз"));
    return false;
}
