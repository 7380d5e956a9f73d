// The identification decoder: any payload of a "report server ID" reply.
#include "fuzzcheck.h"
#include "link/mbidentification.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray payload(reinterpret_cast<const char *>(data), qsizetype(size));
    bool ok = true;
    const QString text = MbIdentificationText(payload, &ok);
    // The text never holds more characters than the payload has bytes after the count.
    FUZZ_CHECK(text.size() <= qMax<qsizetype>(0, payload.size() - 1));
    FUZZ_CHECK(ok || text.isEmpty());
    if (!payload.isEmpty())
        FUZZ_CHECK(ok == (quint8(payload[0]) >= 1 && payload.size() - 1 >= quint8(payload[0])));
    return 0;
}
