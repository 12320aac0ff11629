// Transport, queries, frame capture and the display size of Player.
#include "playback/player.h"

#include "catalogue/clip.h"
#include "playback/samplegrabber_p.h"
#include "playback/videorenderer_p.h"

#include <gst/gst.h>

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMedia)

namespace {

constexpr qint64 kNsPer100ns = 100;
constexpr qint64 kNsPerMs = 1000000;

int channelIndex(int channel)
{
    return channel == 1 ? 1 : 0;
}

} // namespace

// An open clip that can take transport requests: not opening, not stopped by an error.
bool Player::isReady() const
{
    return m_pipeline && m_stage == OpenStage::Idle && m_clip && !m_broken;
}

// Asks the pipeline for `state`; a refusal by an open clip's pipeline is logged (without an open
// clip there is nothing to ask).
bool Player::changeState(int state, const char *request)
{
    if (!isReady())
        return false;
    if (gst_element_set_state(m_pipeline.get(), GstState(state)) != GST_STATE_CHANGE_FAILURE)
        return true;
    qCWarning(lcMedia) << "the pipeline refused to" << request << m_clip->file().fileName();
    return false;
}

bool Player::play()
{
    m_stateFlags = 0;
    if (!isReady())
        return false;
    // Stepping moved the pictures but not the sound: start both together from the picture shown.
    if (m_stepped)
        seekTo(shownPictureTime());
    m_pristine = false;
    m_steps[0] = m_steps[1] = {};
    return changeState(GST_STATE_PLAYING, "play");
}

bool Player::pause()
{
    m_stateFlags = 0;
    if (!changeState(GST_STATE_PAUSED, "pause"))
        return false;
    m_stateFlags = Paused;
    return true;
}

// The pipeline keeps its current picture: stopping is pausing with the stopped flag.
bool Player::stop()
{
    m_stateFlags = Stopping;
    if (!changeState(GST_STATE_PAUSED, "stop")) {
        m_stateFlags = 0;
        return false;
    }
    m_stateFlags = Stopped;
    return true;
}

bool Player::rewind()
{
    m_stateFlags = 0;
    // A clip just opened already shows its first picture: nothing to seek.
    const bool accepted = m_pristine ? isReady() : seekTo(0);
    m_stateFlags = Rewound;
    return accepted;
}

bool Player::seekMs(qint64 ms, SeekAccuracy accuracy)
{
    return seekTo(ms * kNsPerMs, accuracy);
}

bool Player::step(int direction)
{
    return direction > 0 ? stepForward() : stepBackward();
}

// Back one picture: an accurate seek into the middle of the picture before the one shown. The
// picture shown is found on the clip's frame grid (its time, or a seek target inside it).
bool Player::stepBackward()
{
    if (!isReady())
        return false;
    changeState(GST_STATE_PAUSED, "pause");
    const qint64 frame = qint64(frameDurationMs() * kNsPerMs);
    const qint64 shown = (shownPictureTime() + kNsPerMs) / frame; // 1 ms absorbs rounded times
    return seekTo(shown > 0 ? (shown - 1) * frame + frame / 2 : 0);
}

// Forward one picture: every video renderer takes exactly one more picture. A step asked for while
// another is still under way on that renderer waits for it (a second flushing step would replace
// the first), so quick clicks each count.
bool Player::stepForward()
{
    if (!isReady())
        return false;
    changeState(GST_STATE_PAUSED, "pause");
    m_stepped = true;
    m_pristine = false;
    m_atEnd = false;
    m_seekTarget = -1;
    bool accepted = true;
    for (int c = 0; c < 2; ++c) {
        if (!m_renderer[c])
            continue;
        if (m_steps[c].underWay)
            ++m_steps[c].queued;
        else
            accepted = sendStep(c) && accepted;
    }
    return accepted;
}

bool Player::sendStep(int channel)
{
    GstElement *sink = m_renderer[channel]->sink();
    m_steps[channel].underWay = gst_element_send_event(sink, gst_event_new_step(GST_FORMAT_BUFFERS, 1, 1.0, TRUE, FALSE));
    return m_steps[channel].underWay;
}

// GUI thread: the renderer `sink` has taken its stepped picture; its next queued step may go.
void Player::stepDone(GstObject *sink)
{
    for (int c = 0; c < 2; ++c) {
        if (!m_renderer[c] || GST_OBJECT(m_renderer[c]->sink()) != sink)
            continue;
        m_steps[c].underWay = false;
        if (m_steps[c].queued > 0) {
            --m_steps[c].queued;
            sendStep(c);
        }
    }
}

// An instant rate change does not take effect here; a flushing seek from where we are does.
bool Player::setRate(double rate)
{
    if (!isReady() || rate == 0.0)
        return false;
    if (rate == m_rate)
        return true;
    m_rate = rate;
    return seekTo(shownPictureTime());
}

// The position in ns, or -1 without an open clip. While a seek is still being carried out the
// pipeline cannot answer yet, and the seek's target is where it is going to be.
qint64 Player::currentPosition() const
{
    if (!isReady())
        return -1;
    GstState state = GST_STATE_NULL;
    const bool settling = gst_element_get_state(m_pipeline.get(), &state, nullptr, 0) == GST_STATE_CHANGE_ASYNC;
    gint64 position = 0;
    if ((settling && m_seekTarget >= 0) || !gst_element_query_position(m_pipeline.get(), GST_FORMAT_TIME, &position))
        return qMax<qint64>(0, m_seekTarget);
    return qMax<gint64>(0, position);
}

