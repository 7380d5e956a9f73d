#include "imrmodule.h"

#include "delayline.h"
#include "flowmeter.h"
#include "simclock.h"

#include <algorithm>
#include <limits>

namespace
{
constexpr int kSums = 32772;
constexpr double kNever = std::numeric_limits<double>::infinity();
} // namespace

ImrModule::ImrModule(int address, double delayNs, const SimClock &clock, Noise &noise)
    : BenchModule(address, "ЦТМ-ИМР ТЕВОР ЦТМ ИМР 31.02.04.00"), clock_(clock), noise_(noise),
      delayNs_(delayNs)
{
    Define(Space::Input, 0, 7, false);
    Define(Space::Input, 16384, 1, false);
    Define(Space::Input, 32770, 2, false);
    Define(Space::Input, kSums, 20, false);
    Define(Space::Holding, 3, 1, true);
    Define(Space::Holding, 16385, 1, true, 10);
    Define(Space::Holding, 16386, 1, true);
    Define(Space::Holding, 32772, 2, true);
    Define(Space::Holding, 32774, 2, true);
    Set32(Space::Holding, 32774, 2000000000u); // 20 MHz
    Define(Space::Holding, 49152, 4, true);
    SetFloat(Space::Holding, 49152, 10.0f);
    SetFloat(Space::Holding, 49154, 35.5f);
    Define(Space::Coil, 1, 2, true);
}

quint32 ImrModule::ImitationMs(double nowMs) const
{
    if (!clockRunning_)
        return clockHeld_;
    const quint32 length = Get32(Space::Holding, 32772);
    const double elapsed = std::max(0.0, nowMs - clockStart_);
    return length ? std::min(length, quint32(elapsed)) : quint32(elapsed);
}

double ImrModule::NextEventMs() const
{
    double next = (state_ == Entering || state_ == Leaving || state_ == Counting) ? transientEnd_ : kNever;
    const quint32 length = Get32(Space::Holding, 32772);
    if (clockRunning_ && length)
        next = std::min(next, clockStart_ + length);
    return next;
}

void ImrModule::Step(double nowMs)
{
    for (;;) {
        const double next = NextEventMs();
        if (next > nowMs)
            return;
        if (clockRunning_) {
            // The written length has passed: the module leaves the imitation itself,
            // its clock holding exactly that length (the sum of doubles may fall short).
            StopClock(next);
            clockHeld_ = Get32(Space::Holding, 32772);
            StartTransient(Leaving, 4, Idle, 5, next);
        } else {
            EndTransient(next);
        }
    }
}

void ImrModule::StartTransient(int state, int runningCode, int thenState, int thenCode, double nowMs)
{
    state_ = state;
    last_ = runningCode;
    thenState_ = thenState;
    thenCode_ = thenCode;
    transientEnd_ = nowMs + kTransientMs;
    transientReads_ = 0;
}

void ImrModule::EndTransient(double nowMs)
{
    if (state_ == Counting)
        Set(Space::Input, 16384, quint16(flowmeter_ ? flowmeter_->CountedCirculations() : 0));
    if (state_ == Entering && Get(Space::Coil, 2) && flowmeter_ && !flowmeter_->SendsText()) {
        // Towards a flowmeter whose TEXT never comes: the entry times out.
        state_ = Idle;
        error_ = 1;
        last_ = 3;
        return;
    }
    state_ = thenState_;
    last_ = thenCode_;
    if (state_ == Imitating) {
        clockRunning_ = true;
        clockStart_ = nowMs;
        clockHeld_ = 0;
    }
}

void ImrModule::StopClock(double nowMs)
{
    clockHeld_ = ImitationMs(nowMs);
    clockRunning_ = false;
}

void ImrModule::BeforeRead(Space space, int address, int count)
{
    if (space != Space::Input)
        return;
    const double now = clock_.NowMs();
    Step(now);
    const bool status = address <= 1 && address + count > 1;
    if (status && (state_ == Entering || state_ == Leaving || state_ == Counting)) {
        if (transientReads_ >= kTransientReads)
            EndTransient(now);
        else
            ++transientReads_;
    }
    if (state_ == TuningDa1)
        sar_ = quint8(0x80 + noise_.Step());
    Set(Space::Input, 1, quint16(state_));
    Set(Space::Input, 2, quint16(error_));
    Set(Space::Input, 3, quint16(last_));
    Set(Space::Input, 6, sar_);
    Set32(Space::Input, 32770, ImitationMs(now));
}

