// The clips of a trip one after another: while one plays, the standby player opens the next and
// rests on its first picture; at the end of the clip on screen it takes over at once, with the
// picture it holds, so that no picture is lost between them and the sound goes on. Seeks and frame
// steps that leave the clip on screen go through the same take-over, or open the clip they land in.
#include "session/playbacksession.h"

#include "catalogue/clip.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSequence, "qrd7700.session.sequence")

// The first part from `from` on in `direction` that has not failed to open; -1 when none.
int PlaybackSession::playablePart(int from, int direction) const
{
    for (int part = from; part >= 0 && part < m_plan.parts.size(); part += direction) {
        if (!m_skipped.contains(m_plan.parts.at(part).clip))
            return part;
    }
    return -1;
}

void PlaybackSession::updateTrip(const TripPlan &plan)
{
    if (!m_isTrip || !m_clip)
        return;
    const int index = plan.indexOf(m_clip);
    if (index < 0)
        return;
    const Clip *prepared = m_standby.part >= 0 ? m_plan.parts.at(m_standby.part).clip : nullptr;
    m_plan = plan;
    m_index = index;
    if (prepared) {
        const int part = m_plan.indexOf(prepared);
        if (part == playablePart(m_index + 1, +1))
            m_standby.part = part;
        else
            dropStandby();
    }
    if (m_open)
        m_track.setSamples(m_plan.samples);
    prepareStandby();
}

// The standby opens the clip after the one on screen (while a trip is open and nothing else is
// on its way).
void PlaybackSession::prepareStandby()
{
    if (!m_isTrip || !m_open || m_switching)
        return;
    const int next = playablePart(m_index + 1, +1);
    if (next == m_standby.part)
        return;
    dropStandby();
    if (next < 0)
        return;
    m_standby.part = next;
    standby().open(m_plan.parts.at(next).clip);
}

void PlaybackSession::dropStandby()
{
    m_standby = Standby();
    m_held[0] = m_held[1] = QImage();
    standby().close();
}

// Resting on its first picture at the chosen speed, silent until it takes over.
void PlaybackSession::onStandbyOpened()
{
    if (m_standby.part < 0)
        return;
    if (m_rate != 1.0)
        standby().setRate(m_rate);
    m_standby.ready = true;
    if (m_standby.takeOver)
        takeOver(m_standby.positionMs, m_standby.play);
}

// The clip after the one on screen cannot be played: it is passed over, and the one after it
// prepared instead. When the clip on screen had already ended, the trip ends here.
void PlaybackSession::onStandbyFailed(const QString &reason)
{
    if (m_standby.part < 0)
        return;
    Clip *failed = m_plan.parts.at(m_standby.part).clip;
    const Standby was = m_standby;
    qCDebug(lcSequence) << "passing over" << failed->file().fileName() << reason;
    m_skipped.insert(failed);
    dropStandby();
    emit clipSkipped(failed, reason);
    const int next = playablePart(was.part + 1, +1);
    if (next < 0) {
        if (was.takeOver) {
            setPlaying(false);
            emit ended();
        }
        return;
    }
    if (was.takeOver) {
        moveTo(next, 0, was.play);
        return;
    }
    prepareStandby();
}

void PlaybackSession::onEnded(int slot)
{
    if (slot != m_active)
        return;
    const int next = m_isTrip ? playablePart(m_index + 1, +1) : -1;
    if (next < 0) {
        emit ended();
        return;
    }
    moveTo(next, 0, m_playing);
}

// Makes `part` the clip on screen at `positionMs`, playing or paused: the standby takes over when
// it holds that clip (at once, or as soon as it is ready); otherwise the player on screen opens it.
void PlaybackSession::moveTo(int part, qint64 positionMs, bool play)
{
    if (part < 0)
        return;
    if (part == m_index) {
        m_standby.takeOver = false; // the clip on screen stays
        if (m_switching)
            m_pendingMs = positionMs;
        else
            player().seekMs(std::max<qint64>(0, positionMs));
        return;
    }
    if (part == m_standby.part && !m_switching) {
        m_standby.positionMs = positionMs;
        m_standby.play = play;
        m_standby.takeOver = true;
        if (m_standby.ready)
            takeOver(positionMs, play);
        return;
    }
    switchTo(part, positionMs, play);
}

