// The viewer window's trips: the card of every folder read is indexed in the background, the trip
// view (T, the trip button) lists its drives, and what plays goes on when the view changes.
#include "viewer/mainwindow.h"

#include "base/messages.h"
#include "catalogue/clip.h"
#include "session/cliplibrary.h"
#include "session/playbacksession.h"
#include "session/triplibrary.h"
#include "session/viewerstate.h"
#include "viewer/cliplist.h"
#include "viewer/cliplistpane.h"
#include "viewer/playbacknotice.h"
#include "viewer/playbackpanes.h"
#include "viewer/viewerlayout.h"

void MainWindow::setupTripConnections()
{
    m_notice = new PlaybackNotice(this);
    m_panes->setTrips(m_trips);
    // library -> trips: every folder read with clips is indexed off the GUI thread.
    connect(m_library, &ClipLibrary::scanFinished, this, [this](int, bool hasClips) {
        if (hasClips)
            m_trips->setFolder(m_state->folder());
    });
    // trips -> playback: a trip's clips are let go before they go; the trip that plays takes every
    // newer reading of the card, and the clock note follows it.
    connect(m_trips, &TripLibrary::aboutToReset, this, [this] {
        if (m_session->isTrip())
            resetViewer();
    });
    connect(m_trips, &TripLibrary::tripsChanged, this, &MainWindow::onTripsChanged);
    // list side and session -> window: a choice that needs the clips, a clip passed over.
    connect(m_listPane, &ClipListPane::clipListWanted, this, [this] {
        if (m_state->isTripView())
            toggleTripView();
    });
    connect(m_session, &PlaybackSession::clipSkipped, this,
            [this](Clip *clip, const QString &) { showNotice(Messages::clipSkipped(clip->file().fileName())); });
}

void MainWindow::onTripsChanged()
{
    if (!m_awaitedTripOf.isEmpty()) {
        const Clip *shown = m_session->isOpen() && !m_session->isTrip() ? m_session->clip() : nullptr;
        if (!m_state->isTripView() || !shown || shown->file().absoluteFilePath() != m_awaitedTripOf)
            m_awaitedTripOf.clear();
        else if (m_trips->tripOf(m_awaitedTripOf) >= 0)
            continueAsTrip(m_awaitedTripOf, m_session->clipPosition(), m_state->isPlaying());
    }
    if (m_session->isTrip() && m_session->clip()) {
        const int trip = m_trips->tripOf(m_session->clip()->file().absoluteFilePath());
        if (trip >= 0)
            m_session->updateTrip(m_trips->plan(trip));
    }
    m_panes->showClockNote();
}

void MainWindow::toggleTripView()
{
    m_awaitedTripOf.clear();
    const Clip *shown = m_session->isOpen() ? m_session->clip() : nullptr;
    const QString path = shown ? shown->file().absoluteFilePath() : QString();
    const qint64 at = m_session->clipPosition();
    const bool playing = m_state->isPlaying();
    m_state->setTripView(!m_state->isTripView()); // the list shows the rows of the new view
    if (path.isEmpty())
        return;
    if (m_state->isTripView())
        continueAsTrip(path, at, playing);
    else
        continueAsClip(path, at, playing);
}

// The clip on screen goes on where it is, now as part of its trip; while the card's index does
// not know the clip yet, as soon as it does.
void MainWindow::continueAsTrip(const QString &path, qint64 clipPositionMs, bool playing)
{
    const int trip = m_trips->tripOf(path);
    m_listPane->selectTripRow(trip);
    m_awaitedTripOf = trip < 0 && m_trips->isReading() ? path : QString();
    if (trip < 0 || m_session->isTrip())
        return;
    const TripPlan plan = m_trips->plan(trip);
    qint64 offset = 0;
    for (const TripPlan::Part &part : plan.parts) {
        if (part.clip->file().absoluteFilePath() == path)
            offset = part.offsetMs;
    }
    resetViewer();
    m_session->openTrip(plan, offset + clipPositionMs);
    if (playing)
        OnSlotsplay();
}

// The trip's clip on screen goes on where it is as a clip of the list (when the list holds it).
void MainWindow::continueAsClip(const QString &path, qint64 clipPositionMs, bool playing)
{
    m_listPane->selectClipRow(path);
    Clip *listed = MyListWidget::clipOf(m_clipList->currentItem());
    if (!m_session->isTrip() || !listed)
        return;
    resetViewer();
    m_session->open(listed, clipPositionMs);
    if (playing)
        OnSlotsplay();
}

void MainWindow::showNotice(const QString &text)
{
    m_notice->showText(text, ViewerLayout::largeViewRect(width(), height()));
}
