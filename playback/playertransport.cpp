// Transport, queries, frame capture, rotation and renderer placement of Player.
#include "playback/player.h"

#include "playback/samplegrabber_p.h"
#include "playback/videorenderer_p.h"

#include <gst/gst.h>

namespace {

constexpr qint64 kNsPer100ns = 100;
constexpr qint64 kNsPerMs = 1000000;

int channelIndex(int channel)
{
    return channel == 1 ? 1 : 0;
}

} // namespace

bool Player::setState(int state)
{
    return m_pipeline && gst_element_set_state(m_pipeline, GstState(state)) != GST_STATE_CHANGE_FAILURE;
}

bool Player::play()
{
    m_stateFlags = 0;
    return setState(GST_STATE_PLAYING);
}

bool Player::pause()
{
    m_stateFlags = 0;
    const bool accepted = setState(GST_STATE_PAUSED);
    m_stateFlags = Paused;
    return accepted;
}

// The pipeline keeps its current picture: stopping is pausing with the stopped flag.
bool Player::stop()
{
    m_stateFlags = Stopping;
    const bool accepted = setState(GST_STATE_PAUSED);
    m_stateFlags = Stopped;
    return accepted;
}

bool Player::rewind()
{
    m_stateFlags = 0;
    const bool accepted = seekTo(0);
    m_stateFlags = Rewound;
    return accepted;
}

bool Player::seekMs(qint64 ms)
{
    return seekTo(ms * 10000);
}

bool Player::stepBackward()
{
    gint64 now = 0;
    if (!m_pipeline || !gst_element_query_position(m_pipeline, GST_FORMAT_TIME, &now))
        return false;
    return seekTo(qMax<qint64>(0, now / kNsPer100ns - StepUnits));
}

bool Player::stepForward()
{
    gint64 now = 0;
    if (!m_pipeline || !gst_element_query_position(m_pipeline, GST_FORMAT_TIME, &now))
        return false;
    return seekTo(now / kNsPer100ns + StepUnits);
}

// An instant rate change does not take effect here; a flushing seek from where we are does.
bool Player::setRate(double rate)
{
    gint64 now = 0;
    if (!m_pipeline || rate == 0.0 || !gst_element_query_position(m_pipeline, GST_FORMAT_TIME, &now))
        return false;
    m_rate = rate;
    return seekTo(now / kNsPer100ns);
}

// Flushing, accurate seek at the current rate. The stop is given explicitly so that an earlier
// reverse seek's stop position does not linger.
bool Player::seekTo(qint64 position100ns)
{
    if (!m_pipeline)
        return false;
    m_atEnd = false;
    const gint64 target = qMax<qint64>(0, position100ns) * kNsPer100ns;
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (m_rate < 0)
        return gst_element_seek(m_pipeline, m_rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, 0,
                                GST_SEEK_TYPE_SET, target);
    return gst_element_seek(m_pipeline, m_rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, target,
                            GST_SEEK_TYPE_SET, gint64(GST_CLOCK_TIME_NONE));
}

bool Player::isRunning() const
{
    GstState state = GST_STATE_NULL;
    return m_pipeline && gst_element_get_state(m_pipeline, &state, nullptr, 0) == GST_STATE_CHANGE_SUCCESS
           && state == GST_STATE_PLAYING;
}

qint64 Player::lengthMs() const
{
    gint64 duration = 0;
    if (!m_pipeline || !gst_element_query_duration(m_pipeline, GST_FORMAT_TIME, &duration) || duration < 0)
        return 0;
    return duration / kNsPerMs;
}

// Once the clip has played to its end the position is its length, which is how the viewer
// recognises the end.
qint64 Player::positionMs() const
{
    const qint64 length = lengthMs();
    if (m_atEnd)
        return length;
    gint64 position = 0;
    if (!m_pipeline || !gst_element_query_position(m_pipeline, GST_FORMAT_TIME, &position) || position < 0)
        return 0;
    const qint64 ms = position / kNsPerMs;
    return length > 0 ? qMin(ms, length) : ms;
}

QSize Player::videoSize(int channel) const
{
    const int c = channelIndex(channel);
    return QSize(m_width[c].load(), m_height[c].load());
}

const QImage &Player::grabFrame(int channel, bool refresh)
{
    const int c = channelIndex(channel);
    if (refresh && m_grabber[c]) {
        QImage picture = m_grabber[c]->currentPicture();
        m_frame[c] = picture.size() == videoSize(c) ? picture : QImage();
    }
    return m_frame[c];
}

void Player::rotate(int degrees)
{
    int angle = m_rotation.load() + degrees;
    if (angle < -359 || angle > 359)
        angle %= 360; // keeps the sign
    m_rotation.store(angle);
}

VideoRenderer *Player::rendererFor(int channel) const
{
    return m_pipeline ? m_renderer[channelIndex(channel)].get() : nullptr;
}

bool Player::showRenderer(QWidget *window, const QRect &rect, int channel)
{
    VideoRenderer *renderer = rendererFor(channel);
    return renderer && renderer->show(window, rect);
}

// Moving and resizing answer false, as callers of the original renderer window expect.
bool Player::moveRenderer(QWidget *window, int x, int y, int channel)
{
    if (VideoRenderer *renderer = rendererFor(channel))
        renderer->move(window, QPoint(x, y));
    return false;
}

bool Player::resizeRenderer(QWidget *window, int width, int height, int channel)
{
    if (VideoRenderer *renderer = rendererFor(channel))
        renderer->resize(window, QSize(width, height));
    return false;
}

bool Player::hideRenderer(int channel)
{
    VideoRenderer *renderer = rendererFor(channel);
    if (!renderer)
        return false;
    renderer->hide();
    return true;
}

void Player::paintRenderers(QPainter &painter, const QWidget *window) const
{
    for (const auto &renderer : m_renderer) {
        if (renderer)
            renderer->paint(painter, window);
    }
}

QImage Player::rendererPicture(int channel) const
{
    const VideoRenderer *renderer = rendererFor(channel);
    return renderer ? renderer->picture() : QImage();
}

quint64 Player::renderedFrames(int channel) const
{
    const VideoRenderer *renderer = rendererFor(channel);
    return renderer ? renderer->deliveredCount() : 0;
}
