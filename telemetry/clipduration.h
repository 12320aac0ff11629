#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The length a clip file's container header states, without decoding anything: the AVI main header
// ("avih": microseconds per frame × total frames) or the MP4 movie header ("moov"/"mvhd":
// duration / time scale), in whole milliseconds. Nothing when the file has neither header, the
// header says nothing (zero frames, an unknown duration) or its numbers do not fit.
std::optional<qint64> containerDurationMs(const QString &path);

// The MP4 half of containerDurationMs: the movie header of an ISO base media file.
std::optional<qint64> mp4HeaderDurationMs(const QString &path);
