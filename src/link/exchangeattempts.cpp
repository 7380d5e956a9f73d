#include "link/exchangeattempts.h"

#include <algorithm>

namespace
{
constexpr int kTimeout = 1;
constexpr int kCrc = 2;

QString Hex16(const QByteArray &two)
{
    return ExchangeRecord::Hex(two);
}

// Why the client dropped this reply to that request; empty when it took it.
QString Verdict(const QByteArray &request, const LineFrame &reply, int *result)
{
    const QByteArray &b = reply.bytes;
    if (reply.tcp) {
        if (request.size() >= 2 && b.left(2) != request.left(2))
            return QStringLiteral("номер транзакции %1, а у запроса %2").arg(Hex16(b.left(2)), Hex16(request.left(2)));
        return {};
    }
    if (b.size() < 4)
        return QStringLiteral("неполный кадр");
    const QByteArray crc = ModbusRtuCrc(b.chopped(2));
    if (b.right(2) != crc) {
        *result = kCrc;
        return QStringLiteral("CRC в кадре %1, расчётная %2").arg(Hex16(b.right(2)), Hex16(crc));
    }
    if (request.size() >= 2 && (b.at(0) != request.at(0) || (quint8(b.at(1)) & 0x7F) != quint8(request.at(1))))
        return QStringLiteral("ответ не на этот запрос");
    return {};
}
} // namespace

QList<ExchangeRecord> SplitAttempts(ExchangeRecord execution, QList<LineFrame> frames, qint64 endNs)
{
    if (frames.isEmpty())
        return {std::move(execution)};
    std::stable_sort(frames.begin(), frames.end(),
                     [](const LineFrame &a, const LineFrame &b) { return a.seq < b.seq; });
    ExchangeRecord base = execution;
    base.request.clear();
    base.reply.clear();
    base.result = kTimeout;
    base.durationUs = 0;

    QList<ExchangeRecord> rows;
    QList<qint64> sentNs; // of each row's request, or of its reply for a row without one
    int attempt = 0;
    bool replied = true; // the last row has its reply (or there is no row yet)
    for (const LineFrame &f : std::as_const(frames)) {
        if (f.sent) {
            ExchangeRecord r = base;
            r.attempt = ++attempt;
            r.startMs = f.wallMs;
            r.requestWire = f.bytes;
            r.request = LineCapture::Adu(f);
            rows.append(r);
            sentNs.append(f.clockNs);
            replied = false;
            continue;
        }
        if (replied) { // a second reply to one request, or one to none
            ExchangeRecord r = base;
            r.attempt = qMax(1, attempt);
            r.startMs = f.wallMs;
            rows.append(r);
            sentNs.append(f.clockNs);
        }
        ExchangeRecord &r = rows.last();
        replied = true;
        r.replyWire = f.bytes;
        if (r.Sent())
            r.durationUs = (f.clockNs - sentNs.last()) / 1000;
        int result = kTimeout;
        r.note = Verdict(r.requestWire, f, &result);
        if (r.note.isEmpty()) {
            r.reply = LineCapture::Adu(f);
            r.result = 0;
        } else {
            r.result = result;
        }
    }
    // A try without a reply lasted until the next one.
    for (qsizetype i = 0; i < rows.size(); ++i) {
        ExchangeRecord &r = rows[i];
        if (r.Sent() && !r.ReplyCaptured())
            r.durationUs = ((i + 1 < rows.size() ? sentNs.at(i + 1) : endNs) - sentNs.at(i)) / 1000;
    }
    ExchangeRecord &last = rows.last();
    last.result = execution.result;
    // A reply the client took and the capture missed is shown rebuilt.
    if (last.reply.isEmpty() && !last.ReplyCaptured() && execution.Answered())
        last.reply = execution.reply;
    return rows;
}
