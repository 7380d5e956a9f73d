#pragma once

#include "link/exchangerecord.h"
#include "exchange/exchangefilelog.h"
#include "link/linecapture.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class IMBComMaster;

// The exchange records of the links, newest last, as a table: a bounded ring, so
// a long session keeps bounded memory. Records gather and enter the table in
// batches, a few times a second, so a busy link costs the view little.
class ExchangeLog : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kCapacity = 10000;
    static constexpr int kFlushMs = 250;
    static constexpr int kSlowestFlushMs = 2000;

    // The frames last: they are long, and the outcome should be in sight.
    enum Column {
        ColTime,
        ColLink,
        ColAddress,
        ColFunction,
        ColQid,
        ColResult,
        ColDuration,
        ColRequest,
        ColReply,
        ColumnCount
    };
    // What makes a row stand out.
    enum class Kind { Normal, Exception, Timeout, Crc, TooShort };

    struct Counters {
        int requests = 0;
        int answered = 0;
        int timeouts = 0;
        int crcErrors = 0;
        int exceptions = 0;
        int retries = 0;
        int timed = 0; // answers whose response time is counted
        qint64 minUs = 0;
        qint64 maxUs = 0;
        qint64 sumUs = 0;

        void Count(const ExchangeRecord &r);
    };
    // A row of the counters: a link's totals (device -1), then each device it asked.
    struct CounterRow {
        QString link;
        int device = -1;
        Counters counters;
    };

    explicit ExchangeLog(QObject *parent = nullptr, int capacity = kCapacity);

    // Records the exchanges of a client under that link name, with the frames
    // captured from the line from then on.
    void Attach(IMBComMaster *client, const QString &link);
    QStringList Links() const { return m_links; }
    // The names of the QIDs of a link, as the program knows them.
    void SetQidNames(const QString &link, std::function<QString(int)> names);
    QString QidName(const ExchangeRecord &r) const;

    // Counted at once; shown in the table from the next Flush (unless paused).
    void Append(const ExchangeRecord &record);
    void Flush();
    // How long records gather before they enter the table (kFlushMs..kSlowestFlushMs).
    void SetFlushInterval(int ms) { m_flush.setInterval(qBound(kFlushMs, ms, kSlowestFlushMs)); }
    int FlushInterval() const { return m_flush.interval(); }
    void Clear();
    // While paused the table keeps still; the counters go on.
    void SetPaused(bool paused);
    bool Paused() const { return m_paused; }

    Counters CountersOf(const QString &link) const;
    Counters CountersOf(const QString &link, int device) const;
    // Every link's totals followed by its devices in address order.
    QList<CounterRow> CounterRows() const;
    int Capacity() const { return m_capacity; }
    const ExchangeRecord &At(int row) const { return m_ring[Slot(row)]; }

    static Kind KindOf(const ExchangeRecord &r);
    static QColor ColourOf(Kind kind);
    // The text of a cell as shown and saved.
    static QString CellText(const ExchangeRecord &r, int column);
    // CSV as saved and logged: the byte order mark and the header; a record, its
    // time with the date. Lines end in CR LF.
    static QString CsvHeader();
    static QString CsvLine(const ExchangeRecord &r);
    // Every record from now on goes to that file too (none: nullptr), paused or not.
    void SetFileLog(std::unique_ptr<ExchangeFileLog> file);
    const ExchangeFileLog *FileLog() const { return m_file.get(); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    void CountersChanged();
    // The file log could not be written and has stopped.
    void FileLogFailed(const QString &fileName, const QString &error);

private:
    int Slot(int row) const { return int((m_first + row) % m_ring.size()); }
    Counters &CountersFor(const QString &link);
    Counters &CountersFor(const QString &link, int device);

    int m_capacity;
    std::vector<ExchangeRecord> m_ring; // allocated at the first record
    int m_first = 0;
    int m_size = 0;
    std::vector<ExchangeRecord> m_pending;
    QTimer m_flush;
    bool m_paused = false;
    bool m_countersDirty = false;
    QStringList m_links;
    QList<Counters> m_counters; // one per link, in the order of m_links
    std::map<std::pair<QString, int>, Counters> m_deviceCounters;
    std::unique_ptr<LineCapture::Hold> m_capture;
    QHash<QString, std::function<QString(int)>> m_qidNames;
    std::unique_ptr<ExchangeFileLog> m_file;
};
