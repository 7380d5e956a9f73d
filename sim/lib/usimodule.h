#pragma once

#include "benchmodule.h"

#include <array>

class Flowmeter;

// The pulse counter: channel 1 counts the flowmeter's pulse output.
class UsiModule : public BenchModule
{
public:
    explicit UsiModule(int address);
    void SetFlowmeter(const Flowmeter *flowmeter) { flowmeter_ = flowmeter; }
    quint32 Count(int channel) const;

protected:
    void BeforeRead(Space space, int address, int count) override;
    quint8 CheckWrite(Space space, int address, const QList<quint16> &values) override;
    void AfterWrite(Space space, int address, int count) override;

private:
    quint32 Emitted(int channel) const;

    const Flowmeter *flowmeter_ = nullptr;
    std::array<quint32, 4> base_{};
};
