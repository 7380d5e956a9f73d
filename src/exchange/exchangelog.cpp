#include "exchange/exchangelog.h"

#include "exchange/exchangedecode.h"
#include "link/conventions.h"
#include "link/imbcommaster.h"

#include <QDateTime>
#include <QLocale>

#include <climits>

namespace
{
const char *const kColumnNames[ExchangeLog::ColumnCount] = {
    "Время", "Линия", "Адрес", "Функция", "QID", "Результат", "Длительность, мс", "Запрос", "Ответ"};

QString CsvField(const QString &text)
{
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// A frame the capture did not see is shown as rebuilt from the task, and says so.
QString Framed(const QString &hex, bool rebuilt)
{
    return rebuilt ? QStringLiteral("восстановлен: ") + hex : hex;
}
} // namespace

ExchangeLog::ExchangeLog(QObject *parent, int capacity)
    : QAbstractTableModel(parent), m_capacity(qMax(1, capacity))
{
    m_flush.setSingleShot(true);
    m_flush.setInterval(kFlushMs);
    connect(&m_flush, &QTimer::timeout, this, &ExchangeLog::Flush);
}

void ExchangeLog::Attach(IMBComMaster *client, const QString &link)
{
    CountersFor(link);
    if (!m_capture)
        m_capture = std::make_unique<LineCapture::Hold>();
    connect(client, &IMBComMaster::ExchangeRecorded, this, [this, link](const ExchangeRecord &r) {
        ExchangeRecord named = r;
        named.link = link;
        Append(named);
    });
}

void ExchangeLog::SetQidNames(const QString &link, std::function<QString(int)> names)
{
    m_qidNames.insert(link, std::move(names));
}

QString ExchangeLog::QidName(const ExchangeRecord &r) const
{
    const auto names = m_qidNames.constFind(r.link);
    return names != m_qidNames.cend() && *names ? (*names)(r.qid) : QString();
}

ExchangeLog::Counters &ExchangeLog::CountersFor(const QString &link)
{
    qsizetype i = m_links.indexOf(link);
    if (i < 0) {
        m_links.append(link);
        m_counters.append(Counters());
        i = m_links.size() - 1;
    }
    return m_counters[i];
}

ExchangeLog::Counters &ExchangeLog::CountersFor(const QString &link, int device)
{
    return m_deviceCounters[{link, device}];
}

ExchangeLog::Counters ExchangeLog::CountersOf(const QString &link) const
{
    const qsizetype i = m_links.indexOf(link);
    return i < 0 ? Counters() : m_counters.at(i);
}

ExchangeLog::Counters ExchangeLog::CountersOf(const QString &link, int device) const
{
    const auto found = m_deviceCounters.find({link, device});
    return found == m_deviceCounters.end() ? Counters() : found->second;
}

QList<ExchangeLog::CounterRow> ExchangeLog::CounterRows() const
{
    QList<CounterRow> rows;
    for (qsizetype i = 0; i < m_links.size(); ++i) {
        rows.append({m_links.at(i), -1, m_counters.at(i)});
        for (auto it = m_deviceCounters.lower_bound({m_links.at(i), INT_MIN});
             it != m_deviceCounters.end() && it->first.first == m_links.at(i); ++it)
            rows.append({it->first.first, it->first.second, it->second});
    }
    return rows;
}

void ExchangeLog::Counters::Count(const ExchangeRecord &r)
{
    requests += r.Sent();
    answered += r.Answered();
    timeouts += r.result == 1;
    crcErrors += r.result == 2;
    exceptions += r.IsException();
    retries += r.Sent() && r.attempt > 1;
    if (r.Sent() && r.Answered()) {
        minUs = timed ? qMin(minUs, r.durationUs) : r.durationUs;
        maxUs = qMax(maxUs, r.durationUs);
        sumUs += r.durationUs;
        ++timed;
    }
}

void ExchangeLog::Append(const ExchangeRecord &record)
{
    CountersFor(record.link).Count(record);
    CountersFor(record.link, record.device).Count(record);
    m_countersDirty = true;
    if (m_file && !m_file->Write(record)) {
        const std::unique_ptr<ExchangeFileLog> failed = std::move(m_file);
        emit FileLogFailed(failed->FileName(), failed->ErrorString());
    }
    if (!m_paused)
        m_pending.push_back(record);
    if (!m_flush.isActive())
        m_flush.start();
}

void ExchangeLog::SetFileLog(std::unique_ptr<ExchangeFileLog> file)
{
    m_file = std::move(file);
}

QString ExchangeLog::CsvHeader()
{
    QStringList cells;
    for (const char *name : kColumnNames)
        cells.append(CsvField(QString::fromUtf8(name)));
    return QString(QChar(0xFEFF)) + cells.join(QLatin1Char(';')) + QStringLiteral("\r\n");
}

QString ExchangeLog::CsvLine(const ExchangeRecord &r)
{
    // A file outlives the day it was written: its times carry their date.
    QStringList cells{QDateTime::fromMSecsSinceEpoch(r.startMs).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss.zzz"))};
    for (int c = ColTime + 1; c < ColumnCount; ++c)
        cells.append(CsvField(CellText(r, c)));
    return cells.join(QLatin1Char(';')) + QStringLiteral("\r\n");
}

void ExchangeLog::Flush()
{
    m_flush.stop();
    if (m_file)
        m_file->Flush();
    if (!m_pending.empty()) {
        if (m_ring.empty())
            m_ring.resize(size_t(m_capacity));
        // More than fits: the oldest of the batch never show.
        const int skip = qMax(0, int(m_pending.size()) - m_capacity);
        const int n = int(m_pending.size()) - skip;
        const int drop = qMin(m_size, m_size + n - m_capacity);
        if (drop > 0) {
            beginRemoveRows(QModelIndex(), 0, drop - 1);
            m_first = (m_first + drop) % m_capacity;
            m_size -= drop;
            endRemoveRows();
        }
        beginInsertRows(QModelIndex(), m_size, m_size + n - 1);
        for (int i = 0; i < n; ++i)
            m_ring[Slot(m_size + i)] = std::move(m_pending[size_t(skip + i)]);
        m_size += n;
        endInsertRows();
        m_pending.clear();
    }
    if (m_countersDirty) {
        m_countersDirty = false;
        emit CountersChanged();
    }
}

void ExchangeLog::Clear()
{
    beginResetModel();
    m_ring.clear();
    m_ring.shrink_to_fit();
    m_first = 0;
    m_size = 0;
    m_pending.clear();
    endResetModel();
    for (Counters &c : m_counters)
        c = Counters();
    m_deviceCounters.clear();
    m_countersDirty = false;
    emit CountersChanged();
}

void ExchangeLog::SetPaused(bool paused)
{
    m_paused = paused;
}

ExchangeLog::Kind ExchangeLog::KindOf(const ExchangeRecord &r)
{
    if (r.IsException())
        return Kind::Exception;
    switch (r.result) {
    case 1:
        return Kind::Timeout;
    case 2:
        return Kind::Crc;
    case 16:
        return Kind::TooShort;
    }
    return Kind::Normal;
}

QColor ExchangeLog::ColourOf(Kind kind)
{
    switch (kind) {
    case Kind::Exception:
        return QColor(255, 214, 153);
    case Kind::Timeout:
        return QColor(255, 242, 153);
    case Kind::Crc:
        return QColor(255, 179, 179);
    case Kind::TooShort:
        return QColor(217, 204, 255);
    case Kind::Normal:
        break;
    }
    return {};
}

QString ExchangeLog::CellText(const ExchangeRecord &r, int column)
{
    switch (column) {
    case ColTime:
        return QDateTime::fromMSecsSinceEpoch(r.startMs).toString(QStringLiteral("HH:mm:ss.zzz"));
    case ColLink:
        return r.link;
    case ColAddress:
        return QString::number(r.device);
    case ColFunction:
        return QStringLiteral("%1").arg(r.function, 2, 16, QLatin1Char('0')).toUpper();
    case ColQid:
        return QString::number(r.qid);
    case ColRequest:
        return Framed(r.RequestHex(), r.Sent() && !r.RequestCaptured());
    case ColReply:
        return Framed(r.ReplyHex(), r.Answered() && !r.ReplyCaptured());
    case ColResult: {
        QString text = QStringLiteral("%1: %2").arg(r.result).arg(ResultText(r.result));
        if (r.attempt > 1)
            text += QStringLiteral("; попытка %1").arg(r.attempt);
        if (!r.note.isEmpty())
            text += QStringLiteral("; ") + r.note;
        return text;
    }
    case ColDuration: {
        // No group separator: the figure also goes into CSV files.
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(double(r.durationUs) / 1000.0, 'f', 1);
    }
    }
    return {};
}

int ExchangeLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_size;
}

int ExchangeLog::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ExchangeLog::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_size)
        return {};
    const ExchangeRecord &r = At(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return CellText(r, index.column());
    case Qt::ToolTipRole:
        if (index.column() == ColFunction)
            return FunctionName(r.function);
        if (index.column() == ColRequest && r.framing == ExchangeRecord::Framing::Tcp &&
            !r.RequestCaptured())
            return QStringLiteral("?? ?? - номер транзакции Modbus TCP: клиент его не сообщает");
        if (index.column() == ColDuration && r.result == 1 && !r.RequestCaptured())
            return QStringLiteral("Без ответа запрос повторяется: время включает все попытки");
        return {};
    case Qt::BackgroundRole: {
        const QColor c = ColourOf(KindOf(r));
        return c.isValid() ? QVariant(c) : QVariant();
    }
    case Qt::ForegroundRole:
        // Readable on the light marks whatever the palette.
        return KindOf(r) == Kind::Normal ? QVariant() : QVariant(QColor(Qt::black));
    case Qt::TextAlignmentRole:
        if (index.column() == ColAddress || index.column() == ColQid || index.column() == ColDuration)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    return {};
}

QVariant ExchangeLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(kColumnNames[section]) : QVariant();
}
