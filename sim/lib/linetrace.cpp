#include "linetrace.h"

#include <QTime>

void LineTrace::Line(const QString &what, const QByteArray &bytes)
{
    QString text = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")) + QLatin1Char(' ') + line_ +
                   QLatin1Char(' ') + what;
    if (!bytes.isEmpty())
        text += QLatin1Char(' ') + QString::fromLatin1(bytes.toHex(' ').toUpper());
    text += QLatin1Char('\n');
    std::fputs(text.toUtf8().constData(), out_);
    // Each line at once: the trace is read while the bench runs.
    std::fflush(out_);
}

void LineTrace::Request(const QByteArray &frame)
{
    Line(QStringLiteral("запрос"), frame);
}

void LineTrace::Reply(const QByteArray &frame, bool corrupt)
{
    Line(corrupt ? QStringLiteral("ответ (испорчен)") : QStringLiteral("ответ"), frame);
}

void LineTrace::Silent(quint8 unit)
{
    Line(QStringLiteral("нет ответа: адрес %1").arg(unit));
}

void LineTrace::Discarded(const QByteArray &bytes)
{
    Line(QStringLiteral("отброшено"), bytes);
}
