#pragma once

#include <QString>

// The name of a bench QID as the program knows it ("ReadImrStatus"); empty for others.
QString BenchQidName(int qid);
