#include "simdevice.h"

#include <cstring>

quint8 RegisterDevice::Read(Space space, int address, int count, QList<quint16> *out)
{
    for (int a = address; a < address + count; ++a)
        if (!Defined(space, a))
            return exIllegalAddress;
    BeforeRead(space, address, count);
    out->clear();
    for (int a = address; a < address + count; ++a)
        out->append(Get(space, a));
    return exOk;
}

quint8 RegisterDevice::Write(Space space, int address, const QList<quint16> &values)
{
    auto &cells = cells_[int(space)];
    for (int i = 0; i < values.size(); ++i) {
        auto it = cells.find(address + i);
        if (it == cells.end() || !it->second.writable)
            return exIllegalAddress;
    }
    if (quint8 ex = CheckWrite(space, address, values))
        return ex;
    for (int i = 0; i < values.size(); ++i)
        cells[address + i].value = values[i];
    AfterWrite(space, address, int(values.size()));
    return exOk;
}

void RegisterDevice::Define(Space space, int address, int count, bool writable, quint16 init)
{
    for (int a = address; a < address + count; ++a)
        cells_[int(space)][a] = Cell{init, writable};
}

bool RegisterDevice::Defined(Space space, int address) const
{
    return cells_[int(space)].count(address) != 0;
}

quint16 RegisterDevice::Get(Space space, int address) const
{
    const auto &cells = cells_[int(space)];
    auto it = cells.find(address);
    return it == cells.end() ? 0 : it->second.value;
}

void RegisterDevice::Set(Space space, int address, quint16 value)
{
    auto &cells = cells_[int(space)];
    auto it = cells.find(address);
    if (it != cells.end())
        it->second.value = value;
}

quint32 RegisterDevice::Get32(Space space, int address) const
{
    return (quint32(Get(space, address)) << 16) | Get(space, address + 1);
}

void RegisterDevice::Set32(Space space, int address, quint32 value)
{
    Set(space, address, quint16(value >> 16));
    Set(space, address + 1, quint16(value & 0xFFFF));
}

float RegisterDevice::GetFloat(Space space, int address) const
{
    const quint32 bits = Get32(space, address);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void RegisterDevice::SetFloat(Space space, int address, float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    Set32(space, address, bits);
}
