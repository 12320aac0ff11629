// The viewer window's playback side: the clip a list row opens, the transport buttons, and the
// panes that follow the session's position (timeline, dashboard, map). The playback session does
// the opening and the transport; this side keeps the panes in step with what it reports.
#include "viewer/mainwindow.h"

#include "base/messages.h"
#include "catalogue/clip.h"
#include "session/cliplibrary.h"
#include "session/playbacksession.h"
#include "session/viewerstate.h"
#include "telemetry/telemetrysample.h"
#include "telemetry/telemetrytrack.h"
#include "viewer/cliplist.h"
#include "viewer/mapview.h"
#include "viewer/videoview.h"
#include "viewer/widgetprogressa.h"

// session -> window: every answer the session gives is shown here; views <-> session: pictures,
// their drawn sizes and their rotation.
void MainWindow::setupPlaybackConnections()
{
    m_view1->showChannel(m_session, 0);
    m_view2->showChannel(m_session, 1);
    m_dashboard->followTrack(&m_session->track());
    m_mapPane->followTrack(&m_session->track());
    connect(m_session, &PlaybackSession::opened, this, &MainWindow::onClipOpened);
    connect(m_session, &PlaybackSession::openFailed, this, &MainWindow::onClipOpenFailed);
    connect(m_session, &PlaybackSession::failed, this, &MainWindow::onPlaybackFailed);
    connect(m_session, &PlaybackSession::playingChanged, this, &MainWindow::setPlaying);
    connect(m_session, &PlaybackSession::positionChanged, this, &MainWindow::showPosition);
    connect(m_session, &PlaybackSession::ended, this, &MainWindow::onClipEnded);
    connect(m_session, &PlaybackSession::rateChanged, m_dashboard, &WidgetProgressA::setPlaybackRate);
    // A paused picture takes its telemetry once the track has been read.
    connect(m_session, &PlaybackSession::trackChanged, this, [this] {
        const TelemetryTrack &track = m_session->track();
        if (!m_state->isPlaying() && !track.isLoading() && !track.samples().isEmpty())
            OnTimeoutRefreshMapB();
    });
}

void MainWindow::openClip(Clip *clip)
{
    m_session->open(clip);
}

// The clip opened, paused on its first picture: both views take its channels, and the dashboard,
// the layout and the list follow.
void MainWindow::onClipOpened(Clip *clip)
{
    m_view1->setVideoSize(m_session->facts().videoSize(0));
    m_view2->setVideoVisible(false);
    m_view2->setVideoVisible(true);
    m_view2->setVideoSize(m_session->facts().videoSize(1));
    m_dashboard->setDateText(clip->displayDate());
    m_dashboard->setClipPath(clip->file().filePath());
    switchLayout(1);
    updateClipInformation(clip);
}

// The session has logged the reason; the user is told, with what is missing when that is the cause.
void MainWindow::onClipOpenFailed(Clip *clip, const QString &, const QStringList &missing)
{
    if (clip) {
        m_dashboard->setDateText(clip->displayDate());
        m_dashboard->setClipPath(clip->file().filePath());
    }
    m_view1->setVideoSize(QSize(0, 0));
    switchLayout(1);
    m_session->close();
    // Nothing of an earlier clip stays on the map: the marker goes back to the default position.
    m_mapPane->setPosition(0, 0);
    m_mapPane->setMapShown(false);
    QString text = Messages::openClipFailed();
    if (!missing.isEmpty())
        text += QLatin1String("\n\n") + Messages::missingPlugins(missing);
    warn(Messages::viewerTitle(), text);
}

// An error stopped the clip while it played: the window is left stopped, and Play opens it again.
void MainWindow::onPlaybackFailed(const QString &reason)
{
    m_dashboard->setDashboardEnabled(false);
    warn(Messages::viewerTitle(), Messages::openClipFailed() + QLatin1String("\n\n") + reason);
}

void MainWindow::resetViewer()
{
    OnSlotsstop();
    m_session->close();
    m_dashboard->setTimeRange(0, 0);
    m_dashboard->setTimePosition(0);
    m_dashboard->resetDashboard();
    OnZoomWinMode(false);
}

