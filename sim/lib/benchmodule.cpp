#include "benchmodule.h"

#include "win1251.h"

BenchModule::BenchModule(int address, const QString &identification)
    : factoryAddress_(address), identification_(ToWindows1251(identification))
{
    Define(Space::Holding, 0, 1, true, quint16(address));
    Define(Space::Holding, 1, 1, true, 3); // 9600 baud
    Define(Space::Holding, 2, 1, true, 0);
}

bool BenchModule::InRange(int first, const QList<quint16> &values, int address, int count, int lo, int hi)
{
    for (int i = 0; i < values.size(); ++i) {
        const int a = first + i;
        if (a >= address && a < address + count && (values[i] < lo || values[i] > hi))
            return false;
    }
    return true;
}

quint8 BenchModule::CheckWrite(Space space, int address, const QList<quint16> &values)
{
    if (space != Space::Holding)
        return exOk;
    if (faults_)
        if (const int code = faults_->Refusal(Address(), address, values))
            return quint8(code);
    if (!InRange(address, values, 0, 1, 0, 247) || !InRange(address, values, 1, 1, 0, 4) ||
        !InRange(address, values, 2, 1, 0, 255))
        return exIllegalValue;
    return exOk;
}

void BenchModule::AfterWrite(Space space, int address, int count)
{
    // Address 0 cannot be a slave's: the module goes back to its factory address.
    if (space == Space::Holding && address <= 0 && address + count > 0 && Get(Space::Holding, 0) == 0)
        Set(Space::Holding, 0, quint16(factoryAddress_));
}
