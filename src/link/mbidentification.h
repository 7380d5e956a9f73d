#pragma once

#include <QByteArray>
#include <QString>

// The identification text of a "report server ID" (function 0x11) reply. The
// payload is the reply's data after the function code: byte count, then either
// server ID, run indicator (0x00/0xFF) and text, or text and run indicator last
// (as pymodbus sends it). Text is UTF-8 when valid, else Windows-1251.
// ok=false when the payload is shorter than its byte count says or empty.
QString MbIdentificationText(const QByteArray &payload, bool *ok = nullptr);
