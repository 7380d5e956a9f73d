#include "link/imbcommaster.h"

#include <QtGlobal>

#include <climits>

namespace
{
// Slack for the event loop and the inter-frame silences of the line.
constexpr qint64 kMarginMs = 1000;
// The longest Modbus RTU frame, and the bits of one character on a line with
// parity or two stop bits.
constexpr qint64 kLongestFrame = 256;
constexpr qint64 kBitsPerChar = 11;
} // namespace

int IMBComMaster::ExecutionBoundFor(int answerDelay, int retries, int baud, bool serial)
{
    const qint64 frameMs = serial && baud > 0 ? (kLongestFrame * kBitsPerChar * 1000 + baud - 1) / baud : 0;
    const qint64 perTry = qint64(qMax(0, answerDelay)) + 2 * frameMs;
    const qint64 bound = qint64(qMax(0, retries) + 1) * perTry + kMarginMs;
    return int(qMin<qint64>(bound, INT_MAX / 4));
}

int IMBComMaster::ExecutionBoundMs() const
{
    return ExecutionBoundFor(AnswerDelay(), Retries(), ComSpeed(),
                             !ComPort().trimmed().startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive));
}

void IMBComMaster::EmitExchange(quint64 tag, int qid, int mbAddr, int funNumber, const QVariant &value,
                                int result)
{
    // Handlers nest (a handler may wait for its next task): restore the outer tag.
    const quint64 outer = m_exchangeTag;
    m_exchangeTag = tag;
    emit OnExchange(qid, mbAddr, funNumber, value, result);
    m_exchangeTag = outer;
}
