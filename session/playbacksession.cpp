#include "session/playbacksession.h"

#include "catalogue/clip.h"
#include "session/viewerstate.h"

#include <algorithm>
#include <limits>

PlaybackSession::PlaybackSession(ViewerState &state, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_player(std::make_unique<Player>(Player::Options{this, true}))
{
    // player -> session: the open's answer and what happens while playing.
    connect(m_player.get(), &Player::opened, this, &PlaybackSession::onOpened);
    connect(m_player.get(), &Player::failed, this, &PlaybackSession::onOpenFailed);
    connect(m_player.get(), &Player::errorOccurred, this, &PlaybackSession::onError);
    connect(m_player.get(), &Player::endOfStream, this, &PlaybackSession::ended);
    connect(&m_track, &TelemetryTrack::trackChanged, this, &PlaybackSession::trackChanged);
    m_ticker.setInterval(kPositionIntervalMs);
    // The tick after playback stopped still reports where it stopped, then the timer rests.
    connect(&m_ticker, &QTimer::timeout, this, [this] {
        emitPosition();
        if (!m_playing)
            m_ticker.stop();
    });
    m_scrubTimer.setSingleShot(true);
    m_scrubTimer.setInterval(kScrubIntervalMs);
    connect(&m_scrubTimer, &QTimer::timeout, this, &PlaybackSession::sendScrub);
}

PlaybackSession::~PlaybackSession()
{
    m_outputs[0] = m_outputs[1] = nullptr;
    m_player.reset();
}

void PlaybackSession::setOutput(int channel, VideoOutput *output)
{
    m_outputs[channel == 1 ? 1 : 0] = output;
}

void PlaybackSession::setDisplaySize(int channel, const QSize &size)
{
    m_player->setDisplaySize(channel, size);
}

void PlaybackSession::open(Clip *clip)
{
    if (!clip)
        return;
    cancelScrub();
    m_clip = clip;
    m_open = false;
    m_playWhenOpened = false;
    setFacts(PlaybackFacts());
    m_track.clearTrack();
    m_player->open(clip);
}

void PlaybackSession::close()
{
    cancelScrub();
    m_player->close();
    m_clip = nullptr;
    m_open = false;
    m_playWhenOpened = false;
    setFacts(PlaybackFacts());
    m_track.clearTrack();
}

// Rate 1, stopped on the first picture, the telemetry on its way; then the window takes the clip
// over, and playback starts when it was asked for while the clip was opening. A clip that stays
// paused shows its first picture afresh once that has been shown: it is then a plain paused
// picture, like one paused by hand (the views mark only the first picture of an open as loading,
// and a picture arriving before the first was taken would only replace it).
void PlaybackSession::onOpened()
{
    Clip *clip = m_clip;
    m_open = true;
    setFacts(m_player->facts());
    m_player->setRate(1.0);
    if (m_rate != 1.0) {
        m_rate = 1.0;
        applyVolume();
        m_state.setRate(m_rate);
        emit rateChanged(m_rate);
    }
    m_player->stop();
    m_player->rewind();
    m_player->pause();
    setPlaying(false);
    m_track.setClipPath(clip->file().filePath());
    m_track.startLoading(m_player->lengthMs());
    emit opened(clip);
    if (m_clip != clip || !m_open)
        return; // the window moved on while taking the clip over
    emitPosition();
    if (m_playWhenOpened) {
        m_playWhenOpened = false;
        play();
    } else if (m_firstPictureShown) {
        m_player->seekMs(0);
    } else {
        m_restPending = true;
    }
}

void PlaybackSession::onOpenFailed(const QString &reason)
{
    Clip *clip = m_clip;
    m_clip = nullptr;
    m_open = false;
    m_playWhenOpened = false;
    setPlaying(false);
    emit openFailed(clip, reason, m_player->status().missingPlugins);
}

void PlaybackSession::onError(const QString &reason)
{
    setPlaying(false);
    emit failed(reason);
}

void PlaybackSession::play()
{
    m_restPending = false;
    // A clip stopped by an error has lost its pipeline: open it again.
    if (m_open && m_player->status().broken)
        open(m_clip);
    if (isOpening())
        m_playWhenOpened = true;
    else if (m_open)
        m_player->play();
    setPlaying(true);
    m_ticker.start();
}

void PlaybackSession::pause()
{
    m_playWhenOpened = false;
    if (m_open)
        m_player->pause();
    setPlaying(false);
}

void PlaybackSession::stop()
{
    cancelScrub();
    m_restPending = false; // the picture asked for replaces the first one
    m_playWhenOpened = false;
    if (m_open) {
        m_player->stop();
        m_player->rewind();
        m_player->pause();
    }
    setPlaying(false);
}

// A step while the clip is still opening keeps it paused when it opens.
void PlaybackSession::step(int direction)
{
    if (!m_clip)
        return;
    m_restPending = false;
    m_playWhenOpened = false;
    cancelScrub();
    if (m_open) {
        m_player->pause();
        m_player->step(direction);
    }
    setPlaying(false);
}

void PlaybackSession::seek(qint64 positionMs)
{
    m_restPending = false; // the picture asked for replaces the first one
    cancelScrub();
    if (m_open)
        m_player->seekMs(positionMs);
}

void PlaybackSession::scrub(qint64 positionMs)
{
    if (!m_open)
        return;
    m_restPending = false;
    m_scrubTarget = std::max<qint64>(0, positionMs);
    if (!m_scrubTimer.isActive())
        sendScrub();
}

void PlaybackSession::cancelScrub()
{
    m_scrubTarget = -1;
    m_scrubTimer.stop();
}

// The newest scrub position goes to the player; the next one waits for the interval to pass.
void PlaybackSession::sendScrub()
{
    if (m_scrubTarget < 0 || !m_open)
        return;
    m_player->seekMs(m_scrubTarget, Player::SeekAccuracy::KeyFrame);
    m_scrubTarget = -1;
    m_scrubTimer.start();
}

bool PlaybackSession::setRate(double rate)
{
    if (!m_open || !m_player->setRate(rate))
        return false;
    if (rate != m_rate) {
        m_rate = rate;
        applyVolume();
        m_state.setRate(rate);
        emit rateChanged(rate);
    }
    return true;
}

void PlaybackSession::setVolume(double volume)
{
    m_volume = volume;
    applyVolume();
}

void PlaybackSession::applyVolume()
{
    m_player->setVolume(m_rate == 1.0 ? m_volume : 0.0);
}

void PlaybackSession::rotate(int degrees)
{
    int angle = m_rotation + degrees;
    if (angle < -359 || angle > 359)
        angle %= 360; // keeps the sign
    if (angle == m_rotation)
        return;
    m_rotation = angle;
    emit rotationChanged(angle);
}

QImage PlaybackSession::grabFrame(int channel)
{
    return m_open ? m_player->grabFrame(channel) : QImage();
}

qint64 PlaybackSession::position() const
{
    return m_open ? m_player->positionMs() : 0;
}

qint64 PlaybackSession::length() const
{
    return m_open ? m_player->lengthMs() : 0;
}

Player::Status PlaybackSession::engineStatus() const
{
    return m_player->status();
}

std::optional<TelemetrySample> PlaybackSession::sampleAt(qint64 positionMs)
{
    if (!m_track.trackReady())
        return std::nullopt;
    return m_track.sampleAt(qint32(std::clamp<qint64>(positionMs, -1, std::numeric_limits<qint32>::max())));
}

const QList<double> &PlaybackSession::rates()
{
    static const QList<double> speeds = {0.25, 0.5, 1.0, 2.0, 4.0};
    return speeds;
}

// From a speed between the steps, the next step in that direction.
double PlaybackSession::steppedRate(double current, int direction)
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

// The player's pictures go on to the outputs; a picture that comes to rest (paused) tells where
// the clip is.
void PlaybackSession::presentPicture(int channel, const QImage &picture, quint64 serial)
{
    if (VideoOutput *output = m_outputs[channel == 1 ? 1 : 0])
        output->presentPicture(channel, picture, serial);
    if (channel != 0)
        return;
    m_firstPictureShown = true;
    if (m_restPending) {
        m_restPending = false;
        m_player->seekMs(0);
    } else if (m_open && !m_playing) {
        emitPosition();
    }
}

void PlaybackSession::resetPictures(bool opening)
{
    m_firstPictureShown = false;
    m_restPending = false;
    for (VideoOutput *output : m_outputs) {
        if (output)
            output->resetPictures(opening);
    }
}

void PlaybackSession::setPlaying(bool playing)
{
    m_playing = playing;
    m_state.setPlaying(playing);
    emit playingChanged(playing);
}

void PlaybackSession::setFacts(const PlaybackFacts &facts)
{
    m_facts = facts;
    m_state.setChannelCount(facts.channelCount);
}

void PlaybackSession::emitPosition()
{
    emit positionChanged(position(), length());
}
