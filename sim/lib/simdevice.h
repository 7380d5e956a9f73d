#pragma once

#include <QByteArray>
#include <QList>
#include <map>

// Modbus data spaces a simulated device serves.
enum class Space { Coil = 0, Input = 1, Holding = 2 };

// Modbus exception codes as the devices answer them.
enum ModbusException : quint8 {
    exOk = 0,
    exIllegalFunction = 1,
    exIllegalAddress = 2,
    exIllegalValue = 3,
    exDeviceFailure = 4,
};

// One slave on a line. Values of coils are 0 or 1.
class SimDevice
{
public:
    virtual ~SimDevice() = default;
    virtual int Address() const = 0;
    // Identification text as the device sends it (already encoded).
    virtual QByteArray Identification() const = 0;
    virtual quint8 Read(Space space, int address, int count, QList<quint16> *out) = 0;
    virtual quint8 Write(Space space, int address, const QList<quint16> &values) = 0;
};

// A device whose map is a set of declared cells; reading or writing an undeclared
// cell is refused as an illegal address, as the firmware does.
class RegisterDevice : public SimDevice
{
public:
    quint8 Read(Space space, int address, int count, QList<quint16> *out) override;
    quint8 Write(Space space, int address, const QList<quint16> &values) override;

protected:
    void Define(Space space, int address, int count, bool writable, quint16 init = 0);
    bool Defined(Space space, int address) const;

    quint16 Get(Space space, int address) const;
    void Set(Space space, int address, quint16 value);
    quint32 Get32(Space space, int address) const; // high word first
    void Set32(Space space, int address, quint32 value);
    float GetFloat(Space space, int address) const;
    void SetFloat(Space space, int address, float value);

    // Hooks: refresh live values before a read; veto a write (exception code);
    // react to a write that was stored.
    virtual void BeforeRead(Space, int, int) {}
    virtual quint8 CheckWrite(Space, int, const QList<quint16> &) { return exOk; }
    virtual void AfterWrite(Space, int, int) {}

private:
    struct Cell {
        quint16 value = 0;
        bool writable = false;
    };
    std::map<int, Cell> cells_[3];
};
