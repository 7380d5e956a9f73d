#pragma once

#include "record/verification.h"

#include <QByteArray>
#include <optional>

// A record as the journal keeps it: every setting, reading and result of a run, so
// that its protocol can be made again exactly as it was first made. Every field the
// record gains must be written and read here.
namespace RecordJson
{

// Bumped when a field changes its meaning; a newer record than this program reads is
// refused rather than misread.
constexpr int kVersion = 1;

QByteArray Write(const Verification::Record &record);
// Empty when the text is not a record this program can read.
std::optional<Verification::Record> Read(const QByteArray &json);

} // namespace RecordJson
