// The viewer window's playback side: the clip a list row opens, the transport buttons, and the
// update tick that keeps the timeline, the dashboard and the map in step. The playback controller
// does the opening and the transport; this side keeps the panes in step with what it reports.
#include "viewer/mainwindow.h"

#include "base/messages.h"
#include "catalogue/clip.h"
#include "playback/player.h"
#include "session/cliplibrary.h"
#include "session/viewerstate.h"
#include "telemetry/telemetrysample.h"
#include "viewer/cliplist.h"
#include "viewer/mapview.h"
#include "viewer/playbackcontroller.h"
#include "viewer/videoview.h"
#include "viewer/widgetprogressa.h"

namespace {

bool isUsablePosition(const TelemetrySample &sample)
{
    return sample.timeMs != -1 && sample.latitude != 0 && sample.longitude != 0 && sample.latitude >= -90
           && sample.latitude <= 90 && sample.longitude >= -180 && sample.longitude <= 180;
}

} // namespace

// controller -> window: every answer the controller gives is shown here.
void MainWindow::setupPlaybackConnections()
{
    connect(m_playback, &PlaybackController::opened, this, &MainWindow::onClipOpened);
    connect(m_playback, &PlaybackController::openFailed, this, &MainWindow::onClipOpenFailed);
    connect(m_playback, &PlaybackController::playbackFailed, this, &MainWindow::onPlaybackFailed);
    connect(m_playback, &PlaybackController::playingChanged, this, &MainWindow::setPlaying);
    connect(m_playback, &PlaybackController::tick, this, &MainWindow::OnTimeoutUpdate);
    connect(m_playback, &PlaybackController::pausedPictureShown, this, &MainWindow::showPausedPosition);
    connect(m_playback, &PlaybackController::clipEnded, this, &MainWindow::onClipEnded);
    connect(m_playback, &PlaybackController::rateChanged, m_dashboard, &WidgetProgressA::setPlaybackRate);
    connect(m_playback, &PlaybackController::rateChanged, m_state, &ViewerState::setRate);
}

void MainWindow::openClip(Clip *clip)
{
    m_playback->open(clip);
}

// The clip opened on view 1 (the controller has given both views their channels and stopped it
// on its first picture): the dashboard, the layout and the list follow.
void MainWindow::onClipOpened(Clip *clip)
{
    m_dashboard->setDateText(clip->displayDate());
    m_dashboard->setClipPath(clip->file().filePath());
    switchLayout(1);
    m_state->setChannelCount(player()->channelCount());
    updateClipInformation(clip);
    // The clip's length shows at once, also when it is paused before the first tick.
    if (Player *player = m_playback->player())
        showInformation(player->lengthMs(), 0);
}

// The player has logged the reason; the user is told, with what is missing when that is the cause.
void MainWindow::onClipOpenFailed(Clip *clip, const QString &, const QStringList &missing)
{
    if (clip) {
        m_dashboard->setDateText(clip->displayDate());
        m_dashboard->setClipPath(clip->file().filePath());
    }
    m_view1->setVideoSize(QSize(0, 0));
    switchLayout(1);
    m_view1->close();
    m_view2->close();
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
    m_playback->close();
    m_dashboard->setTimeRange(0, 0);
    m_dashboard->setTimePosition(0);
    m_dashboard->resetDashboard();
    OnZoomWinMode(false);
}

void MainWindow::OnSlotsselectFile(QListWidgetItem *current, QListWidgetItem *)
{
    resetViewer();
    if (current) {
        m_dashboard->clearTrack();
        if (Clip *clip = MyListWidget::clipOf(current))
            openClip(clip);
    }
    OnSlotsplay();
}

bool MainWindow::updatePlayingInformation(Player *player)
{
    if (!player || !player->clip())
        return false;
    return player->isStopped() || player->isPaused() || player->isRunning();
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

// The clip's telemetry is read on a worker thread; the dashboard shows it when it arrives.
void MainWindow::showProgressData()
{
    Player *player = m_playback->player();
    if (player && player->clip())
        m_dashboard->loadTrack(player->lengthMs());
    else
        m_dashboard->clearTrack();
}

void MainWindow::showInformation(long long duration, long long position)
{
    m_dashboard->setTimeRange(0, int(duration));
    m_dashboard->setTimePosition(int(position));
}

// Every change of the playing state comes here from the controller.
void MainWindow::setPlaying(bool playing)
{
    m_state->setPlaying(playing);
    if (playing)
        m_dashboard->setDashboardEnabled(true);
    else
        m_dashboard->stopAnimation();
    Player *player = m_playback->player();
    m_state->setChannelCount(player ? player->channelCount() : 0);
}

void MainWindow::OnSlotsplay()
{
    m_playback->play();
}

void MainWindow::OnSlotspause()
{
    m_playback->pause();
}

void MainWindow::OnSlotsstop()
{
    m_view1->zoomBy(0);
    m_view2->zoomBy(0);
    OnZoomWinMode(false);
    m_playback->stop();
    m_dashboard->setDashboardEnabled(false);
    m_dashboard->setTimePosition(0);
    m_dashboard->setSpeed(0);
}

void MainWindow::OnSlotsstopF()
{
    m_playback->stop();
}

void MainWindow::OnSlotsrw()
{
    if (!m_playback->player())
        return;
    m_playback->stepBackward();
    showPausedPosition();
}

void MainWindow::OnSlotsfw()
{
    if (!m_playback->player())
        return;
    m_playback->stepForward();
    showPausedPosition();
}

// The map and the timeline follow the picture shown while paused; a step or a seek lands a moment
// after it was asked for, and this runs again then.
void MainWindow::showPausedPosition()
{
    OnTimeoutRefreshMapB();
    if (Player *player = m_playback->player())
        m_dashboard->setTimePosition(int(player->positionMs()));
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
    m_playback->seek(position);
    OnTimeoutRefreshMapB();
}

void MainWindow::OnTimeoutUpdate()
{
    OnTimeoutRefreshMap();
    Player *player = m_playback->player();
    if (!player || !player->clip()) {
        showInformation(0, 0);
        return;
    }
    const qint64 duration = player->lengthMs();
    showInformation(duration, std::min(player->positionMs(), duration));
}

// The end of the clip: the next row plays, or a single clip stops on its first picture.
void MainWindow::onClipEnded()
{
    if (Player *player = m_playback->player())
        showInformation(player->lengthMs(), player->lengthMs());
    if (playNextClip(+1) == -1)
        OnSlotsstopF();
    else
        OnSlotsplay();
}

void MainWindow::OnTimeoutRefreshMap()
{
    refreshMap(true);
}

void MainWindow::OnTimeoutRefreshMapB()
{
    refreshMap(false);
}

void MainWindow::refreshMap(bool fromTimer)
{
    if (fromTimer && !m_playback->isPlaying())
        return;
    Player *player = m_playback->player();
    const TelemetrySample sample = m_dashboard->sampleAt(player ? int(player->positionMs()) : 0);
    if (isUsablePosition(sample)) {
        m_mapPane->setMapShown(true);
        m_mapPane->setPosition(sample.latitude, sample.longitude);
        m_dashboard->setSpeed(sample.speedKmh);
    } else {
        m_mapPane->setMapShown(!m_dashboard->noPositionInClip());
    }
}
