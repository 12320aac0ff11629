// Opening and transport of the playback session; its pictures and scrubbing are in
// playbackpictures.cpp, the clips of a trip one after another in playbacksequence.cpp.
#include "session/playbacksession.h"

#include "catalogue/clip.h"
#include "session/viewerstate.h"

#include <algorithm>
#include <limits>

// Hands a player's pictures to the session, saying which player they come from.
class PlaybackSession::Relay : public VideoOutput
{
public:
    Relay(PlaybackSession &session, int slot) : m_session(session), m_slot(slot) {}
    void presentPicture(int channel, const QImage &picture, quint64 serial) override
    {
        m_session.takePicture(m_slot, channel, picture, serial);
    }
    void resetPictures(bool opening) override { m_session.takeReset(m_slot, opening); }

private:
    PlaybackSession &m_session;
    int m_slot;
};

PlaybackSession::PlaybackSession(ViewerState &state, QObject *parent)
    : QObject(parent)
    , m_state(state)
{
    for (int slot = 0; slot < 2; ++slot) {
        m_relays[slot] = std::make_unique<Relay>(*this, slot);
        m_players[slot] = std::make_unique<Player>(Player::Options{m_relays[slot].get(), true});
        Player *p = m_players[slot].get();
        // players -> session: the open's answer and what happens while playing.
        connect(p, &Player::opened, this, [this, slot] { onOpened(slot); });
        connect(p, &Player::failed, this, [this, slot](const QString &why) { onOpenFailed(slot, why); });
        connect(p, &Player::errorOccurred, this, [this, slot](const QString &why) { onError(slot, why); });
        connect(p, &Player::endOfStream, this, [this, slot] { onEnded(slot); });
    }
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
    for (auto &p : m_players)
        p.reset();
}

void PlaybackSession::setOutput(int channel, VideoOutput *output)
{
    m_outputs[channel == 1 ? 1 : 0] = output;
}

void PlaybackSession::setDisplaySize(int channel, const QSize &size)
{
    for (auto &p : m_players)
        p->setDisplaySize(channel, size);
}

void PlaybackSession::open(Clip *clip, qint64 startMs)
{
    if (!clip)
        return;
    TripPlan single;
    single.parts = {{clip, 0, 0}};
    start(single, false, startMs);
}

void PlaybackSession::openTrip(const TripPlan &plan, qint64 startMs)
{
    if (!plan.parts.isEmpty())
        start(plan, true, startMs);
}

void PlaybackSession::start(const TripPlan &plan, bool trip, qint64 startMs)
{
    cancelScrub();
    dropStandby();
    m_plan = plan;
    m_isTrip = trip;
    m_skipped.clear();
    const TripPlan::Place place = trip ? plan.placeOf(startMs) : TripPlan::Place{0, std::max<qint64>(0, startMs)};
    m_index = place.part;
    m_pendingMs = place.positionMs;
    m_clip = m_plan.parts.at(m_index).clip;
    m_open = false;
    m_switching = false;
    m_playWhenOpened = false;
    setFacts(PlaybackFacts());
    m_track.clearTrack();
    player().open(m_clip);
}

void PlaybackSession::close()
{
    cancelScrub();
    dropStandby();
    player().close();
    m_clip = nullptr;
    m_open = false;
    m_switching = false;
    m_isTrip = false;
    m_plan = TripPlan();
    m_playWhenOpened = false;
    setFacts(PlaybackFacts());
    m_track.clearTrack();
}

void PlaybackSession::onOpened(int slot)
{
    if (slot != m_active)
        onStandbyOpened();
    else if (m_switching)
        onSwitched();
    else
        finishFirstOpen();
}

// Stopped on the first picture at the chosen speed, the telemetry on its way; then the window takes
// the clip over, and playback starts when it was asked for while the clip was opening. A clip that
// stays paused shows its first picture afresh once that has been shown: it is then a plain paused
// picture, like one paused by hand (the views mark only the first picture of an open as loading,
// and a picture arriving before the first was taken would only replace it).
void PlaybackSession::finishFirstOpen()
{
    Clip *clip = m_clip;
    m_open = true;
    setFacts(player().facts());
    player().stop();
    player().rewind();
    player().pause();
    applyRate(player());
    setPlaying(false);
    if (m_isTrip) {
        m_track.setSamples(m_plan.samples);
    } else {
        m_track.setClipPath(clip->file().filePath());
        m_track.startLoading(player().lengthMs());
    }
    const qint64 startAt = m_pendingMs;
    m_pendingMs = 0;
    emit opened(clip);
    if (m_clip != clip || !m_open || m_switching)
        return; // the window moved on while taking the clip over
    if (startAt > 0)
        player().seekMs(startAt);
    emitPosition();
    if (m_playWhenOpened) {
        m_playWhenOpened = false;
        play();
    } else if (startAt > 0) {
        // the picture asked for replaces the first one
    } else if (m_firstPictureShown) {
        player().seekMs(0);
    } else {
        m_restPending = true;
    }
    prepareStandby();
}

