#pragma once

#include "record/verification.h"

#include <QString>

class QPagedPaintDevice;
class QTextDocument;

// The protocol of a finished run: a PDF document for the lab's files and a
// spreadsheet of the readings for its own processing.
namespace ProtocolDocument
{

// Names of the items of "Вид проверки" and "Тип протокола".
QString KindName(int kind);
QString TypeName(int type);

// The protocol as a rich text document (also what is printed).
void Fill(QTextDocument &doc, const Verification::Record &record);
// The protocol on a printer or a PDF writer, over the device's printable width.
void Print(QPagedPaintDevice &device, const Verification::Record &record);
// A4 PDF with its fonts embedded; an error text, empty on success.
QString WritePdf(const QString &path, const Verification::Record &record);
// Every reading of every check; an error text, empty on success.
QString WriteXlsx(const QString &path, const Verification::Record &record);

} // namespace ProtocolDocument
