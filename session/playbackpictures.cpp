// The pictures of the playback session: what the two players decode goes on to the views (the
// standby's kept until it takes over), and scrubbing along the timeline shows key frames.
#include "session/playbacksession.h"

#include <algorithm>

// The pictures of the player on screen go on to the outputs; a picture that comes to rest (paused)
// tells where the clip is. The standby's pictures are kept until it takes over.
void PlaybackSession::takePicture(int slot, int channel, const QImage &picture, quint64)
{
    const int c = channel == 1 ? 1 : 0;
    if (slot != m_active) {
        m_held[c] = picture;
        return;
    }
    forwardPicture(c, picture);
    if (c != 0)
        return;
    m_firstPictureShown = true;
    if (m_restPending) {
        m_restPending = false;
        player().seekMs(0);
    } else if (m_open && !m_playing) {
        emitPosition();
    }
}

void PlaybackSession::forwardPicture(int channel, const QImage &picture)
{
    ++m_serials[channel];
    if (VideoOutput *output = m_outputs[channel])
        output->presentPicture(channel, picture, m_serials[channel]);
}

// Only a new clip or trip, or the end of one, starts the views afresh: while another clip of the
// trip opens, the last picture stays (with its zoom) until the next one replaces it.
void PlaybackSession::takeReset(int slot, bool opening)
{
    if (slot != m_active) {
        m_held[0] = m_held[1] = QImage();
        return;
    }
    if (m_switching)
        return;
    m_firstPictureShown = false;
    m_restPending = false;
    m_serials[0] = m_serials[1] = 0;
    for (VideoOutput *output : m_outputs) {
        if (output)
            output->resetPictures(opening);
    }
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

// The newest scrub position goes to the player; the next one waits for the interval to pass. In a
// trip a position in another clip of it opens that clip there.
void PlaybackSession::sendScrub()
{
    if (m_scrubTarget < 0 || !m_open)
        return;
    const qint64 target = m_scrubTarget;
    m_scrubTarget = -1;
    m_scrubTimer.start();
    const TripPlan::Place place = m_isTrip ? m_plan.placeOf(target) : TripPlan::Place{m_index, target};
    if (place.part == m_index && !m_switching)
        player().seekMs(place.positionMs, Player::SeekAccuracy::KeyFrame);
    else
        moveTo(place.part, place.positionMs, m_playing);
}
