#pragma once

#include "telemetry/telemetryrecord.h"

#include <QString>

// How the telemetry chunks of a clip are found.
enum class TelemetryReadMethod {
    Auto,  // through the index when it accounts for the whole movie list, else by the walk
    Walk,  // every chunk header of the file in order (the movie list's pictures and sound skipped)
    Index, // (reported only) the movie list's telemetry chunks read where the AVI index puts them
};

// Reads the telemetry chunks ("02tx", "03tx") of an AVI clip into `records` and returns how many
// records it filled from the start, 0 … kTelemetryCapacity; 0 means the clip has no telemetry.
// The walk reads the file in small windows at chunk headers: telemetry payloads are read, every
// other payload is skipped by position, never read whole. Through the index only the index and the
// telemetry chunks are read; both give the same records on every file whose index agrees with its
// chunks (telemetry chunks whose headers differ from their index entries send the reader back to the
// walk; a damaged picture header is skipped by the index where the walk would end at it).
// `*used` (when given) says which way was taken.
// Safe on arbitrary bytes. When the file is no RIFF/AVI file, both hemisphere fields are cleared
// in all records. Entries at or past the returned count are unspecified.
int readTelemetryFile(const QString &path, TelemetryRecords &records,
                      TelemetryReadMethod method = TelemetryReadMethod::Auto, TelemetryReadMethod *used = nullptr);

// Whether the file at `path` opens and begins as a RIFF file of form "AVI ", the only kind of clip
// that carries telemetry.
bool isAviFile(const QString &path);
