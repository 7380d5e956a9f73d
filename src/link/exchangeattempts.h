#pragma once

#include "link/exchangerecord.h"
#include "link/linecapture.h"

#include <QList>

// The rows of one execution from the frames captured on its line: one a try (a
// request and what came back to it), with the verdict on every reply the client
// dropped. The last row carries the execution's result; without frames it is the
// one row of the execution as rebuilt. endNs: when the execution ended (LineCapture's clock).
QList<ExchangeRecord> SplitAttempts(ExchangeRecord execution, QList<LineFrame> frames, qint64 endNs);
