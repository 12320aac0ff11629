// The rows of the clip list as the event navigator goes through them: the listed clips, each with
// its own events, or in the trip view the drives, each with its clips' events on its time line.
#include "viewer/eventnavigator.h"

#include "catalogue/clip.h"
#include "session/cliplibrary.h"
#include "session/eventfinder.h"
#include "session/playbacksession.h"
#include "session/triplibrary.h"
#include "session/viewerstate.h"
#include "viewer/cliplist.h"

#include <QFileInfo>

namespace {

QString pathOf(const Clip *clip)
{
    return clip ? clip->file().absoluteFilePath() : QString();
}

// Where the clip at `path` starts on the drive's time line (its normal clips and its event clips);
// nothing when it is not part of the drive.
std::optional<qint64> offsetInTrip(const Trip &trip, const QString &path)
{
    for (const QList<TripClip> *clips : {&trip.clips, &trip.events}) {
        for (const TripClip &part : *clips) {
            if (part.clip.path == path)
                return part.offsetMs;
        }
    }
    return std::nullopt;
}

} // namespace

bool EventNavigator::byTrips() const
{
    return m_parts.state->isTripView();
}

int EventNavigator::rowCount() const
{
    return int(byTrips() ? m_parts.trips->trips().size() : m_parts.library->entries().size());
}

// A row by the path of its clip, or of its drive's first clip.
QString EventNavigator::rowKey(int row) const
{
    if (row < 0 || row >= rowCount())
        return QString();
    return byTrips() ? m_parts.trips->trips().at(row).clips.first().clip.path
                     : pathOf(m_parts.library->entries().at(row));
}

// The row that `clip` opened as (empty for none): its own, or in the trip view that of the drive
// that plays.
QString EventNavigator::keyOf(const Clip *clip) const
{
    if (!clip || !byTrips())
        return pathOf(clip);
    return m_parts.session->isTrip() ? rowKey(m_parts.trips->tripOf(pathOf(clip))) : QString();
}

QList<DrivingEvent> EventNavigator::eventsOfRow(int row) const
{
    if (byTrips())
        return eventsOfTrip(row);
    return m_parts.finder->clipEvents(pathOf(m_parts.library->entries().value(row)));
}

// The events of the drive's normal clips one after another, on the drive's time line.
QList<DrivingEvent> EventNavigator::eventsOfTrip(int trip) const
{
    QList<DrivingEvent> events;
    if (trip < 0 || trip >= m_parts.trips->trips().size())
        return events;
    for (const TripClip &part : m_parts.trips->trips().at(trip).clips) {
        for (DrivingEvent event : m_parts.finder->clipEvents(part.clip.path)) {
            event.offsetMs += part.offsetMs;
            events.append(event);
        }
    }
    return events;
}

int EventNavigator::rowOfPath(const QString &path) const
{
    if (byTrips()) {
        const QList<Trip> &trips = m_parts.trips->trips();
        for (int row = 0; row < trips.size(); ++row) {
            if (offsetInTrip(trips.at(row), path))
                return row;
        }
        return -1;
    }
    const QList<Clip *> &entries = m_parts.library->entries();
    for (int row = 0; row < entries.size(); ++row) {
        if (pathOf(entries.at(row)) == path)
            return row;
    }
    return -1;
}

// `event` of the clip it was found in, on the time line of `row` (a drive that holds that clip).
DrivingEvent EventNavigator::placedInRow(int row, const DrivingEvent &event) const
{
    DrivingEvent placed = event;
    if (byTrips() && row >= 0 && row < m_parts.trips->trips().size())
        placed.offsetMs += offsetInTrip(m_parts.trips->trips().at(row), event.clip).value_or(0);
    return placed;
}

// The row of the clip that plays (or is being opened), else the list's current row.
int EventNavigator::currentRow() const
{
    if (const Clip *clip = m_parts.session->clip()) {
        const int row = byTrips() ? m_parts.trips->tripOf(pathOf(clip))
                                  : int(m_parts.library->entries().indexOf(clip));
        if (row >= 0)
            return row;
    }
    const int listed = m_parts.list->currentRow();
    return listed < rowCount() ? listed : -1;
}
