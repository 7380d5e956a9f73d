#pragma once

#include <QByteArray>
#include <QString>

// The platform's side of reading an executable's version block. On Windows it is the
// version resource; elsewhere the same block in the executable's section kVersionSection.
inline constexpr const char *kVersionSection = ".qtm_version";

// Size of the file's version block, 0 when it has none; *handle as the platform gives it.
qint32 VersionResourceSize(const QString &fileName, quint32 *handle);
// The block into *out; false when it cannot be read.
bool ReadVersionResource(const QString &fileName, quint32 handle, qint32 size, QByteArray *out);
