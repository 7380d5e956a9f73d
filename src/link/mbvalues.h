#pragma once

#include <QList>
#include <QVariant>
#include <QtGlobal>

// Register images of typed values, shared by the client and the simulated bench.
// 16-bit registers as Modbus defines them; a 32-bit value (types 3, 4, 19) takes two
// registers, high word first; a 64-bit float four registers, high word first; byte
// types and Booleans one register each (bytes sign- or zero-extended to 16 bits on
// write, the low byte taken on read).
namespace MbValues
{

enum class Error {
    None,
    UnknownType, // a type code or a value metatype without a register image
    TooShort,    // fewer registers than the values asked for need
};

// Registers one value of the type takes; 0 for a code without a register image.
int RegistersPerValue(int typeCode);

// Registers of a typed value (TypeCodeOf) or of a QVariantList of them, in order.
// A value whose metatype has no register image gives UnknownType and no registers.
QList<quint16> Encode(const QVariant &value, Error *error = nullptr);
// Registers of one value of the given type code (the value is converted first).
QList<quint16> EncodeAs(const QVariant &value, int typeCode, Error *error = nullptr);

// `count` values of the type read from the registers: one value for a count of 1,
// else a QVariantList; values carry the type's metatype. Invalid on error.
QVariant Decode(const QList<quint16> &registers, int typeCode, int count, Error *error = nullptr);

// Coil states of a Boolean, a number (non-zero is on) or a list of them.
QList<bool> EncodeBits(const QVariant &value, Error *error = nullptr);
// `count` coil states as bool: one value for a count of 1, else a QVariantList.
QVariant DecodeBits(const QList<bool> &bits, int count, Error *error = nullptr);

} // namespace MbValues
