#pragma once

#include "link/exchangerecord.h"

#include <QString>

// A row of the exchange monitor in words, for its decode pane: link and address,
// function, the registers or coils asked for, the values in the data type the task
// used, the exception with its text, why a reply was dropped, the QID with its name.
QString DecodeExchange(const ExchangeRecord &r, const QString &qidName);
// The name of a Modbus function the program uses; empty for others.
QString FunctionName(int function);
