#pragma once

#include <QByteArray>

class SimDevice;

// Executes one request PDU (function code and data) on a device and returns the
// reply PDU, an exception reply for a refused request.
QByteArray ServePdu(SimDevice &device, const QByteArray &pdu);
// Whether a broadcast of this function is executed (writes only; never answered).
bool IsBroadcastable(quint8 function);
QByteArray ExceptionPdu(quint8 function, quint8 code);

// CRC-16/MODBUS, transmitted low byte first.
quint16 ModbusCrc(const QByteArray &data);
QByteArray WithCrc(const QByteArray &frame);
