// The viewer window's playback side: opening the selected clip, the transport buttons, the update
// tick that keeps the timeline, the dashboard and the map in step, zoom, pan, rotate and mute.
#include "viewer/mainwindow.h"

#include "app/language.h"
#include "app/messages.h"
#include "app/preferences.h"
#include "catalogue/clip.h"
#include "playback/player.h"
#include "settings/configwindow.h"
#include "skin/clearbutton.h"
#include "skin/flhlp.h"
#include "telemetry/telemetrysample.h"
#include "viewer/cliplist.h"
#include "viewer/mapview.h"
#include "viewer/videoview.h"
#include "viewer/widgetprogressa.h"
#include "viewer/widgetvolume.h"

#include <QTimer>

using ViewerLayout::Button;

namespace {

bool isUsablePosition(const TelemetrySample &sample)
{
    return sample.timeMs != -1 && sample.latitude != 0 && sample.longitude != 0 && sample.latitude >= -90
           && sample.latitude <= 90 && sample.longitude >= -180 && sample.longitude <= 180;
}

} // namespace

void MainWindow::openClip(Clip *clip)
{
    const bool opened = m_view1->openClip(clip);
    m_dashboard->setDateText(clip->displayDate());
    m_dashboard->setClipPath(clip->file().filePath());
    Player *player = m_view1->player();
    m_view1->setVideoSize(player->videoSize(0));
    if (opened) {
        m_player = player;
        m_view2->setSecondChannelPlayer(player);
        m_view2->setVideoVisible(false);
        m_view2->setVideoVisible(true);
        m_view2->setVideoSize(player->videoSize(1));
        player->setRate(1.0);
        OnSlotsstopF();
    }
    switchLayout(1);
    m_frontBig = true;
    if (opened) {
        updateClipInformation(clip);
        m_layoutMode = 1;
    } else {
        m_view1->close();
        m_view2->close();
        warn(Messages::viewerTitle(), Messages::openClipFailed());
    }
}

void MainWindow::resetViewer()
{
    OnSlotsstop();
    m_view1->close();
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
        Clip *clip = MyListWidget::clipOf(current);
        if (!clip) {
            // A file added with the open-file button: the window keeps a clip for it.
            const QString path = MyListWidget::looseFileOf(current);
            m_looseClip = path.isEmpty() ? nullptr : std::make_unique<Clip>(QFileInfo(path));
            clip = m_looseClip.get();
        }
        if (clip)
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
    const bool loose = clip == m_looseClip.get();
    if (clip->kind() != Clip::Normal && clip->kind() != Clip::Event && !m_catalogue && !loose)
        return;
    const int row = m_clipList->rowOf(clip);
    if (row >= 0 && row != m_clipList->currentRow())
        m_clipList->setCurrentRow(row);
    showProgressData();
}

void MainWindow::showProgressData()
{
    if (m_player && m_player->clip())
        m_dashboard->loadTrack(m_player->lengthMs());
    else
        m_dashboard->clearTrack();
}

void MainWindow::showInformation(long long duration, long long position)
{
    m_dashboard->setTimeRange(0, int(duration));
    m_dashboard->setTimePosition(int(position));
}

void MainWindow::playSelectClip(int row)
{
    m_clipList->setCurrentRow(row);
}

int MainWindow::playNextClip(int direction)
{
    if (!m_clipList)
        return -1;
    const int n = m_clipList->count();
    const int r = m_clipList->currentRow();
    if (n <= 1)
        return -1;
    const int next = direction > 0 ? (r < n - 1 ? r + 1 : 0) : (r > 0 ? r - 1 : n - 1);
    m_clipList->setCurrentRow(next);
    return next;
}

void MainWindow::setPlaying(bool playing)
{
    m_playing = playing;
    m_buttons[Button::Play]->setVisible(!playing);
    m_buttons[Button::Pause]->setVisible(playing);
    if (playing)
        m_dashboard->setDashboardEnabled(true);
    else
        m_dashboard->stopAnimation();
    m_buttons[Button::SwapViews]->setEnabled(m_player && m_player->channelCount() == 2);
}

void MainWindow::OnSlotsplay()
{
    if (m_player)
        m_player->play();
    setPlaying(true);
    m_updateTimer->start(100);
}

void MainWindow::OnSlotspause()
{
    if (m_player)
        m_player->pause();
    setPlaying(false);
}

