#include "telemetry/cliptelemetry.h"

#include "catalogue/clip.h"
#include "telemetry/clipduration.h"
#include "telemetry/telemetryreader.h"
#include "telemetry/telemetrytrack.h"

#include <QFileInfo>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

constexpr double kEarthRadiusM = 6371008.8;
constexpr qint64 kRecordSpanMs = 100; // ten records a second

GeoPoint pointOf(const TelemetrySample &sample)
{
    return {sample.latitude, sample.longitude};
}

std::optional<GeoPoint> positionOf(const TelemetrySample &sample)
{
    return sample.hasUsablePosition() ? std::optional<GeoPoint>(pointOf(sample)) : std::nullopt;
}

} // namespace

double distanceMetres(const GeoPoint &from, const GeoPoint &to)
{
    constexpr double kRadians = std::numbers::pi / 180.0;
    const double dLat = (to.latitude - from.latitude) * kRadians;
    const double dLon = (to.longitude - from.longitude) * kRadians;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2)
                     + std::cos(from.latitude * kRadians) * std::cos(to.latitude * kRadians) * std::sin(dLon / 2)
                           * std::sin(dLon / 2);
    return 2 * kEarthRadiusM * std::asin(std::min(1.0, std::sqrt(a)));
}

ClipSummary summarize(const QString &path, std::optional<qint64> durationMs, const QList<TelemetrySample> &samples,
                      const QList<RecorderClock::FixTime> &fixes)
{
    ClipSummary summary;
    const QFileInfo file(path);
    summary.path = file.absoluteFilePath();
    summary.name = file.fileName();
    summary.kind = Clip(file).kind();
    summary.recorderStartMs = RecorderClock::stampFromName(summary.name);
    summary.durationMs = durationMs;
    if (summary.recorderStartMs)
        summary.ownOffsetMs = RecorderClock::offsetFromFixes(*summary.recorderStartMs, fixes);
    summary.fixCount = int(fixes.size());
    const TelemetrySample *previous = nullptr;
    for (const TelemetrySample &sample : samples) {
        if (!sample.hasUsablePosition()) {
            previous = nullptr;
            continue;
        }
        if (previous)
            summary.distanceM += distanceMetres(pointOf(*previous), pointOf(sample));
        summary.maxSpeedKmh = std::max(summary.maxSpeedKmh.value_or(0), sample.speedKmh);
        previous = &sample;
    }
    if (!samples.isEmpty()) {
        summary.firstPosition = positionOf(samples.first());
        summary.lastPosition = positionOf(samples.last());
    }
    return summary;
}

ClipTelemetry readClipTelemetry(const QString &path, std::optional<qint64> durationMs)
{
    if (!durationMs)
        durationMs = containerDurationMs(path);
    auto records = std::make_unique<TelemetryRecords>();
    const int count = readTelemetryFile(path, *records);
    if (!durationMs && count > 0)
        durationMs = count * kRecordSpanMs;
    ClipTelemetry clip;
    if (durationMs && *durationMs > 0) {
        clip.samples = TelemetryTrack::placeRecords(records->data(), count, *durationMs);
        clip.fixes = TelemetryTrack::placeFixes(records->data(), count, *durationMs);
    }
    clip.summary = summarize(path, durationMs, clip.samples, clip.fixes);
    return clip;
}

QDateTime clipStart(const ClipSummary &clip, const RecorderClock::FallbackZone &fallback, bool *assumed)
{
    if (!clip.recorderStartMs)
        return QDateTime();
    const qint64 start = *clip.recorderStartMs;
    const qint64 offset = clip.ownOffsetMs.value_or(fallback.offsetAt(start));
    if (assumed)
        *assumed = !clip.ownOffsetMs;
    return QDateTime::fromMSecsSinceEpoch(start - offset, Qt::UTC);
}

QList<std::optional<RecorderClock::Offset>> clipOffsets(const QList<ClipSummary> &clips,
                                                        const RecorderClock::FallbackZone &fallback)
{
    QList<qint64> starts;
    QList<std::optional<qint64>> own;
    for (const ClipSummary &clip : clips) {
        if (clip.recorderStartMs) {
            starts.append(*clip.recorderStartMs);
            own.append(clip.ownOffsetMs);
        }
    }
    const QList<RecorderClock::Offset> resolved = RecorderClock::resolveOffsets(starts, own, fallback);
    QList<std::optional<RecorderClock::Offset>> offsets;
    offsets.reserve(clips.size());
    qsizetype next = 0;
    for (const ClipSummary &clip : clips)
        offsets.append(clip.recorderStartMs ? std::optional(resolved.at(next++)) : std::nullopt);
    return offsets;
}
