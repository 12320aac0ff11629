#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The clip duration an AVI file's main header ("avih" inside "LIST hdrl") states: microseconds
// per frame × total frames, rounded to whole milliseconds. Empty when the file has no such header.
std::optional<qint64> aviHeaderDurationMs(const QString &path);