void MainWindow::OnSlotsstop()
{
    m_view1->zoomBy(0);
    m_view2->zoomBy(0);
    OnZoomWinMode(false);
    if (m_player) {
        m_player->stop();
        m_player->rewind();
        m_player->pause();
    }
    setPlaying(false);
    m_dashboard->setDashboardEnabled(false);
    m_dashboard->setTimePosition(0);
}

void MainWindow::OnSlotsstopF()
{
    if (m_player) {
        m_player->stop();
        m_player->rewind();
        m_player->pause();
    }
    setPlaying(false);
}

void MainWindow::OnSlotsrw()
{
    if (!m_player)
        return;
    m_player->pause();
    m_player->stepBackward();
    setPlaying(false);
    OnTimeoutRefreshMapB();
    m_dashboard->setTimePosition(int(m_player->positionMs()));
}

void MainWindow::OnSlotsfw()
{
    if (!m_player)
        return;
    m_player->pause();
    m_player->stepForward();
    setPlaying(false);
    OnTimeoutRefreshMapB();
    m_dashboard->setTimePosition(int(m_player->positionMs()));
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
    if (m_player)
        m_player->seekMs(position);
    OnTimeoutRefreshMapB();
}

void MainWindow::OnTimeoutUpdate()
{
    OnTimeoutRefreshMap();
    if (!m_player || !m_player->clip()) {
        showInformation(0, 0);
        return;
    }
    const qint64 duration = m_player->lengthMs();
    const qint64 position = std::min(m_player->positionMs(), duration);
    showInformation(duration, position);
    if (position == duration && duration > 0) {
        if (playNextClip(+1) == -1)
            OnSlotsstopF();
        else
            OnSlotsplay();
    }
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
    if (fromTimer && !m_playing) {
        m_updateTimer->stop();
        return;
    }
    const TelemetrySample sample = m_dashboard->sampleAt(m_player ? int(m_player->positionMs()) : 0);
    if (isUsablePosition(sample)) {
        m_mapPane->setMapShown(true);
        m_mapPane->setPosition(sample.latitude, sample.longitude);
        m_dashboard->setSpeed(sample.speedKmh);
    } else {
        m_mapPane->setMapShown(!m_dashboard->noPositionInClip());
    }
}

VideoView *MainWindow::zoomTarget() const
{
    if (m_view1->width() == 640 || (m_maximized && m_layoutMode == 1))
        return m_view1;
    return m_view2;
}

void MainWindow::OnSlotszoom_in()
{
    zoomTarget()->zoomBy(+1);
}

void MainWindow::OnSlotszoom_out()
{
    zoomTarget()->zoomBy(-1);
}

void MainWindow::OnSlotszoom_win()
{
    zoomTarget()->zoomBy(0);
}

void MainWindow::OnSlotspan()
{
    OnZoomWinMode(!m_panMode);
}

void MainWindow::OnZoomWinMode(bool on)
{
    m_panMode = on;
    m_buttons[Button::Pan]->setHighlighted(on);
    m_mover->setMovable(!on && !m_maximized);
    m_clipList->setEnabled(!on);
    m_mapPane->setEnabled(!on);
    m_view1->setPanEnabled(on);
    m_view2->setPanEnabled(on);
}

void MainWindow::OnSlotsrotate()
{
    if (!m_player)
        return;
    m_player->rotate(180);
    m_view1->setVideoVisible(true);
    if (m_player->channelCount() > 1)
        m_view2->setVideoVisible(true);
    if (!m_playing)
        OnSlotsfw();
}

void MainWindow::OnSlotsvolume()
{
    const bool wasOn = m_volumeSlider->isEnabled();
    m_volumeSlider->setSoundOn(!wasOn);
    m_volumeSlider->setEnabled(!wasOn);
    m_buttons[Button::Volume]->setHighlighted(!m_volumeSlider->isEnabled());
}

void MainWindow::OnSlotssetting()
{
    OnSlotspause();
    ConfigWindow dialog(this);
    dialog.returnToSuite = false;
    dialog.viewerSpeedUnit = m_dashboard->speedUnitKm() ? 1 : 2;
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool km = dialog.viewerSpeedUnit == 1;
    m_dashboard->setSpeedUnitKm(km);
    storeSpeedUnit(km ? QStringLiteral("km") : QStringLiteral("mph"));
    applyTexts();
}
