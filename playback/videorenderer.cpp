#include "playback/videorenderer_p.h"

#include <gst/video/video.h>

#include <QMetaObject>
#include <QMutexLocker>
#include <QPainter>

namespace {

// A mapped RGBx picture kept alive for as long as a QImage refers to its pixels.
struct MappedPicture
{
    Gst::SamplePtr sample;
    GstVideoFrame frame;
};

void releaseMappedPicture(void *info)
{
    auto *mapped = static_cast<MappedPicture *>(info);
    gst_video_frame_unmap(&mapped->frame);
    delete mapped;
}

QImage wrapSample(Gst::SamplePtr sample)
{
    GstVideoInfo info;
    GstCaps *caps = gst_sample_get_caps(sample.get());
    GstBuffer *buffer = gst_sample_get_buffer(sample.get());
    if (!caps || !buffer || !gst_video_info_from_caps(&info, caps))
        return QImage();
    auto *mapped = new MappedPicture{std::move(sample), {}};
    if (!gst_video_frame_map(&mapped->frame, &info, buffer, GST_MAP_READ)) {
        delete mapped;
        return QImage();
    }
    const GstVideoFrame &frame = mapped->frame;
    return QImage(static_cast<const uchar *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                  GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
                  GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGBX8888,
                  &releaseMappedPicture, mapped);
}

} // namespace

VideoRenderer::VideoRenderer(GstElement *appsink)
    : m_sink(GST_APP_SINK(appsink))
{
    GstAppSinkCallbacks callbacks{};
    callbacks.new_preroll = &VideoRenderer::onPreroll;
    callbacks.new_sample = &VideoRenderer::onSample;
    gst_app_sink_set_callbacks(m_sink, &callbacks, this, nullptr);
}

VideoRenderer::~VideoRenderer()
{
    GstAppSinkCallbacks none{};
    gst_app_sink_set_callbacks(m_sink, &none, nullptr, nullptr);
    if (m_visible)
        repaint(); // the picture disappears with its renderer
}

bool VideoRenderer::show(QWidget *window, const QRect &rect)
{
    setWindow(window);
    repaint();
    m_rect = rect;
    m_visible = true;
    repaint();
    return true;
}

void VideoRenderer::move(QWidget *window, const QPoint &topLeft)
{
    setWindow(window);
    repaint();
    m_rect.moveTopLeft(topLeft);
    repaint();
}

void VideoRenderer::resize(QWidget *window, const QSize &size)
{
    setWindow(window);
    repaint();
    m_rect.setSize(size);
    repaint();
}

void VideoRenderer::hide()
{
    if (!m_visible)
        return;
    repaint();
    m_visible = false;
}

void VideoRenderer::paint(QPainter &painter, const QWidget *window) const
{
    if (!m_visible || m_picture.isNull() || !window || window != m_window.data())
        return;
    painter.save();
    painter.setClipRect(window->rect(), Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_rect.size() != m_picture.size());
    painter.drawImage(m_rect, m_picture);
    painter.restore();
}

GstFlowReturn VideoRenderer::onPreroll(GstAppSink *sink, gpointer self)
{
    static_cast<VideoRenderer *>(self)->deliver(gst_app_sink_pull_preroll(sink));
    return GST_FLOW_OK;
}

GstFlowReturn VideoRenderer::onSample(GstAppSink *sink, gpointer self)
{
    static_cast<VideoRenderer *>(self)->deliver(gst_app_sink_pull_sample(sink));
    return GST_FLOW_OK;
}

// Streaming thread: keep the newest sample, post one call for the GUI thread, copy nothing.
void VideoRenderer::deliver(GstSample *sample)
{
    if (!sample)
        return;
    Gst::SamplePtr newest(sample);
    ++m_delivered;
    QMutexLocker lock(&m_mutex);
    m_pending.swap(newest);
    if (m_posted)
        return;
    m_posted = true;
    QMetaObject::invokeMethod(this, [this] { takeLatest(); }, Qt::QueuedConnection);
}

void VideoRenderer::takeLatest()
{
    Gst::SamplePtr sample;
    {
        QMutexLocker lock(&m_mutex);
        sample.swap(m_pending);
        m_posted = false;
    }
    if (!sample)
        return;
    m_picture = wrapSample(std::move(sample));
    if (m_visible)
        repaint();
}

void VideoRenderer::setWindow(QWidget *window)
{
    if (m_window == window)
        return;
    if (m_visible)
        repaint();
    m_window = window;
}

void VideoRenderer::repaint()
{
    if (m_window)
        m_window->update(m_rect);
}
