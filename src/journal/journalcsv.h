#pragma once

#include "journal/journal.h"

#include <QByteArray>
#include <QStringList>

// The list of the journal window as a CSV file for a spreadsheet: UTF-8 with a byte
// order mark and ';' between fields, as a spreadsheet set to Russian opens it directly.
namespace JournalCsv
{
// The captions of the list's columns, also the CSV header.
QStringList Columns();
QStringList Cells(const JournalEntry &e);
QByteArray Write(const QList<JournalEntry> &entries);
} // namespace JournalCsv
