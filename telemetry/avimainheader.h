#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The clip duration an AVI file's main header ("avih" inside "LIST hdrl") states: microseconds
// per frame × total frames, rounded to whole milliseconds. Empty when the file has no such header or
// the header's product does not fit in 64 bits.
std::optional<qint64> aviHeaderDurationMs(const QString &path);
