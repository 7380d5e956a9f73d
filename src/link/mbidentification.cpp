#include "link/mbidentification.h"

#include "link/inifile.h"

#include <QStringDecoder>

namespace
{

bool IsRunIndicator(char c)
{
    return quint8(c) == 0x00 || quint8(c) == 0xFF;
}

QString DecodeText(QByteArray bytes)
{
    while (!bytes.isEmpty() && bytes.back() == '\0')
        bytes.chop(1);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1251(bytes);
}

} // namespace

QString MbIdentificationText(const QByteArray &payload, bool *ok)
{
    if (ok)
        *ok = false;
    if (payload.isEmpty())
        return {};
    const int count = quint8(payload.at(0));
    const QByteArray data = payload.mid(1, count);
    if (data.size() < count || count < 1)
        return {};
    if (ok)
        *ok = true;
    if (data.size() >= 2 && IsRunIndicator(data.at(1)))
        return DecodeText(data.mid(2));
    if (IsRunIndicator(data.back()))
        return DecodeText(data.left(data.size() - 1));
    return DecodeText(data);
}
