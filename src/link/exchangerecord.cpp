#include "link/exchangerecord.h"

QByteArray ModbusRtuCrc(const QByteArray &bytes)
{
    quint16 crc = 0xFFFF;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    QByteArray out(2, Qt::Uninitialized);
    out[0] = char(crc & 0xFF);
    out[1] = char(crc >> 8);
    return out;
}

QString ExchangeRecord::FrameHex(const QByteArray &adu) const
{
    if (adu.isEmpty())
        return {};
    if (framing == Framing::Rtu)
        return QString::fromLatin1((adu + ModbusRtuCrc(adu)).toHex(' ').toUpper());
    // Transaction identifier unknown, protocol 0, length of unit and PDU.
    const int length = int(adu.size());
    const QByteArray header{"\x00\x00", 2};
    QByteArray mbap = header;
    mbap.append(char(length >> 8));
    mbap.append(char(length & 0xFF));
    return QStringLiteral("?? ?? ") + QString::fromLatin1((mbap + adu).toHex(' ').toUpper());
}
