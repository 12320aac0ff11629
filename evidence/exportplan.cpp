#include "evidence/exportplan.h"

#include "telemetry/cardindex.h"
#include "telemetry/clipduration.h"
#include "telemetry/eventdetection.h"
#include "telemetry/telemetrytrack.h"
#include "telemetry/trips.h"

#include <QFileInfo>

namespace {

constexpr qint64 kOverlayBitsPerSecond = (6000 + 128) * 1000;
constexpr qint64 kDocumentBytes = 2 * 1024 * 1024; // the PDF with its pictures, the GPX and the CSV

std::optional<ExportPlan> refuse(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

// The events of the plan's clips that begin inside its stretches; which way is forward comes from
// all of them together.
QList<DrivingEvent> eventsIn(const QList<ExportPart> &parts, const EventThresholds &thresholds)
{
    std::vector<EventDetection::PreparedTrack> tracks;
    EventDetection::LongitudinalEvidence evidence;
    for (const ExportPart &part : parts) {
        tracks.emplace_back(part.telemetry.samples);
        evidence += EventDetection::longitudinalEvidence(tracks.back());
    }
    const EventDetection::Forward forward = EventDetection::forwardDirection(evidence);
    QList<DrivingEvent> events;
    for (int i = 0; i < parts.size(); ++i) {
        const ExportPart &part = parts.at(i);
        const std::optional<qint64> start = part.telemetry.summary.recorderStartMs;
        const std::optional<qint64> startUtc =
            start ? std::optional<qint64>(RecorderClock::utcOf(*start, part.clock)) : std::nullopt;
        for (const DrivingEvent &event : EventDetection::clipEvents(part.media.path, tracks.at(size_t(i)), thresholds,
                                                                    forward, startUtc)) {
            if (event.offsetMs >= part.media.fromMs && event.offsetMs < part.media.toMs)
                events << event;
        }
    }
    return events;
}

ExportPlan finish(QList<ExportPart> parts, const ExportPlanning::Options &options, const QString &title)
{
    ExportPlan plan;
    plan.parts = std::move(parts);
    plan.momentMs = plan.parts.first().media.fromMs;
    plan.title = title;
    plan.model = options.model;
    plan.speedUnitKm = options.speedUnitKm;
    plan.events = eventsIn(plan.parts, options.thresholds);
    return plan;
}

} // namespace

QList<MediaPart> ExportPlan::mediaParts() const
{
    QList<MediaPart> media;
    for (const ExportPart &part : parts)
        media << part.media;
    return media;
}

qint64 ExportPlan::lengthMs() const
{
    return totalLengthMs(mediaParts());
}

qint64 ExportPlan::partStartMs(int part) const
{
    qint64 start = 0;
    for (int i = 0; i < part && i < parts.size(); ++i)
        start += parts.at(i).media.lengthMs();
    return start;
}

QList<TrackExport::Piece> ExportPlan::pieces() const
{
    QList<TrackExport::Piece> pieces;
    for (int i = 0; i < parts.size(); ++i) {
        const ExportPart &part = parts.at(i);
        QList<TelemetrySample> inside;
        for (const TelemetrySample &sample : part.telemetry.samples) {
            if (sample.timeMs >= part.media.fromMs && sample.timeMs < part.media.toMs)
                inside << sample;
        }
        const std::optional<qint64> stamp = part.telemetry.summary.recorderStartMs;
        const QDateTime start = stamp ? QDateTime::fromMSecsSinceEpoch(RecorderClock::utcOf(*stamp, part.clock), Qt::UTC)
                                      : QDateTime();
        pieces.append({inside, partStartMs(i) - part.media.fromMs, start, part.telemetry.fixes});
    }
    return pieces;
}

ShownMoment ExportPlan::momentAt(int part, qint64 clipMs) const
{
    ShownMoment moment;
    moment.model = model;
    moment.speedUnitKm = speedUnitKm;
    if (part < 0 || part >= parts.size())
        return moment;
    const ExportPart &shown = parts.at(part);
    moment.clipName = shown.name();
    moment.positionMs = clipMs;
    if (const std::optional<qint64> stamp = shown.telemetry.summary.recorderStartMs) {
        moment.recordedAt = RecorderClock::localTimeOf(*stamp + clipMs, shown.clock);
        moment.timeFromGps = shown.clock.source != RecorderClock::Source::Assumed;
    }
    moment.sample = TelemetryTrack::sampleIn(shown.telemetry.samples, clipMs);
    return moment;
}

void ExportPlan::setMoment(qint64 rangeMs)
{
    const PartPosition at = partPosition(mediaParts(), qBound<qint64>(0, rangeMs, qMax<qint64>(0, lengthMs() - 1)));
    momentPart = qMax(0, at.part);
    momentMs = at.clipMs;
}

qint64 ExportPlan::estimatedBytes(bool overlay) const
{
    qint64 bytes = kDocumentBytes;
    for (const ExportPart &part : parts) {
        const qint64 clipMs = part.telemetry.summary.durationMs.value_or(part.media.toMs);
        bytes += part.fileSize + (clipMs > 0 ? part.fileSize * part.media.lengthMs() / clipMs : 0);
    }
    if (overlay)
        bytes += kOverlayBitsPerSecond / 8 * lengthMs() / 1000;
    return bytes;
}

namespace ExportPlanning {

QString rangeTime(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    const QString fraction = QStringLiteral(".%1").arg(ms % 1000, 3, 10, QLatin1Char('0'));
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3").arg(seconds / 3600).arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                   .arg(seconds % 60, 2, 10, QLatin1Char('0')) + fraction;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0')) + fraction;
}

std::optional<ExportPlan> forClip(const QString &path, qint64 fromMs, qint64 toMs, const Options &options,
                                  QString *error)
{
    const QFileInfo file(path);
    if (!file.isFile())
        return refuse(error, file.exists() ? QStringLiteral("not a regular file") : QStringLiteral("no such file"));
    ExportPart part;
    part.telemetry = readClipTelemetry(file.absoluteFilePath(), containerDurationMs(path));
    const std::optional<qint64> length = part.telemetry.summary.durationMs;
    if (!length || *length <= 0)
        return refuse(error, QStringLiteral("the clip's length is unknown"));
    if (fromMs < 0 || toMs <= fromMs)
        return refuse(error, QStringLiteral("the range is empty"));
    if (fromMs >= *length)
        return refuse(error, QStringLiteral("the range starts after the clip's end (%1)").arg(rangeTime(*length)));
    part.media = {file.absoluteFilePath(), fromMs, qMin(toMs, *length)};
    part.fileSize = file.size();
    const ClipSummary &summary = part.telemetry.summary;
    const bool own = summary.ownOffsetMs.has_value();
    part.clock = {own ? *summary.ownOffsetMs : options.zone.offsetAt(summary.recorderStartMs.value_or(0)),
                  own ? RecorderClock::Source::Gps : RecorderClock::Source::Assumed};
    const QString title = QStringLiteral("%1, %2 to %3").arg(file.fileName(), rangeTime(part.media.fromMs),
                                                            rangeTime(part.media.toMs));
    return finish({part}, options, title);
}

std::optional<ExportPlan> forTrip(const CardIndex &index, const Trip &trip, qint64 fromMs, qint64 toMs,
                                  const Options &options, QString *error)
{
    if (fromMs < 0 || toMs <= fromMs)
        return refuse(error, QStringLiteral("the range is empty"));
    if (fromMs >= trip.durationMs)
        return refuse(error, QStringLiteral("the range starts after the drive's end (%1)").arg(rangeTime(trip.durationMs)));
    QList<ExportPart> parts;
    for (const TripClip &clip : trip.clips) {
        const qint64 length = clip.clip.durationMs.value_or(0);
        const qint64 from = qMax<qint64>(0, fromMs - clip.offsetMs);
        const qint64 to = qMin(length, toMs - clip.offsetMs);
        if (to <= from)
            continue;
        ExportPart part;
        part.media = {clip.clip.path, from, to};
        const ClipTelemetry *telemetry = index.clip(clip.clip.path);
        part.telemetry = telemetry ? *telemetry : ClipTelemetry{clip.clip, {}, {}};
        part.clock = clip.clock;
        part.fileSize = QFileInfo(clip.clip.path).size();
        parts << part;
    }
    if (parts.isEmpty())
        return refuse(error, QStringLiteral("no clip of the drive lies in the range"));
    const QString title = QStringLiteral("Drive of %1, %2 to %3")
                              .arg(RecorderClock::isoUtc(trip.startUtcMs), rangeTime(fromMs), rangeTime(qMin(toMs, trip.durationMs)));
    return finish(parts, options, title);
}

} // namespace ExportPlanning
