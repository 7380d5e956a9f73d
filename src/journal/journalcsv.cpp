#include "journal/journalcsv.h"

namespace JournalCsv
{

namespace
{
QString Time(const QDateTime &t)
{
    return t.isValid() ? t.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : QString();
}

QString Field(QString s)
{
    if (!s.contains(QLatin1Char(';')) && !s.contains(QLatin1Char('"')) && !s.contains(QLatin1Char('\n')) &&
        !s.contains(QLatin1Char('\r')))
        return s;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString Line(const QStringList &cells)
{
    QStringList out;
    for (const QString &c : cells)
        out << Field(c);
    return out.join(QLatin1Char(';')) + QStringLiteral("\r\n");
}
} // namespace

QStringList Columns()
{
    return {QStringLiteral("№"),          QStringLiteral("Заводской номер"), QStringLiteral("Модель"),
            QStringLiteral("Начало"),     QStringLiteral("Окончание"),       QStringLiteral("Исход"),
            QStringLiteral("Заключение"), QStringLiteral("Поверитель"),      QStringLiteral("Стенд")};
}

QStringList Cells(const JournalEntry &e)
{
    return {QString::number(e.number),
            e.serial,
            e.model,
            Time(e.started),
            Time(e.finished),
            e.outcome,
            e.verdict,
            e.verifier,
            e.bench};
}

QByteArray Write(const QList<JournalEntry> &entries)
{
    QString text = Line(Columns());
    for (const JournalEntry &e : entries)
        text += Line(Cells(e));
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace JournalCsv
