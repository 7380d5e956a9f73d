#include "win1251.h"

QByteArray ToWindows1251(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80)
            out.append(char(u));
        else if (u >= 0x0410 && u <= 0x044F) // А..я
            out.append(char(0xC0 + (u - 0x0410)));
        else if (u == 0x0401) // Ё
            out.append(char(0xA8));
        else if (u == 0x0451) // ё
            out.append(char(0xB8));
        else if (u == 0x2116) // №
            out.append(char(0xB9));
        else
            out.append('?');
    }
    return out;
}