// The standby becomes the player on screen with the picture it rests on; the player before closes
// and prepares the next clip.
void PlaybackSession::takeOver(qint64 positionMs, bool play)
{
    const int part = m_standby.part;
    const QImage held[2] = {m_held[0], m_held[1]};
    m_standby = Standby();
    m_held[0] = m_held[1] = QImage();
    m_active = 1 - m_active;
    m_index = part;
    m_clip = m_plan.parts.at(part).clip;
    if (positionMs > 0)
        player().seekMs(positionMs);
    if (play)
        player().play();
    setFacts(player().facts());
    applyVolume();
    for (int c = 0; c < 2; ++c) {
        if (!held[c].isNull() && positionMs <= 0)
            forwardPicture(c, held[c]);
    }
    standby().close();
    emit clipChanged(m_clip);
    emitPosition();
    prepareStandby();
}

// The player on screen opens another clip of the trip; the last picture stays until the new one
// comes.
void PlaybackSession::switchTo(int part, qint64 positionMs, bool play)
{
    if (m_standby.part == part)
        dropStandby();
    m_index = part;
    m_clip = m_plan.parts.at(part).clip;
    m_switching = m_open;
    m_pendingMs = positionMs;
    m_playWhenOpened = play;
    player().open(m_clip);
}

void PlaybackSession::onSwitched()
{
    m_switching = false;
    setFacts(player().facts());
    player().pause();
    applyRate(player());
    const qint64 pending = m_pendingMs;
    m_pendingMs = 0;
    if (pending < 0)
        player().seekMs(std::max<qint64>(0, player().lengthMs() - 1)); // its last picture
    else if (pending > 0)
        player().seekMs(pending);
    emit clipChanged(m_clip);
    emitPosition();
    if (m_playWhenOpened) {
        m_playWhenOpened = false;
        player().play();
    }
    prepareStandby();
}

// The clip the player on screen was opening cannot be played: the next one is tried.
void PlaybackSession::skipFailed(const QString &reason)
{
    Clip *failed = m_clip;
    qCDebug(lcSequence) << "passing over" << failed->file().fileName() << reason;
    m_skipped.insert(failed);
    emit clipSkipped(failed, reason);
    const int next = playablePart(m_index + 1, +1);
    const bool play = m_playWhenOpened || m_playing;
    m_switching = false;
    if (m_open)
        moveTo(next, 0, play);
    else
        switchTo(next, 0, play);
}

// A frame step off either end of the clip on screen goes on in the neighbouring clip of the trip:
// forward from the last picture to the next clip's first, back from the first picture to the
// previous clip's last. Answers whether it did.
bool PlaybackSession::stepAcross(int direction)
{
    if (!m_isTrip)
        return false;
    // The picture shown, counted from 0 on the clip's frame grid (1 ms absorbs rounded times).
    const double frameMs = player().status().frameDurationMs;
    const auto pictureAt = [frameMs](qint64 ms) { return frameMs > 0 ? qint64((ms + 1) / frameMs) : 0; };
    const qint64 shown = pictureAt(player().positionMs());
    if (direction > 0 && shown >= pictureAt(player().lengthMs() - 2)) {
        const int next = playablePart(m_index + 1, +1);
        if (next < 0)
            return false;
        player().pause();
        moveTo(next, 0, false);
        return true;
    }
    if (direction < 0 && shown == 0) {
        const int previous = playablePart(m_index - 1, -1);
        if (previous < 0)
            return false;
        player().pause();
        switchTo(previous, -1, false);
        return true;
    }
    return false;
}
