#include "viewer/playbackcontroller.h"

#include "playback/player.h"
#include "viewer/videoview.h"

PlaybackController::PlaybackController(VideoView *view1, VideoView *view2, QObject *parent)
    : QObject(parent)
    , m_view1(view1)
    , m_view2(view2)
{
    Player *player = view1->player();
    // view 1 -> controller: the open's answer; player -> controller: what happens while playing.
    connect(view1, &VideoView::fileOpened, this, &PlaybackController::onOpened);
    connect(view1, &VideoView::openFailed, this, &PlaybackController::onOpenFailed);
    connect(player, &Player::errorOccurred, this, &PlaybackController::onError);
    connect(player, &Player::endOfStream, this, &PlaybackController::clipEnded);
    connect(player, &Player::pictureShown, this, [this](int channel) {
        if (channel == 0 && !m_playing && openPlayer())
            emit pausedPictureShown();
    });
    m_updateTimer.setInterval(kUpdateIntervalMs);
    // The tick after playback stopped still reports where it stopped, then the timer rests.
    connect(&m_updateTimer, &QTimer::timeout, this, [this] {
        emit tick();
        if (!m_playing)
            m_updateTimer.stop();
    });
}

bool PlaybackController::isOpening() const
{
    return m_view1->isOpening();
}

// The player when it has a clip open.
Player *PlaybackController::openPlayer() const
{
    return m_player && m_player->clip() ? m_player : nullptr;
}

void PlaybackController::open(Clip *clip)
{
    if (!clip)
        return;
    m_clip = clip;
    m_playWhenOpened = false;
    m_view1->openClip(clip);
}

void PlaybackController::close()
{
    m_view1->close();
    m_clip = nullptr;
    m_playWhenOpened = false;
}

// Both views take the clip's channels, rate 1, stopped on the first picture; then the window takes
// the clip over, and playback starts when it was asked for while the clip was opening.
void PlaybackController::onOpened()
{
    m_player = m_view1->player();
    m_view1->setVideoSize(m_player->videoSize(0));
    m_view2->setSecondChannelPlayer(m_player);
    m_view2->setVideoVisible(false);
    m_view2->setVideoVisible(true);
    m_view2->setVideoSize(m_player->videoSize(1));
    m_player->setRate(1.0);
    if (m_rate != 1.0) {
        m_rate = 1.0;
        applyVolume();
        emit rateChanged(m_rate);
    }
    m_player->stop();
    m_player->rewind();
    m_player->pause();
    setPlaying(false);
    emit opened(m_clip);
    if (m_playWhenOpened) {
        m_playWhenOpened = false;
        play();
    }
}

void PlaybackController::onOpenFailed(const QString &reason)
{
    Clip *clip = m_clip;
    m_clip = nullptr;
    m_playWhenOpened = false;
    setPlaying(false);
    emit openFailed(clip, reason, m_view1->player()->missingPlugins());
}

void PlaybackController::onError(const QString &reason)
{
    setPlaying(false);
    emit playbackFailed(reason);
}

void PlaybackController::play()
{
    // A clip stopped by an error has lost its pipeline: open it again.
    if (m_clip && !isOpening() && m_view1->player()->isBroken()) {
        Clip *clip = m_clip;
        open(clip);
    }
    if (isOpening())
        m_playWhenOpened = true;
    else if (m_player)
        m_player->play();
    setPlaying(true);
    m_updateTimer.start();
}

void PlaybackController::pause()
{
    m_playWhenOpened = false;
    if (m_player)
        m_player->pause();
    setPlaying(false);
}

void PlaybackController::stop()
{
    m_playWhenOpened = false;
    if (m_player) {
        m_player->stop();
        m_player->rewind();
        m_player->pause();
    }
    setPlaying(false);
}

void PlaybackController::stepBackward()
{
    if (!m_player)
        return;
    m_player->pause();
    m_player->stepBackward();
    setPlaying(false);
}

void PlaybackController::stepForward()
{
    if (!m_player)
        return;
    m_player->pause();
    m_player->stepForward();
    setPlaying(false);
}

void PlaybackController::seek(qint64 positionMs)
{
    if (m_player)
        m_player->seekMs(positionMs);
}

void PlaybackController::setVolume(double volume)
{
    m_volume = volume;
    applyVolume();
}

void PlaybackController::applyVolume()
{
    m_view1->player()->setVolume(m_rate == 1.0 ? m_volume : 0.0);
}

bool PlaybackController::setRate(double rate)
{
    Player *player = openPlayer();
    if (!player || isOpening() || !player->setRate(rate))
        return false;
    if (rate != m_rate) {
        m_rate = rate;
        applyVolume();
        emit rateChanged(m_rate);
    }
    return true;
}

const QList<double> &PlaybackController::rates()
{
    static const QList<double> speeds = {0.25, 0.5, 1.0, 2.0, 4.0};
    return speeds;
}

// From a speed between the steps, the next step in that direction.
double PlaybackController::steppedRate(double current, int direction)
{
    const QList<double> &speeds = rates();
    if (direction > 0) {
        for (double speed : speeds) {
            if (speed > current)
                return speed;
        }
        return speeds.last();
    }
    for (auto it = speeds.crbegin(); it != speeds.crend(); ++it) {
        if (*it < current)
            return *it;
    }
    return speeds.first();
}

void PlaybackController::setPlaying(bool playing)
{
    m_playing = playing;
    emit playingChanged(playing);
}
