#pragma once

#include "benchmodule.h"

#include <array>

class Flowmeter;

// The pulse counter: channel n counts the flowmeter's pulse output n - 1 while its
// input mode suits that output. A passive input (coil 1) counts an output that
// drives its own voltage; an active input (coil 0) powers an open-collector output.
class UsiModule : public BenchModule
{
public:
    explicit UsiModule(int address);
    void SetFlowmeter(const Flowmeter *flowmeter) { flowmeter_ = flowmeter; }
    quint32 Count(int channel) const;
    // Takes the pulses emitted since the last look into the counts.
    void Update();

protected:
    void BeforeRead(Space space, int address, int count) override;
    quint8 CheckWrite(Space space, int address, const QList<quint16> &values) override;
    void AfterWrite(Space space, int address, int count) override;

private:
    quint32 Emitted(int channel) const;
    bool Counts(int channel) const;

    const Flowmeter *flowmeter_ = nullptr;
    std::array<quint32, 4> counts_{};
    std::array<quint32, 4> seen_{};
};