// Time of the picture on screen in ns: the last one decoded on channel 0, or where a seek under
// way is going.
qint64 Player::shownPictureTime() const
{
    GstState state = GST_STATE_NULL;
    const bool settling = gst_element_get_state(m_pipeline.get(), &state, nullptr, 0) == GST_STATE_CHANGE_ASYNC;
    if (settling && m_seekTarget >= 0)
        return m_seekTarget;
    const qint64 decoded = m_grabber[0] ? m_grabber[0]->lastPictureTime() : -1;
    return decoded >= 0 ? decoded : qMax<qint64>(0, currentPosition());
}

// Flushing seek at the current rate, accurate or to the nearest key frame. The stop is given explicitly so that an earlier
// reverse seek's stop position does not linger.
bool Player::seekTo(qint64 positionNs, SeekAccuracy accuracy)
{
    if (!isReady())
        return false;
    m_atEnd = false;
    m_stepped = false;
    m_pristine = false;
    m_steps[0] = m_steps[1] = {}; // a flushing seek ends every step
    const gint64 target = qMax<qint64>(0, positionNs);
    m_seekTarget = target;
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH
                                    | (accuracy == SeekAccuracy::Exact ? GST_SEEK_FLAG_ACCURATE
                                                                       : GST_SEEK_FLAG_KEY_UNIT | GST_SEEK_FLAG_SNAP_NEAREST));
    if (m_rate < 0)
        return gst_element_seek(m_pipeline.get(), m_rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, 0,
                                GST_SEEK_TYPE_SET, target);
    return gst_element_seek(m_pipeline.get(), m_rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, target,
                            GST_SEEK_TYPE_SET, gint64(GST_CLOCK_TIME_NONE));
}

bool Player::isRunning() const
{
    GstState state = GST_STATE_NULL;
    return isReady() && gst_element_get_state(m_pipeline.get(), &state, nullptr, 0) == GST_STATE_CHANGE_SUCCESS
           && state == GST_STATE_PLAYING;
}

// The longest of the video streams: a damaged index can make another stream (the sound) claim
// hours that the data does not hold. Without an answer from them, the pipeline's.
qint64 Player::lengthMs() const
{
    if (!m_pipeline || m_stage != OpenStage::Idle || m_broken)
        return 0;
    gint64 longest = -1;
    for (const auto &renderer : m_renderer) {
        gint64 duration = -1;
        if (renderer && gst_element_query_duration(renderer->sink(), GST_FORMAT_TIME, &duration))
            longest = qMax(longest, duration);
    }
    if (longest < 0 && !gst_element_query_duration(m_pipeline.get(), GST_FORMAT_TIME, &longest))
        return 0;
    return qMax<gint64>(0, longest) / kNsPerMs;
}

// Once the clip has played to its end the position is its length, which is how the viewer
// recognises the end.
qint64 Player::positionMs() const
{
    const qint64 length = lengthMs();
    if (m_atEnd)
        return length;
    const qint64 position = currentPosition();
    if (position < 0)
        return 0;
    const qint64 ms = position / kNsPerMs;
    return length > 0 ? qMin(ms, length) : ms;
}

double Player::frameDurationMs() const
{
    const qint64 ns = m_grabber[0] ? m_grabber[0]->frameDuration() : 0;
    return ns > 0 ? double(ns) / kNsPerMs : double(StepUnits * kNsPer100ns) / kNsPerMs;
}

QSize Player::decodedSize(int channel) const
{
    return m_facts.videoSize(channel);
}

QImage Player::grabFrame(int channel, bool refresh)
{
    const int c = channelIndex(channel);
    if (refresh && m_grabber[c]) {
        QImage picture = m_grabber[c]->currentPicture();
        m_frame[c] = picture.size() == decodedSize(c) ? picture : QImage();
    }
    return m_frame[c];
}

void Player::setDisplaySize(int channel, const QSize &size)
{
    m_bound[channelIndex(channel)] = size;
    updateDisplayBound(channel);
}

// The pictures are scaled in the pipeline to the box they are drawn in, never above their decoded
// size. A paused picture made for a smaller box is decoded again.
void Player::updateDisplayBound(int channel)
{
    const int c = channelIndex(channel);
    VideoRenderer *renderer = m_pipeline ? m_renderer[c].get() : nullptr;
    if (!renderer)
        return;
    const QSize decoded = decodedSize(c);
    QSize bound = m_bound[c].boundedTo(decoded);
    if (decoded.isEmpty() || bound == decoded)
        bound = QSize();
    const QSize shown = renderer->picture().size();
    if (!renderer->setDisplayBound(bound))
        return;
    const QSize wanted = bound.isEmpty() ? decoded : bound;
    if (!shown.isEmpty() && (wanted.width() > shown.width() || wanted.height() > shown.height()) && !isRunning())
        m_refresh.start();
}

// Shows the paused picture again (a seek to it), keeping what the player knows about it.
void Player::refreshPicture()
{
    if (!isReady() || isRunning())
        return;
    const bool pristine = m_pristine;
    const bool stepped = m_stepped;
    const qint64 frame = qint64(frameDurationMs() * kNsPerMs);
    seekTo(shownPictureTime() + frame / 4); // inside the picture shown, whatever rounding did
    m_pristine = pristine;
    m_stepped = stepped;
}
