#include "exchange/exchangefilelog.h"

#include "exchange/exchangelog.h"

#include <QFileInfo>

ExchangeFileLog::ExchangeFileLog(const QString &fileName, qint64 maxBytes, int keep)
    : m_name(fileName), m_maxBytes(qMax<qint64>(1024, maxBytes)), m_keep(qMax(1, keep))
{
}

QString ExchangeFileLog::OlderName(int n) const
{
    if (n == 0)
        return m_name;
    const QFileInfo info(m_name);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".%1").arg(n) + suffix;
}

bool ExchangeFileLog::Open()
{
    m_file.setFileName(m_name);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        m_error = m_file.errorString();
        return false;
    }
    m_size = m_file.size();
    // A new file starts with the byte order mark and the header, as a saved list does.
    if (m_size == 0)
        return Put(ExchangeLog::CsvHeader());
    return true;
}

bool ExchangeFileLog::Rotate()
{
    m_file.close();
    QFile::remove(OlderName(m_keep - 1));
    for (int n = m_keep - 2; n >= 0; --n)
        QFile::rename(OlderName(n), OlderName(n + 1));
    if (m_keep == 1)
        QFile::remove(m_name);
    return Open();
}

bool ExchangeFileLog::Write(const ExchangeRecord &r)
{
    if (!m_file.isOpen() && !Open())
        return false;
    if (m_size >= m_maxBytes && !Rotate())
        return false;
    return Put(ExchangeLog::CsvLine(r));
}

bool ExchangeFileLog::Put(const QString &text)
{
    const qint64 n = m_file.write(text.toUtf8());
    if (n < 0) {
        m_error = m_file.errorString();
        return false;
    }
    m_size += n;
    return true;
}

void ExchangeFileLog::Flush()
{
    if (m_file.isOpen())
        m_file.flush();
}
