#pragma once

#include "generators/clipwriter/aviclipwriter.h"

#include <QSize>
#include <QString>

// What the telemetry benchmarks share: recorder-like one-minute clips and a cold page cache.
namespace TelemetryBench {

// A minute of two channels at 30 fps with sound and telemetry (a fix every second, `accelPerSecond`
// G samples): pictures of `size` with `blocks` random blocks over a gradient (more blocks, larger
// JPEG pictures), `distinctFrames` of them painted and then repeated. `firstSecond` moves the route.
ClipWriter::ClipDescription minuteClip(QSize size, int blocks, int distinctFrames, int accelPerSecond,
                                       int firstSecond = 0);

// Writes the file's pages to disk and drops them from the page cache, so that the next read comes
// from the disk. False when the system keeps them (the cache cannot be made cold here).
bool dropFromPageCache(const QString &path);

// Bytes of the file now in the page cache.
qint64 residentBytes(const QString &path);

} // namespace TelemetryBench
