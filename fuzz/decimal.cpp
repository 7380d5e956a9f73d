// ParseDecimal: any text an operator could type or paste into a decimal field.
#include "fuzzcheck.h"
#include "link/conventions.h"

#include <QLocale>

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QLocale ru(QLocale::Russian), c = QLocale::c();
    bool okRu = false, okC = false;
    const double vRu = ParseDecimal(text, &okRu, ru);
    const double vC = ParseDecimal(text, &okC, c);
    FUZZ_CHECK(okRu ? std::isfinite(vRu) : vRu == 0.0);
    FUZZ_CHECK(okC ? std::isfinite(vC) : vC == 0.0);
    // Plain decimals with one separator mean the same whichever separator the
    // operator typed and whichever the system uses.
    bool plain = !text.isEmpty() && text.size() < 40;
    int separators = 0;
    for (const QChar ch : text) {
        if (ch == QChar('.') || ch == QChar(','))
            ++separators;
        else if (!(ch >= QChar('0') && ch <= QChar('9')) && ch != QChar('-'))
            plain = false;
    }
    if (plain && separators <= 1) {
        FUZZ_CHECK(okRu == okC);
        FUZZ_CHECK(!okRu || vRu == vC);
    }
    return 0;
}
