#pragma once

#include "telemetry/telemetryrecord.h"

#include <QString>

// Reads the telemetry chunks ("02tx", "03tx") of an AVI clip into `records` and returns how many
// records it filled from the start, 0 … kTelemetryCapacity; 0 means the clip has no telemetry.
// The file is read in small windows at chunk headers: telemetry payloads are read, every other
// payload is skipped by position, never read whole.
// Safe on arbitrary bytes. When the file is no RIFF/AVI file, both hemisphere fields are cleared
// in all records. Entries at or past the returned count are unspecified.
int readTelemetryFile(const QString &path, TelemetryRecords &records);

// Whether the file at `path` opens and begins as a RIFF file of form "AVI ", the only kind of clip
// that carries telemetry.
bool isAviFile(const QString &path);