void PlaybackSession::onOpenFailed(int slot, const QString &reason)
{
    if (slot != m_active) {
        onStandbyFailed(reason);
        return;
    }
    if (m_isTrip && playablePart(m_index + 1, +1) >= 0) {
        skipFailed(reason);
        return;
    }
    Clip *clip = m_clip;
    const bool wasOpen = m_open;
    m_clip = nullptr;
    m_open = false;
    m_switching = false;
    m_playWhenOpened = false;
    setPlaying(false);
    if (wasOpen && m_isTrip) {
        // The trip's last clips cannot be played: it has come to its end.
        emit clipSkipped(clip, reason);
        emit ended();
        return;
    }
    emit openFailed(clip, reason, player().status().missingPlugins);
}

void PlaybackSession::onError(int slot, const QString &reason)
{
    if (slot != m_active) {
        onStandbyFailed(reason);
        return;
    }
    setPlaying(false);
    emit failed(reason);
}

void PlaybackSession::play()
{
    m_restPending = false;
    // A clip stopped by an error has lost its pipeline: open it again (a trip from that clip on).
    if (m_open && !m_switching && player().status().broken)
        start(m_plan, m_isTrip, m_plan.parts.at(m_index).offsetMs);
    if (isOpening())
        m_playWhenOpened = true;
    else if (m_open)
        player().play();
    setPlaying(true);
    m_ticker.start();
}

void PlaybackSession::pause()
{
    m_playWhenOpened = false;
    if (m_open && !m_switching)
        player().pause();
    setPlaying(false);
}

void PlaybackSession::stop()
{
    cancelScrub();
    m_restPending = false; // the picture asked for replaces the first one
    m_playWhenOpened = false;
    if (m_isTrip && m_open && m_index != playablePart(0, +1)) {
        moveTo(playablePart(0, +1), 0, false);
    } else if (m_open && !m_switching) {
        player().stop();
        player().rewind();
        player().pause();
    } else if (m_switching) {
        m_pendingMs = 0;
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
    if (m_open && !m_switching && !stepAcross(direction)) {
        player().pause();
        player().step(direction);
    }
    setPlaying(false);
}

void PlaybackSession::seek(qint64 positionMs)
{
    m_restPending = false; // the picture asked for replaces the first one
    cancelScrub();
    if (!m_isTrip) {
        if (m_open)
            player().seekMs(positionMs);
        return;
    }
    if (!m_open) {
        const bool play = m_playWhenOpened;
        start(m_plan, true, positionMs);
        m_playWhenOpened = play;
        return;
    }
    const TripPlan::Place place = m_plan.placeOf(positionMs);
    moveTo(place.part, place.positionMs, m_playing);
}

bool PlaybackSession::setRate(double rate)
{
    if (!m_open || m_switching || !player().setRate(rate))
        return false;
    if (rate != m_rate) {
        m_rate = rate;
        applyVolume();
        m_state.setRate(rate);
        emit rateChanged(rate);
    }
    if (m_standby.ready)
        standby().setRate(rate);
    return true;
}

// The chosen speed and the sound level that goes with it, on a player that has just opened.
void PlaybackSession::applyRate(Player &target)
{
    if (m_rate != 1.0 && !target.setRate(m_rate)) {
        // A clip that refuses the speed plays at the normal one.
        m_rate = 1.0;
        m_state.setRate(1.0);
        emit rateChanged(1.0);
    }
    applyVolume();
}

void PlaybackSession::setVolume(double volume)
{
    m_volume = volume;
    applyVolume();
}

void PlaybackSession::applyVolume()
{
    for (auto &p : m_players)
        p->setVolume(effectiveVolume());
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
    return m_open && !m_switching ? player().grabFrame(channel) : QImage();
}

qint64 PlaybackSession::clipPosition() const
{
    if (!m_open)
        return 0;
    if (m_switching)
        return std::max<qint64>(0, m_pendingMs);
    return player().positionMs();
}

qint64 PlaybackSession::position() const
{
    if (!m_isTrip || !m_open)
        return clipPosition();
    const TripPlan::Part &part = m_plan.parts.at(m_index);
    return part.offsetMs + std::min(clipPosition(), part.lengthMs);
}

qint64 PlaybackSession::length() const
{
    if (!m_open)
        return 0;
    return m_isTrip ? m_plan.lengthMs : player().lengthMs();
}

Player::Status PlaybackSession::engineStatus() const
{
    return player().status();
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
