#include "link/linecapture.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <QMutex>

#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>

namespace
{
constexpr char kCategory[] = "qt.modbus.lowlevel";
// Frames nobody took (a client of someone else's, a write that never went out) are
// dropped after a while, so the queue stays short.
constexpr size_t kKept = 64;
constexpr qint64 kStaleNs = 10'000'000'000;

struct State {
    QMutex mutex;
    std::atomic<int> holders{0};
    std::atomic<bool> print{false}; // the category prints without us
    bool installed = false;
    QtMessageHandler previousHandler = nullptr;
    QLoggingCategory::CategoryFilter previousFilter = nullptr;
    quint64 seq = 0;
    std::deque<LineFrame> sent;
    std::deque<LineFrame> received;
};

// Never destroyed: Qt may still log while the program's statics go.
State &S()
{
    static State *s = new State;
    return *s;
}

void Filter(QLoggingCategory *category)
{
    State &s = S();
    if (s.previousFilter)
        s.previousFilter(category);
    if (std::strcmp(category->categoryName(), kCategory) != 0)
        return;
    s.print = category->isDebugEnabled();
    if (s.holders > 0)
        category->setEnabled(QtDebugMsg, true);
}

void Keep(std::deque<LineFrame> &queue, LineFrame frame)
{
    queue.push_back(std::move(frame));
    while (queue.size() > kKept || queue.front().clockNs < queue.back().clockNs - kStaleNs)
        queue.pop_front();
}

// Qt may log from any thread.
void Handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    State &s = S();
    if (s.holders > 0 && context.category && std::strcmp(context.category, kCategory) == 0) {
        const QList<LineFrame> frames = LineCapture::Parse(message);
        if (!frames.isEmpty()) {
            const qint64 wall = QDateTime::currentMSecsSinceEpoch();
            const qint64 clock = LineCapture::ClockNs();
            QMutexLocker lock(&s.mutex);
            ++s.seq;
            for (LineFrame f : frames) {
                f.wallMs = wall;
                f.clockNs = clock;
                f.seq = s.seq;
                Keep(f.sent ? s.sent : s.received, std::move(f));
            }
        }
        if (!s.print)
            return;
    }
    if (s.previousHandler)
        s.previousHandler(type, context, message);
}

QByteArray HexAfter(const QString &message, qsizetype colon)
{
    QString hex = message.mid(colon + 1).trimmed();
    hex.remove(QLatin1Char('"'));
    if (hex.startsWith(QLatin1String("0x")))
        hex.remove(0, 2);
    return QByteArray::fromHex(hex.toLatin1());
}

// The frames Qt's TCP reader takes out of its buffer: every whole one from the start.
QList<QByteArray> TcpFrames(QByteArray buffer)
{
    QList<QByteArray> out;
    while (buffer.size() >= 7) {
        const int length = quint8(buffer.at(4)) << 8 | quint8(buffer.at(5));
        if (length < 1 || buffer.size() < 6 + length)
            break;
        out.append(buffer.left(6 + length));
        buffer.remove(0, 6 + length);
    }
    return out;
}

} // namespace

LineCapture::Hold::Hold()
{
    State &s = S();
    QMutexLocker lock(&s.mutex);
    ++s.holders;
    if (!s.installed) {
        s.installed = true;
        s.previousHandler = qInstallMessageHandler(Handler);
        lock.unlock();
        s.previousFilter = QLoggingCategory::installFilter(Filter);
    } else if (s.holders == 1) {
        lock.unlock();
        QLoggingCategory::installFilter(Filter); // applies it again
    }
}

LineCapture::Hold::~Hold()
{
    State &s = S();
    if (--s.holders > 0)
        return;
    // The handler stays and passes everything on; the category gets its own setting back.
    QLoggingCategory::installFilter(Filter);
    QMutexLocker lock(&s.mutex);
    s.sent.clear();
    s.received.clear();
}

bool LineCapture::Active()
{
    return S().holders > 0;
}

qint64 LineCapture::ClockNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QList<LineFrame> LineCapture::TakeSent(bool tcp, const QByteArray &adu)
{
    State &s = S();
    QList<LineFrame> out;
    QMutexLocker lock(&s.mutex);
    for (auto i = s.sent.begin(); i != s.sent.end();) {
        if (i->tcp == tcp && Adu(*i) == adu) {
            out.append(std::move(*i));
            i = s.sent.erase(i);
        } else {
            ++i;
        }
    }
    return out;
}

QList<LineFrame> LineCapture::TakeReceived(bool tcp)
{
    State &s = S();
    QList<LineFrame> out;
    QMutexLocker lock(&s.mutex);
    if (s.received.empty())
        return out;
    const quint64 last = s.received.back().seq;
    for (LineFrame &f : s.received)
        if (f.seq == last && f.tcp == tcp)
            out.append(std::move(f));
    s.received.clear();
    return out;
}

QList<LineFrame> LineCapture::Parse(const QString &message)
{
    struct Form {
        const char *text;
        bool sent;
    };
    static const Form forms[] = {{"(TCP client) Sent TCP ADU:", true}, {"(TCP client) Response buffer:", false}};
    for (const Form &form : forms) {
        const QLatin1String text(form.text);
        if (!message.startsWith(text))
            continue;
        const QByteArray bytes = HexAfter(message, text.size() - 1);
        QList<QByteArray> cut;
        if (form.sent)
            cut = {bytes};
        else
            cut = TcpFrames(bytes);
        QList<LineFrame> out;
        for (const QByteArray &b : cut)
            if (!b.isEmpty())
                out.append(LineFrame{form.sent, true, b, 0, 0, 0});
        return out;
    }
    return {};
}

QByteArray LineCapture::Adu(const LineFrame &frame)
{
    if (frame.tcp)
        return frame.bytes.mid(6);
    return frame.bytes.size() > 2 ? frame.bytes.chopped(2) : QByteArray();
}