quint8 ImrModule::CheckWrite(Space space, int address, const QList<quint16> &values)
{
    if (quint8 ex = BenchModule::CheckWrite(space, address, values))
        return ex;
    if (space == Space::Holding && !InRange(address, values, 3, 1, 0, 15))
        return exIllegalValue;
    return exOk;
}

void ImrModule::AfterWrite(Space space, int address, int count)
{
    BenchModule::AfterWrite(space, address, count);
    if (space == Space::Holding && address <= 3 && address + count > 3)
        Command(Get(Space::Holding, 3), clock_.NowMs());
}

void ImrModule::Refuse(int errorCode)
{
    if (errorCode)
        last_ = errorCode;
}

void ImrModule::Command(int code, double now)
{
    Step(now);
    if (code == 0)
        return;
    error_ = 0;
    const bool idle = state_ == Idle;
    const bool checking = idle || state_ == CheckingLine || state_ == CheckingPulses;
    switch (code) {
    case 1:
        if (idle) {
            clockRunning_ = false;
            clockHeld_ = 0;
            StartTransient(Entering, 1, Imitating, 2, now);
        } else if (state_ == Imitating) {
            last_ = 2; // a new count while imitating takes effect at once
        } else if (state_ != Entering) {
            Refuse(3);
        }
        break;
    case 2:
        if (state_ == Entering || state_ == Imitating) {
            StopClock(now);
            StartTransient(Leaving, 4, Idle, 5, now);
        } else if (idle) {
            last_ = 5;
        } else if (state_ != Leaving) {
            Refuse(6);
        }
        break;
    case 3:
        if (idle)
            Calibrate();
        else
            Refuse(9);
        break;
    case 4:
        if (idle)
            StartTransient(Counting, 10, Idle, 11, now);
        else
            Refuse(12);
        break;
    case 5:
    case 6:
    case 7:
        if (idle) {
            state_ = TuningDa2;
            last_ = 13 + (code - 5);
        }
        break;
    case 8:
        if (idle) {
            state_ = TuningDa1;
            last_ = 16;
        } else {
            Refuse(17);
        }
        break;
    case 9:
        if (state_ == TuningDa1 || state_ == TuningDa2)
            state_ = Idle;
        last_ = 18;
        break;
    case 10:
        last_ = idle ? 19 : 20;
        break;
    case 11:
        if (checking) {
            state_ = CheckingPulses;
            last_ = 21;
        }
        break;
    case 12:
        if (state_ == CheckingPulses)
            state_ = Idle;
        last_ = 22;
        break;
    case 13:
    case 14:
        if (checking) {
            state_ = CheckingLine;
            last_ = 23 + (code - 13);
        }
        break;
    case 15:
        if (state_ == CheckingLine)
            state_ = Idle;
        last_ = 25;
        break;
    default:
        break;
    }
    if (const FaultPlan::CommandOutcome *forced = faults_ ? faults_->Outcome(Address(), code) : nullptr) {
        if (forced->state >= 0)
            state_ = forced->state;
        if (forced->error >= 0)
            error_ = forced->error;
        if (forced->last >= 0)
            last_ = forced->last;
    }
}

void ImrModule::Calibrate()
{
    CalibrationSums sums{};
    const bool ok =
        MakeCalibrationSums(delayNs_, Get32(Space::Holding, 32774), GetFloat(Space::Holding, 49152),
                            GetFloat(Space::Holding, 49154), Get(Space::Holding, 16385), noise_, &sums);
    if (!ok) {
        error_ = 2; // no end of conversion
        last_ = 9;
        return;
    }
    for (int i = 0; i < 10; ++i)
        Set32(Space::Input, kSums + 2 * i, sums[size_t(i)]);
    last_ = 8;
}
