#pragma once

#include "telemetry/cardindex.h"
#include "telemetry/drivingevent.h"
#include "telemetry/eventdetection.h"
#include "telemetry/recorderclock.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <atomic>

// One event of a card, with the car's local time at its start.
struct CardEvent
{
    DrivingEvent event;
    QDateTime localTime; // true time in the car's zone (its UTC offset attached); invalid without a stamp

    friend bool operator==(const CardEvent &, const CardEvent &) = default;
};

// The driving events of a whole card, worked out from its index while the index fills in. Each
// clip's telemetry is looked at once when it comes in; the direction the recorder faces is learned
// from every clip read so far, and only when that direction turns are the clips looked at again.
// True times follow the card's GPS clock, as in the command line's events. Not thread-safe: one
// thread at a time (any thread).
class CardEvents
{
public:
    CardEvents(const EventThresholds &thresholds, const RecorderClock::FallbackZone &zone);

    // Takes in the clips of `index` that are new or changed since the last update and forgets those
    // it no longer holds. False when `cancelled` became true on the way (nothing is taken in then).
    bool update(const CardIndex &index, const std::atomic<bool> *cancelled = nullptr);

    // Every event of the card in true-time order (events without a time last, by clip and place).
    const QList<CardEvent> &events() const { return m_events; }
    EventDetection::Forward forward() const { return m_forward; }
    // Clips taken in, with telemetry or without.
    int clipCount() const { return int(m_clips.size()); }

private:
    struct ClipRecord
    {
        qint64 size = 0;
        qint64 modifiedMs = 0;
        EventDetection::LongitudinalEvidence evidence;
        QList<DrivingEvent> events; // found with m_forward, without times
    };

    ClipRecord examine(const CardIndex::Entry &entry) const;
    void collect(const CardIndex &index);

    EventThresholds m_thresholds;
    RecorderClock::FallbackZone m_zone;
    EventDetection::Forward m_forward = EventDetection::Forward::PositiveX;
    QHash<QString, ClipRecord> m_clips; // by the clip's absolute path
    QList<CardEvent> m_events;
};
