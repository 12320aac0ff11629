#pragma once

#include "telemetry/recorderclock.h"
#include "telemetry/telemetrysample.h"

#include <QList>
#include <QString>

#include <optional>

// What is known of one clip file for trips, routes and exports: its place in time (the recorder's
// stamp in its name, its length from the container header), the recorder's clock offset its GPS
// fixes give, and a summary of the drive in it. Copyable values, safe on any thread.

struct GeoPoint
{
    double latitude = 0;
    double longitude = 0;

    friend bool operator==(const GeoPoint &, const GeoPoint &) = default;
};

struct ClipSummary
{
    QString path;                          // absolute path of the clip file
    QString name;                          // file name
    int kind = 0;                          // Clip::Kind: 1 normal ("REC_"), 2 event ("EVS_"), 0 other
    std::optional<qint64> recorderStartMs; // the stamp in the name, naive (see RecorderClock)
    std::optional<qint64> durationMs;      // container header; else ten telemetry records a second
    std::optional<qint64> ownOffsetMs;     // recorder time − UTC from the clip's own fixes
    int fixCount = 0;                      // GPS sentences with a fix and a time
    double distanceM = 0;                  // along the stretches with fix
    std::optional<int> maxSpeedKmh;        // over the samples with a position
    std::optional<GeoPoint> firstPosition; // of the first sample, when it has one
    std::optional<GeoPoint> lastPosition;  // of the last sample, when it has one

    bool isEvent() const { return kind == 2; }

    friend bool operator==(const ClipSummary &, const ClipSummary &) = default;
};

struct ClipTelemetry
{
    ClipSummary summary;
    QList<TelemetrySample> samples;      // on the clip's time line, as the viewer places them
    QList<RecorderClock::FixTime> fixes; // on the same time line

    friend bool operator==(const ClipTelemetry &, const ClipTelemetry &) = default;
};

// Reads one clip file: length, telemetry, fixes and summary. A file without telemetry (an MP4 clip,
// a damaged file) gets an empty track; one without a length in its header takes the length of its
// telemetry. `durationMs`, when given, is the length to place the telemetry over instead. Never
// fails: what cannot be read stays empty.
ClipTelemetry readClipTelemetry(const QString &path, std::optional<qint64> durationMs = {});

// The true moment a clip began as far as the clip alone tells: its stamp less its own offset, or
// less the fallback zone's offset when it has no fix (then *assumed is set). Invalid without a
// stamp.
QDateTime clipStart(const ClipSummary &clip, const RecorderClock::FallbackZone &fallback, bool *assumed = nullptr);

// The offset (recorder time − UTC) each clip uses, worked out over all of `clips` as
// RecorderClock::resolveOffsets does; nothing for a clip without a stamp in its name.
QList<std::optional<RecorderClock::Offset>> clipOffsets(const QList<ClipSummary> &clips,
                                                        const RecorderClock::FallbackZone &fallback);

// The summary of a clip at `path` with the given length, samples and fixes.
ClipSummary summarize(const QString &path, std::optional<qint64> durationMs, const QList<TelemetrySample> &samples,
                      const QList<RecorderClock::FixTime> &fixes);

// Great-circle distance in metres (mean Earth radius).
double distanceMetres(const GeoPoint &from, const GeoPoint &to);
