#pragma once

#include "faultplan.h"
#include "simdevice.h"

#include <QString>

// A bench module: the link registers every module has (address, speed code, RTS
// delay) and its identification text.
class BenchModule : public RegisterDevice
{
public:
    BenchModule(int address, const QString &identification);
    int Address() const override { return Get(Space::Holding, 0); }
    QByteArray Identification() const override { return identification_; }
    int SpeedCode() const { return Get(Space::Holding, 1); }
    int RtsDelay() const { return Get(Space::Holding, 2); }
    // The faults aimed at this module; the plan must outlive the module.
    void SetFaults(const FaultPlan *faults) { faults_ = faults; }

protected:
    const FaultPlan *faults_ = nullptr;

    // Derived modules call these from their own hooks first.
    quint8 CheckWrite(Space space, int address, const QList<quint16> &values) override;
    void AfterWrite(Space space, int address, int count) override;
    // Each value of [address, address + count) within [lo, hi]?
    static bool InRange(int first, const QList<quint16> &values, int address, int count, int lo, int hi);

private:
    int factoryAddress_;
    QByteArray identification_;
};
