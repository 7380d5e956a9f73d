#include "modbuspdu.h"

#include "simdevice.h"

namespace
{

quint16 Word(const QByteArray &b, int at)
{
    return quint16((quint8(b[at]) << 8) | quint8(b[at + 1]));
}

void PutWord(QByteArray &b, quint16 v)
{
    b.append(char(v >> 8));
    b.append(char(v & 0xFF));
}

QByteArray ReadBits(SimDevice &dev, quint8 fn, const QByteArray &pdu)
{
    if (pdu.size() != 5)
        return ExceptionPdu(fn, exIllegalValue);
    const int addr = Word(pdu, 1), count = Word(pdu, 3);
    if (count < 1 || count > 2000)
        return ExceptionPdu(fn, exIllegalValue);
    QList<quint16> bits;
    if (quint8 ex = dev.Read(Space::Coil, addr, count, &bits))
        return ExceptionPdu(fn, ex);
    QByteArray data((count + 7) / 8, '\0');
    for (int i = 0; i < count; ++i)
        if (bits[i])
            data[i / 8] = char(quint8(data[i / 8]) | (1 << (i % 8)));
    QByteArray reply(1, char(fn));
    reply.append(char(data.size()));
    return reply + data;
}

QByteArray ReadRegisters(SimDevice &dev, quint8 fn, Space space, const QByteArray &pdu)
{
    if (pdu.size() != 5)
        return ExceptionPdu(fn, exIllegalValue);
    const int addr = Word(pdu, 1), count = Word(pdu, 3);
    if (count < 1 || count > 125)
        return ExceptionPdu(fn, exIllegalValue);
    QList<quint16> regs;
    if (quint8 ex = dev.Read(space, addr, count, &regs))
        return ExceptionPdu(fn, ex);
    QByteArray reply(1, char(fn));
    reply.append(char(count * 2));
    for (quint16 r : regs)
        PutWord(reply, r);
    return reply;
}

QByteArray WriteSingle(SimDevice &dev, quint8 fn, Space space, const QByteArray &pdu)
{
    if (pdu.size() != 5)
        return ExceptionPdu(fn, exIllegalValue);
    quint16 value = Word(pdu, 3);
    if (space == Space::Coil) {
        if (value != 0xFF00 && value != 0x0000)
            return ExceptionPdu(fn, exIllegalValue);
        value = value ? 1 : 0;
    }
    if (quint8 ex = dev.Write(space, Word(pdu, 1), {value}))
        return ExceptionPdu(fn, ex);
    return pdu;
}

QByteArray WriteMultiple(SimDevice &dev, quint8 fn, Space space, const QByteArray &pdu)
{
    if (pdu.size() < 6)
        return ExceptionPdu(fn, exIllegalValue);
    const int addr = Word(pdu, 1), count = Word(pdu, 3), bytes = quint8(pdu[5]);
    const bool coils = space == Space::Coil;
    const int expected = coils ? (count + 7) / 8 : count * 2;
    if (count < 1 || count > (coils ? 1968 : 123) || bytes != expected || pdu.size() != 6 + bytes)
        return ExceptionPdu(fn, exIllegalValue);
    QList<quint16> values;
    for (int i = 0; i < count; ++i)
        values.append(coils ? quint16((quint8(pdu[6 + i / 8]) >> (i % 8)) & 1) : Word(pdu, 6 + 2 * i));
    if (quint8 ex = dev.Write(space, addr, values))
        return ExceptionPdu(fn, ex);
    return pdu.left(5);
}

QByteArray ReportServerId(SimDevice &dev, const QByteArray &pdu)
{
    if (pdu.size() != 1)
        return ExceptionPdu(0x11, exIllegalValue);
    // Byte count, server ID, run indicator, then the text: the order of the standard.
    QByteArray body;
    body.append(char(dev.Address()));
    body.append(char(0xFF));
    body.append(dev.Identification().left(250));
    QByteArray reply(1, char(0x11));
    reply.append(char(body.size()));
    return reply + body;
}

} // namespace

QByteArray ExceptionPdu(quint8 function, quint8 code)
{
    QByteArray reply;
    reply.append(char(function | 0x80));
    reply.append(char(code));
    return reply;
}

bool IsBroadcastable(quint8 function)
{
    return function == 0x05 || function == 0x06 || function == 0x0F || function == 0x10;
}

QByteArray ServePdu(SimDevice &device, const QByteArray &pdu)
{
    if (pdu.isEmpty())
        return {};
    const quint8 fn = quint8(pdu[0]);
    switch (fn) {
    case 0x01:
        return ReadBits(device, fn, pdu);
    case 0x03:
        return ReadRegisters(device, fn, Space::Holding, pdu);
    case 0x04:
        return ReadRegisters(device, fn, Space::Input, pdu);
    case 0x05:
        return WriteSingle(device, fn, Space::Coil, pdu);
    case 0x06:
        return WriteSingle(device, fn, Space::Holding, pdu);
    case 0x0F:
        return WriteMultiple(device, fn, Space::Coil, pdu);
    case 0x10:
        return WriteMultiple(device, fn, Space::Holding, pdu);
    case 0x11:
        return ReportServerId(device, pdu);
    default:
        return ExceptionPdu(fn, exIllegalFunction);
    }
}

quint16 ModbusCrc(const QByteArray &data)
{
    quint16 crc = 0xFFFF;
    for (char c : data) {
        crc ^= quint8(c);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

QByteArray WithCrc(const QByteArray &frame)
{
    const quint16 crc = ModbusCrc(frame);
    QByteArray out = frame;
    out.append(char(crc & 0xFF));
    out.append(char(crc >> 8));
    return out;
}
