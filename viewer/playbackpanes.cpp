#include "viewer/playbackpanes.h"

#include "base/messages.h"
#include "catalogue/clip.h"
#include "session/playbacksession.h"
#include "session/viewerstate.h"
#include "telemetry/telemetrysample.h"
#include "telemetry/telemetrytrack.h"
#include "viewer/mapview.h"
#include "viewer/videoview.h"
#include "viewer/viewarrangement.h"
#include "viewer/widgetprogressa.h"

#include <algorithm>

// session -> panes: pictures go straight to the views; every answer of the session is shown here.
PlaybackPanes::PlaybackPanes(PlaybackSession *session, ViewerState *state, const Panes &panes, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_state(state)
    , m_panes(panes)
{
    m_panes.view1->showChannel(session, 0);
    m_panes.view2->showChannel(session, 1);
    m_panes.dashboard->followTrack(&session->track());
    m_panes.map->followTrack(&session->track());
    connect(session, &PlaybackSession::opened, this, &PlaybackPanes::onOpened);
    connect(session, &PlaybackSession::openFailed, this, &PlaybackPanes::onOpenFailed);
    connect(session, &PlaybackSession::failed, this, &PlaybackPanes::onFailed);
    connect(session, &PlaybackSession::playingChanged, this, &PlaybackPanes::onPlayingChanged);
    connect(session, &PlaybackSession::positionChanged, this, [this](qint64 position, qint64 length) {
        showTime(length, std::min(position, length));
        showSampleAt(position);
    });
    connect(session, &PlaybackSession::rateChanged, m_panes.dashboard, &WidgetProgressA::setPlaybackRate);
    connect(session, &PlaybackSession::trackChanged, this, &PlaybackPanes::onTrackChanged);
}

// The clip opened, paused on its first picture: both views take its channels, the front one large.
void PlaybackPanes::onOpened(Clip *clip)
{
    m_panes.view1->setVideoSize(m_session->facts().videoSize(0));
    m_panes.view2->setVideoVisible(false);
    m_panes.view2->setVideoVisible(true);
    m_panes.view2->setVideoSize(m_session->facts().videoSize(1));
    showClip(clip);
    m_panes.views->showLarge(0);
}

// The session has logged the reason; the user is told, with what is missing when that is the cause.
void PlaybackPanes::onOpenFailed(Clip *clip, const QString &, const QStringList &missing)
{
    if (clip)
        showClip(clip);
    m_panes.view1->setVideoSize(QSize(0, 0));
    m_panes.views->showLarge(0);
    m_session->close();
    // Nothing of an earlier clip stays on the map: the marker goes back to the default position.
    m_panes.map->setPosition(0, 0);
    m_panes.map->setMapShown(false);
    QString text = Messages::openClipFailed();
    if (!missing.isEmpty())
        text += QLatin1String("\n\n") + Messages::missingPlugins(missing);
    emit warning(text);
}

// An error stopped the clip while it played: the panes rest, and Play opens it again.
void PlaybackPanes::onFailed(const QString &reason)
{
    m_panes.dashboard->setDashboardEnabled(false);
    emit warning(Messages::openClipFailed() + QLatin1String("\n\n") + reason);
}

void PlaybackPanes::onPlayingChanged(bool playing)
{
    if (playing)
        m_panes.dashboard->setDashboardEnabled(true);
    else
        m_panes.dashboard->stopAnimation();
}

// A paused picture takes its telemetry once the track has been read.
void PlaybackPanes::onTrackChanged()
{
    const TelemetryTrack &track = m_session->track();
    if (!m_state->isPlaying() && !track.isLoading() && !track.samples().isEmpty())
        showSampleAt(m_session->position());
}

void PlaybackPanes::showClip(const Clip *clip)
{
    m_panes.dashboard->setDateText(clip->displayDate());
    m_panes.dashboard->setClipPath(clip->file().filePath());
}

void PlaybackPanes::showTime(qint64 lengthMs, qint64 positionMs)
{
    m_panes.dashboard->setTimeRange(0, int(lengthMs));
    m_panes.dashboard->setTimePosition(int(positionMs));
}

void PlaybackPanes::showSeek(qint64 positionMs)
{
    m_panes.dashboard->setTimePosition(int(positionMs));
    showSampleAt(m_session->position());
}

// A moment without a usable position keeps the map only where the clip has some.
void PlaybackPanes::showSampleAt(qint64 positionMs)
{
    const std::optional<TelemetrySample> found = m_session->sampleAt(positionMs);
    if (found)
        m_panes.dashboard->showSample(*found);
    const TelemetrySample sample = found.value_or(TelemetrySample());
    if (sample.hasUsablePosition()) {
        m_panes.map->setMapShown(true);
        m_panes.map->setPosition(sample.latitude, sample.longitude);
        m_panes.dashboard->setSpeed(sample.speedKmh);
    } else {
        m_panes.map->setMapShown(!m_panes.dashboard->noPositionInClip());
    }
}

void PlaybackPanes::showStopped()
{
    m_panes.view1->zoomBy(0);
    m_panes.view2->zoomBy(0);
    m_panes.dashboard->setDashboardEnabled(false);
    m_panes.dashboard->setTimePosition(0);
    m_panes.dashboard->setSpeed(0);
}

void PlaybackPanes::showNothing()
{
    m_panes.dashboard->setTimeRange(0, 0);
    m_panes.dashboard->setTimePosition(0);
    m_panes.dashboard->resetDashboard();
}
