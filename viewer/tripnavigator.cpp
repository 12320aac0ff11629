#include "viewer/tripnavigator.h"

#include "base/messages.h"
#include "catalogue/clip.h"
#include "session/playbacksession.h"
#include "session/triplibrary.h"
#include "session/viewerstate.h"
#include "viewer/cliplist.h"
#include "viewer/cliplistpane.h"
#include "viewer/mainwindow.h"
#include "viewer/playbacknotice.h"
#include "viewer/playbackpanes.h"
#include "viewer/viewerlayout.h"

TripNavigator::TripNavigator(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
    , m_notice(new PlaybackNotice(parts.window))
{
    parts.panes->setTrips(parts.trips);
    // trips -> playback: a trip's clips are let go before they go; the trip that plays takes every
    // newer reading of the card, and the clock note follows it.
    connect(parts.trips, &TripLibrary::aboutToReset, this, [this] {
        if (m_parts.session->isTrip())
            m_parts.window->resetViewer();
    });
    connect(parts.trips, &TripLibrary::tripsChanged, this, &TripNavigator::onTripsChanged);
    // list side -> view: a choice that needs the clips shows them; a row chosen ends the wait for
    // the trip of the clip that played.
    connect(parts.listPane, &ClipListPane::clipListWanted, this, [this] {
        if (m_parts.state->isTripView())
            toggle();
    });
    connect(parts.list, &QListWidget::currentItemChanged, this, [this] { m_awaitedTripOf.clear(); });
    // session -> notice: a clip of the trip passed over.
    connect(parts.session, &PlaybackSession::clipSkipped, this, [this](Clip *clip) { showSkipped(clip); });
}

void TripNavigator::showSkipped(const Clip *clip)
{
    const MainWindow &window = *m_parts.window;
    m_notice->showText(Messages::clipSkipped(clip->file().fileName()),
                       ViewerLayout::largeViewRect(window.width(), window.height()));
}

void TripNavigator::onTripsChanged()
{
    PlaybackSession &session = *m_parts.session;
    if (!m_awaitedTripOf.isEmpty()) {
        const Clip *shown = session.isOpen() && !session.isTrip() ? session.clip() : nullptr;
        if (!m_parts.state->isTripView() || !shown || shown->file().absoluteFilePath() != m_awaitedTripOf)
            m_awaitedTripOf.clear();
        else if (m_parts.trips->tripOf(m_awaitedTripOf) >= 0)
            continueAsTrip(m_awaitedTripOf, session.clipPosition(), m_parts.state->isPlaying());
    }
    if (session.isTrip() && session.clip()) {
        const int trip = m_parts.trips->tripOf(session.clip()->file().absoluteFilePath());
        if (trip >= 0)
            session.updateTrip(m_parts.trips->plan(trip));
    }
    m_parts.panes->showClockNote();
}

void TripNavigator::toggle()
{
    m_awaitedTripOf.clear();
    const Clip *shown = m_parts.session->isOpen() ? m_parts.session->clip() : nullptr;
    const QString path = shown ? shown->file().absoluteFilePath() : QString();
    const qint64 at = m_parts.session->clipPosition();
    const bool playing = m_parts.state->isPlaying();
    m_parts.state->setTripView(!m_parts.state->isTripView()); // the list shows the rows of the new view
    if (path.isEmpty())
        return;
    if (m_parts.state->isTripView())
        continueAsTrip(path, at, playing);
    else
        continueAsClip(path, at, playing);
}

// The clip on screen goes on where it is, now as part of its trip; while the card's index does
// not know the clip yet, as soon as it does.
void TripNavigator::continueAsTrip(const QString &path, qint64 clipPositionMs, bool playing)
{
    const int trip = m_parts.trips->tripOf(path);
    m_parts.listPane->selectTripRow(trip);
    m_awaitedTripOf = trip < 0 && m_parts.trips->isReading() ? path : QString();
    if (trip < 0 || m_parts.session->isTrip())
        return;
    const TripPlan plan = m_parts.trips->plan(trip);
    qint64 offset = 0;
    for (const TripPlan::Part &part : plan.parts) {
        if (part.clip->file().absoluteFilePath() == path)
            offset = part.offsetMs;
    }
    m_parts.window->resetViewer();
    m_parts.session->openTrip(plan, offset + clipPositionMs);
    if (playing)
        m_parts.window->OnSlotsplay();
}

// The trip's clip on screen goes on where it is as a clip of the list (when the list holds it).
void TripNavigator::continueAsClip(const QString &path, qint64 clipPositionMs, bool playing)
{
    m_parts.listPane->selectClipRow(path);
    Clip *listed = MyListWidget::clipOf(m_parts.list->currentItem());
    if (!m_parts.session->isTrip() || !listed)
        return;
    m_parts.window->resetViewer();
    m_parts.session->open(listed, clipPositionMs);
    if (playing)
        m_parts.window->OnSlotsplay();
}
