#pragma once

#include <QString>

// The name of a flowmeter QID as the program knows it ("FlowRate"); empty for others.
QString FlowQidName(int qid);
