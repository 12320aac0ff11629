#include "telemetry/trips.h"

#include <algorithm>

namespace {

using RecorderClock::Offset;

struct Placed
{
    ClipSummary clip;
    Offset clock;
};

bool earlier(const Placed &a, const Placed &b)
{
    if (*a.clip.recorderStartMs != *b.clip.recorderStartMs)
        return *a.clip.recorderStartMs < *b.clip.recorderStartMs;
    return a.clip.name < b.clip.name;
}

qint64 endOf(const ClipSummary &clip)
{
    return *clip.recorderStartMs + *clip.durationMs;
}

// The clips with a stamp, each with the offset it uses, in recorder-time order.
QList<Placed> placedClips(const QList<ClipSummary> &clips, const RecorderClock::FallbackZone &fallback)
{
    QList<ClipSummary> stamped;
    for (const ClipSummary &clip : clips) {
        if (clip.recorderStartMs && (clip.isEvent() || clip.kind == 1))
            stamped.append(clip);
    }
    const QList<std::optional<Offset>> offsets = clipOffsets(stamped, fallback);
    QList<Placed> placed;
    for (qsizetype i = 0; i < stamped.size(); ++i)
        placed.append({stamped.at(i), *offsets.at(i)});
    std::sort(placed.begin(), placed.end(), earlier);
    return placed;
}

// The trip's clock: the median of its clips' own offsets; without any, the first clip's.
void setClock(Trip &trip)
{
    QList<qint64> own;
    for (const TripClip &part : trip.clips) {
        if (part.clock.source == RecorderClock::Source::Gps)
            own.append(part.clock.ms);
    }
    if (own.isEmpty()) {
        trip.zoneMs = RecorderClock::zonePart(trip.clips.first().clock.ms);
        trip.clockSource = trip.clips.first().clock.source;
        return;
    }
    std::sort(own.begin(), own.end());
    const qint64 offset = own.at(own.size() / 2);
    trip.zoneMs = RecorderClock::zonePart(offset);
    trip.clockErrorMs = RecorderClock::clockError(offset);
    trip.clockSource = RecorderClock::Source::Gps;
}

void addClip(Trip &trip, const Placed &placed)
{
    const ClipSummary &clip = placed.clip;
    if (!trip.clips.isEmpty()) {
        const ClipSummary &previous = trip.clips.last().clip;
        if (previous.lastPosition && clip.firstPosition)
            trip.distanceM += distanceMetres(*previous.lastPosition, *clip.firstPosition);
    }
    trip.clips.append({clip, trip.durationMs, placed.clock});
    trip.durationMs += *clip.durationMs;
    trip.distanceM += clip.distanceM;
    if (clip.maxSpeedKmh)
        trip.maxSpeedKmh = std::max(trip.maxSpeedKmh.value_or(0), *clip.maxSpeedKmh);
    trip.recorderEndMs = std::max(trip.recorderEndMs, endOf(clip));
}

void finish(Trip &trip)
{
    trip.recorderStartMs = *trip.clips.first().clip.recorderStartMs;
    trip.startUtcMs = RecorderClock::utcOf(trip.recorderStartMs, trip.clips.first().clock);
    trip.endUtcMs = RecorderClock::utcOf(trip.recorderEndMs, trip.clips.last().clock);
    setClock(trip);
}

// Where the event that started at `startMs` (naive) lies on the trip's time line.
qint64 timeLineOffset(const Trip &trip, qint64 startMs)
{
    const TripClip *holder = &trip.clips.first();
    for (const TripClip &part : trip.clips) {
        if (*part.clip.recorderStartMs <= startMs)
            holder = &part;
    }
    const qint64 into = std::clamp<qint64>(startMs - *holder->clip.recorderStartMs, 0, *holder->clip.durationMs);
    return holder->offsetMs + into;
}

void addEvents(QList<Trip> &trips, const QList<Placed> &placed)
{
    for (const Placed &event : placed) {
        if (!event.clip.isEvent())
            continue;
        const qint64 start = *event.clip.recorderStartMs;
        for (Trip &trip : trips) {
            if (start >= trip.recorderStartMs && start <= trip.recorderEndMs) {
                trip.events.append({event.clip, timeLineOffset(trip, start), event.clock});
                break;
            }
        }
    }
}

} // namespace

std::optional<Trip::Place> Trip::placeOf(qint64 tripMs) const
{
    if (clips.isEmpty())
        return std::nullopt;
    int index = 0;
    while (index + 1 < clips.size() && clips.at(index + 1).offsetMs <= tripMs)
        ++index;
    const TripClip &part = clips.at(index);
    return Place{index, std::clamp<qint64>(tripMs - part.offsetMs, 0, *part.clip.durationMs)};
}

QList<Trip> buildTrips(const QList<ClipSummary> &clips, const RecorderClock::FallbackZone &fallback)
{
    const QList<Placed> placed = placedClips(clips, fallback);
    QList<Trip> trips;
    for (const Placed &part : placed) {
        if (part.clip.isEvent() || !part.clip.durationMs || *part.clip.durationMs <= 0)
            continue;
        const bool continues =
            !trips.isEmpty() && *part.clip.recorderStartMs <= trips.last().recorderEndMs + kTripGapMs;
        if (!continues) {
            if (!trips.isEmpty())
                finish(trips.last());
            trips.append(Trip());
        }
        addClip(trips.last(), part);
    }
    if (!trips.isEmpty())
        finish(trips.last());
    addEvents(trips, placed);
    return trips;
}