void MainWindow::OnSlotsselectFile(QListWidgetItem *current, QListWidgetItem *)
{
    resetViewer();
    if (current) {
        if (Clip *clip = MyListWidget::clipOf(current))
            openClip(clip);
    }
    OnSlotsplay();
}

// Whether the session has a clip open (also one an error stopped), not one still opening.
bool MainWindow::updatePlayingInformation()
{
    return m_session->isOpen();
}

void MainWindow::updateClipInformation(const Clip *clip)
{
    if (!clip)
        return;
    if (clip->kind() != Clip::Normal && clip->kind() != Clip::Event && !m_library->entries().contains(clip))
        return;
    const int row = m_clipList->rowOf(clip);
    if (row >= 0 && row != m_clipList->currentRow())
        m_clipList->setCurrentRow(row);
    showProgressData();
}

// The panes show the telemetry of the moment on screen (the session reads the clip's track).
void MainWindow::showProgressData()
{
    OnTimeoutRefreshMapB();
}

void MainWindow::showInformation(long long duration, long long position)
{
    m_dashboard->setTimeRange(0, int(duration));
    m_dashboard->setTimePosition(int(position));
}

// The timeline, the dashboard and the map follow the session's position: 10 times a second while
// playing, and once whenever a picture comes to rest.
void MainWindow::showPosition(qint64 positionMs, qint64 lengthMs)
{
    showInformation(lengthMs, std::min(positionMs, lengthMs));
    showSampleAt(positionMs);
}

// Every change of the playing state comes here from the session (which writes it into the state).
void MainWindow::setPlaying(bool playing)
{
    if (playing)
        m_dashboard->setDashboardEnabled(true);
    else
        m_dashboard->stopAnimation();
}

void MainWindow::OnSlotsplay()
{
    m_session->play();
}

void MainWindow::OnSlotspause()
{
    m_session->pause();
}

void MainWindow::OnSlotsstop()
{
    m_view1->zoomBy(0);
    m_view2->zoomBy(0);
    OnZoomWinMode(false);
    m_session->stop();
    m_dashboard->setDashboardEnabled(false);
    m_dashboard->setTimePosition(0);
    m_dashboard->setSpeed(0);
}

void MainWindow::OnSlotsstopF()
{
    m_session->stop();
}

// Frame steps: the panes follow when the stepped picture is shown (positionChanged).
void MainWindow::OnSlotsrw()
{
    m_session->step(-1);
}

void MainWindow::OnSlotsfw()
{
    m_session->step(+1);
}

void MainWindow::OnSlotspre_file()
{
    playNextClip(-1);
}

void MainWindow::OnSlotsnext_file()
{
    playNextClip(+1);
}

void MainWindow::OnSlotsProgress(int position)
{
    m_dashboard->setTimePosition(position);
    m_session->seek(position);
    OnTimeoutRefreshMapB();
}

void MainWindow::OnTimeoutUpdate()
{
    showPosition(m_session->position(), m_session->length());
}

// The end of the clip: the next row plays, or a single clip stops on its first picture.
void MainWindow::onClipEnded()
{
    showInformation(m_session->length(), m_session->length());
    if (playNextClip(+1) == -1)
        OnSlotsstopF();
    else
        OnSlotsplay();
}

void MainWindow::OnTimeoutRefreshMap()
{
    if (m_state->isPlaying())
        showSampleAt(m_session->position());
}

void MainWindow::OnTimeoutRefreshMapB()
{
    showSampleAt(m_session->position());
}

// The telemetry sample of a position goes to the dashboard (accelerations, coordinates, speed) and
// the map (marker); a moment without a usable position keeps the map only where the clip has some.
void MainWindow::showSampleAt(qint64 positionMs)
{
    const std::optional<TelemetrySample> found = m_session->sampleAt(positionMs);
    if (found)
        m_dashboard->showSample(*found);
    const TelemetrySample sample = found.value_or(TelemetrySample());
    if (sample.hasUsablePosition()) {
        m_mapPane->setMapShown(true);
        m_mapPane->setPosition(sample.latitude, sample.longitude);
        m_dashboard->setSpeed(sample.speedKmh);
    } else {
        m_mapPane->setMapShown(!m_dashboard->noPositionInClip());
    }
}
