#pragma once

#include "link/exchangerecord.h"

#include <QFile>
#include <QString>

// A continuous record of the exchanges in CSV files, for a watch over a whole
// shift: when the file reaches its size it becomes NAME.1.csv (the one before
// NAME.2.csv...) and a new one starts; beyond `keep` files the oldest goes.
class ExchangeFileLog
{
public:
    static constexpr qint64 kMaxBytes = 10 * 1024 * 1024;
    static constexpr int kKeep = 5;

    explicit ExchangeFileLog(const QString &fileName, qint64 maxBytes = kMaxBytes, int keep = kKeep);

    // False, with ErrorString(), when the file cannot be opened or written.
    bool Open();
    bool Write(const ExchangeRecord &r);
    // Hands what was written to the system, so a crash loses little.
    void Flush();
    QString FileName() const { return m_name; }
    QString ErrorString() const { return m_error; }
    // The name of the n-th older file (0: the current one).
    QString OlderName(int n) const;

private:
    bool Rotate();
    bool Put(const QString &text);

    QString m_name;
    qint64 m_maxBytes;
    int m_keep;
    QFile m_file;
    qint64 m_size = 0; // of the current file; asking the file would flush it
    QString m_error;
};
