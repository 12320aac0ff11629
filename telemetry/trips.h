#pragma once

#include "telemetry/cliptelemetry.h"
#include "telemetry/recorderclock.h"

#include <QList>

#include <optional>

// Drives, not files: the recorder cuts a drive into one-minute clips, and this puts them together
// again. Normal clips are taken in the order of the recorder's clock; a clip continues the trip
// when it starts no later than kTripGapMs after the previous clip's end (its start plus its length).
// Event clips belong to the trip whose span holds their start, as its events. Pure functions over
// clip summaries, safe on any thread.

constexpr qint64 kTripGapMs = 3000;

// A clip of a trip: where it starts on the trip's time line, and the clock offset that gives its
// true time.
struct TripClip
{
    ClipSummary clip;
    qint64 offsetMs = 0;         // on the trip's time line (the clips lie end to end on it)
    RecorderClock::Offset clock; // recorder time − UTC for this clip

    friend bool operator==(const TripClip &, const TripClip &) = default;
};

struct Trip
{
    QList<TripClip> clips;  // the normal clips, in order, end to end from 0
    QList<TripClip> events; // the event clips that started during the trip, by their start
    qint64 recorderStartMs = 0; // naive: the first clip's stamp
    qint64 recorderEndMs = 0;   // naive: the last clip's stamp plus its length
    qint64 startUtcMs = 0;
    qint64 endUtcMs = 0;
    qint64 durationMs = 0; // the time line's length: the clips' lengths added up
    double distanceM = 0;  // the clips' routes, joined across the boundaries where both sides have a fix
    std::optional<int> maxSpeedKmh;
    qint64 zoneMs = 0;                  // the car's UTC offset during the trip
    std::optional<qint64> clockErrorMs; // the recorder's clock error; unknown without a fix in the trip
    RecorderClock::Source clockSource = RecorderClock::Source::Assumed;

    // The clip that plays at `tripMs` on the trip's time line (the first before 0, the last past
    // the end) and the position inside it. Nothing for a trip without clips.
    struct Place
    {
        int clip = 0;
        qint64 positionMs = 0;
    };
    std::optional<Place> placeOf(qint64 tripMs) const;

    friend bool operator==(const Trip &, const Trip &) = default;
};

// The trips of a card's clips, oldest first. Clips without a stamp in their name, and normal clips
// without a length, belong to no trip; event clips outside every trip are left out.
QList<Trip> buildTrips(const QList<ClipSummary> &clips, const RecorderClock::FallbackZone &fallback);
