#include "viewer/eventnavigator.h"

#include "catalogue/clip.h"
#include "catalogue/cliplistfilter.h"
#include "session/cliplibrary.h"
#include "session/eventfinder.h"
#include "session/playbacksession.h"
#include "session/triplibrary.h"
#include "session/viewerstate.h"
#include "viewer/cliplist.h"
#include "viewer/dashboardgeometry.h"
#include "viewer/eventslist.h"
#include "viewer/mainwindow.h"
#include "viewer/widgetprogressa.h"

#include <QFileInfo>
#include <QMetaObject>

#include <algorithm>
#include <cstdlib>

namespace {

// A position this close to where the last jump landed still counts as that event: a picture a
// little off the asked position, or half a second of playing, must not make N find it again.
constexpr qint64 kSamePlaceMs = 750;

qint64 landingOf(const DrivingEvent &event)
{
    return std::max<qint64>(0, event.offsetMs - EventNavigator::kLeadInMs);
}

QString pathOf(const Clip *clip)
{
    return clip ? clip->file().absoluteFilePath() : QString();
}

} // namespace

EventNavigator::EventNavigator(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
{
    // finder, session -> timeline: the open clip's events are marked as they are found.
    connect(parts.finder, &EventFinder::eventsChanged, this, [this] {
        m_last = Place(); // the events' numbers may have changed
        showMarks();
        refreshList(true);
    });
    connect(parts.finder, &EventFinder::progressed, this, [this] { refreshList(false); });
    connect(parts.finder, &EventFinder::finished, this, [this] { refreshList(false); });
    connect(parts.session, &PlaybackSession::opened, this, [this](Clip *clip) {
        showMarks();
        seekWhenOpened(clip);
    });
    connect(parts.session, &PlaybackSession::openFailed, this, [this] { m_pending = Place(); });
    connect(parts.session, &PlaybackSession::trackChanged, this, &EventNavigator::showMarks);
    // library, trips -> navigator: the clips about to go are forgotten.
    const auto forget = [this] {
        m_last = Place();
        m_pending = Place();
    };
    connect(parts.library, &ClipLibrary::aboutToReset, this, forget);
    // library -> finder and trips: a folder read with clips has its card read once for both; after
    // one without, nothing is left to look at.
    connect(parts.library, &ClipLibrary::scanFinished, this, [this](int, bool hasClips) {
        const QString folder = hasClips ? m_parts.state->folder() : QString();
        if (folder.isEmpty())
            m_parts.finder->clear();
        m_parts.trips->follow(folder, folder.isEmpty() ? 0 : m_parts.finder->start(folder));
    });
    connect(parts.trips, &TripLibrary::aboutToReset, this, forget);
    connect(parts.state, &ViewerState::speedUnitChanged, this, [this](bool km) {
        if (m_list)
            m_list->setSpeedUnitKm(km);
    });
}

bool EventNavigator::jump(int direction)
{
    const int row = currentRow();
    const int count = rowCount();
    if (row >= 0) {
        const QList<DrivingEvent> events = eventsOfRow(row);
        const int event = nextInClip(events, row, direction);
        if (event >= 0) {
            goTo(row, event, landingOf(events.at(event)), false);
            return true;
        }
    }
    for (int next = row + (direction > 0 ? 1 : -1); next >= 0 && next < count; next += direction > 0 ? 1 : -1) {
        const QList<DrivingEvent> events = eventsOfRow(next);
        if (!events.isEmpty()) {
            const int event = direction > 0 ? 0 : int(events.size()) - 1;
            goTo(next, event, landingOf(events.at(event)), false);
            return true;
        }
    }
    return false;
}

// The event of the clip in `row` to go to from where playback is; -1 when the clip has none that
// way. Just after a jump the event it landed before is the one to move on from.
int EventNavigator::nextInClip(const QList<DrivingEvent> &events, int row, int direction) const
{
    const qint64 position = currentPosition();
    int event = -1;
    if (m_last.row == rowKey(row) && m_last.event >= 0 && std::abs(position - m_last.positionMs) <= kSamePlaceMs) {
        event = m_last.event + (direction > 0 ? 1 : -1);
    } else if (direction > 0) {
        const auto it = std::find_if(events.cbegin(), events.cend(),
                                     [position](const DrivingEvent &e) { return landingOf(e) > position; });
        event = int(it - events.cbegin());
    } else {
        const auto it = std::find_if(events.crbegin(), events.crend(), [position](const DrivingEvent &e) {
            return landingOf(e) < position - kSamePlaceMs;
        });
        event = int(events.crend() - it) - 1;
    }
    return event >= 0 && event < events.size() ? event : -1;
}

void EventNavigator::showList(const QString &clipPath)
{
    if (!m_list) {
        m_list = new EventsList(m_parts.window);
        m_list->setSpeedUnitKm(m_parts.state->speedUnitKm());
        connect(m_list, &EventsList::chosen, this, &EventNavigator::play);
        refreshList(true);
    }
    if (!clipPath.isEmpty())
        m_list->selectClip(QFileInfo(clipPath).absoluteFilePath());
    m_list->show();
    m_list->raise();
    m_list->activateWindow();
}

bool EventNavigator::play(const DrivingEvent &event)
{
    int row = rowOfPath(event.clip);
    if (row < 0 && !byTrips() && m_parts.state->category() != ClipListFilter::AllCategories)
        m_parts.window->OnSlotsfile_sortAll();
    if (row < 0 && !byTrips() && m_parts.state->filter() != ClipListFilter::AllCauses)
        m_parts.window->OnSlotsfile_filterA();
    if (row < 0)
        row = rowOfPath(event.clip);
    if (row < 0)
        return false;
    const DrivingEvent placed = placedInRow(row, event);
    const QList<DrivingEvent> events = eventsOfRow(row);
    // The events of a drive's event clips are not among the drive's own (they repeat what its
    // normal clips hold): there is no next one to count on from.
    const auto it = std::find(events.cbegin(), events.cend(), placed);
    if (it == events.cend() && !byTrips())
        return false;
    goTo(row, it == events.cend() ? -1 : int(it - events.cbegin()), landingOf(placed), true);
    return true;
}

EventsList *EventNavigator::list() const
{
    return m_list;
}

void EventNavigator::applyTexts()
{
    if (m_list)
        m_list->applyTexts();
}

// Where playback is; for a clip still opening after a jump, where that jump will land.
qint64 EventNavigator::currentPosition() const
{
    const Clip *clip = m_parts.session->clip();
    if (clip && !m_pending.row.isEmpty() && keyOf(clip) == m_pending.row)
        return m_pending.positionMs;
    return m_parts.session->isOpen() ? m_parts.session->position() : 0;
}

// Lands at `landing` before event `event` of `row`: a seek in what is open, or the row opened with
// the seek once it is open. It plays from there with `play`, otherwise as playback was going.
void EventNavigator::goTo(int row, int event, qint64 landing, bool play)
{
    const QString key = rowKey(row);
    const QString open = keyOf(m_parts.session->clip());
    // A clip still opening after a jump plays as that jump asked.
    const bool playing = !m_pending.row.isEmpty() && m_pending.row == open ? m_pending.play : m_parts.state->isPlaying();
    m_last = {key, event, landing, play || playing};
    if (open == key) {
        if (m_parts.session->isOpen()) {
            m_parts.window->OnSlotsProgress(int(landing));
            if (play)
                m_parts.window->OnSlotsplay();
        } else {
            m_pending = m_last;
        }
        return;
    }
    // Opening a row plays it; a jump made while paused pauses it again before the seek.
    m_pending = m_last;
    if (m_parts.list->currentRow() == row)
        m_parts.window->OnSlotsselectFile(m_parts.list->item(row), nullptr); // listed but not open
    else
        m_parts.list->setCurrentRow(row);
}

// The window takes an opened clip over first (and starts it playing): the seek follows after that.
void EventNavigator::seekWhenOpened(const Clip *clip)
{
    const QString key = keyOf(clip);
    if (key.isEmpty() || key != m_pending.row)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, key] {
            if (m_pending.row != key || keyOf(m_parts.session->clip()) != key || !m_parts.session->isOpen())
                return;
            if (!m_pending.play)
                m_parts.window->OnSlotspause();
            m_parts.window->OnSlotsProgress(int(m_pending.positionMs));
            if (m_pending.play)
                m_parts.window->OnSlotsplay();
            m_pending = Place();
        },
        Qt::QueuedConnection);
}

// The marks lie on the time line of what plays: a clip's, or a drive's.
void EventNavigator::showMarks()
{
    const Clip *clip = m_parts.session->clip();
    const QList<DrivingEvent> events = m_parts.session->isTrip() && clip
                                           ? eventsOfTrip(m_parts.trips->tripOf(pathOf(clip)))
                                           : m_parts.finder->clipEvents(pathOf(clip));
    QList<Dashboard::EventMark> marks;
    for (const DrivingEvent &event : events)
        marks.append({event.offsetMs, event.durationMs, event.kind});
    m_parts.dashboard->setEventMarks(marks);
}

void EventNavigator::refreshList(bool eventsToo)
{
    if (!m_list)
        return;
    const EventFinder &finder = *m_parts.finder;
    if (eventsToo)
        m_list->setEvents(finder.events());
    m_list->setProgress(!finder.folder().isEmpty(), finder.isFinding(), finder.clipsRead(), finder.clipCount());
}
