#include "viewer/eventnavigator.h"

#include "catalogue/clip.h"
#include "catalogue/cliplistfilter.h"
#include "session/cliplibrary.h"
#include "session/eventfinder.h"
#include "session/playbacksession.h"
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
    // library -> navigator: the clips about to go are forgotten.
    connect(parts.library, &ClipLibrary::aboutToReset, this, [this] {
        m_last = Place();
        m_pending = Place();
    });
    connect(parts.state, &ViewerState::speedUnitChanged, this, [this](bool km) {
        if (m_list)
            m_list->setSpeedUnitKm(km);
    });
}

bool EventNavigator::jump(int direction)
{
    const int row = currentRow();
    const int count = int(m_parts.library->entries().size());
    if (row >= 0) {
        const int event = nextInClip(eventsOfRow(row), row, direction);
        if (event >= 0) {
            goTo(row, event, false);
            return true;
        }
    }
    for (int next = row + (direction > 0 ? 1 : -1); next >= 0 && next < count; next += direction > 0 ? 1 : -1) {
        const QList<DrivingEvent> events = eventsOfRow(next);
        if (!events.isEmpty()) {
            goTo(next, direction > 0 ? 0 : int(events.size()) - 1, false);
            return true;
        }
    }
    return false;
}

// The event of the clip in `row` to go to from where playback is; -1 when the clip has none that
// way. Just after a jump the event it landed before is the one to move on from.
int EventNavigator::nextInClip(const QList<DrivingEvent> &events, int row, int direction) const
{
    const Clip *clip = m_parts.library->entries().at(row);
    const qint64 position = currentPosition();
    int event = -1;
    if (m_last.clip == clip && std::abs(position - m_last.positionMs) <= kSamePlaceMs) {
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
    if (row < 0 && m_parts.state->category() != ClipListFilter::AllCategories)
        m_parts.window->OnSlotsfile_sortAll();
    if (row < 0 && m_parts.state->filter() != ClipListFilter::AllCauses)
        m_parts.window->OnSlotsfile_filterA();
    if (row < 0)
        row = rowOfPath(event.clip);
    if (row < 0)
        return false;
    const QList<DrivingEvent> events = eventsOfRow(row);
    const auto it = std::find(events.cbegin(), events.cend(), event);
    if (it == events.cend())
        return false;
    goTo(row, int(it - events.cbegin()), true);
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

QList<DrivingEvent> EventNavigator::eventsOfRow(int row) const
{
    return m_parts.finder->clipEvents(pathOf(m_parts.library->entries().value(row)));
}

// The row of the clip that plays (or is being opened), else the list's current row.
int EventNavigator::currentRow() const
{
    if (const Clip *clip = m_parts.session->clip()) {
        const int row = int(m_parts.library->entries().indexOf(clip));
        if (row >= 0)
            return row;
    }
    return m_parts.list->currentRow();
}

// Where playback is; for a clip still opening after a jump, where that jump will land.
qint64 EventNavigator::currentPosition() const
{
    const Clip *clip = m_parts.session->clip();
    if (clip && clip == m_pending.clip)
        return m_pending.positionMs;
    return m_parts.session->isOpen() ? m_parts.session->position() : 0;
}

// Lands before event `event` of the clip in `row`: a seek in the open clip, or the row opened with
// the seek once it is open. It plays from there with `play`, otherwise as playback was going.
void EventNavigator::goTo(int row, int event, bool play)
{
    Clip *clip = m_parts.library->entries().at(row);
    const qint64 landing = landingOf(eventsOfRow(row).at(event));
    // A clip still opening after a jump plays as that jump asked.
    const bool playing = m_pending.clip && m_pending.clip == m_parts.session->clip() ? m_pending.play
                                                                                      : m_parts.state->isPlaying();
    m_last = {clip, event, landing, play || playing};
    if (m_parts.session->clip() == clip) {
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
    if (!clip || clip != m_pending.clip)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, clip] {
            if (m_pending.clip != clip || m_parts.session->clip() != clip || !m_parts.session->isOpen())
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

void EventNavigator::showMarks()
{
    QList<Dashboard::EventMark> marks;
    for (const DrivingEvent &event : m_parts.finder->clipEvents(pathOf(m_parts.session->clip())))
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

int EventNavigator::rowOfPath(const QString &path) const
{
    const QList<Clip *> &entries = m_parts.library->entries();
    for (int row = 0; row < entries.size(); ++row) {
        if (pathOf(entries.at(row)) == path)
            return row;
    }
    return -1;
}
