#include "playback/videorenderer_p.h"

#include <gst/video/video.h>

#include <QMetaObject>
#include <QMutexLocker>

namespace {

constexpr const char *kDisplayFormat = "video/x-raw,format=BGRx";
constexpr int kMinimumSide = 16;

// A mapped BGRx picture kept alive for as long as a QImage refers to its pixels.
struct MappedPicture
{
    Gst::BufferPtr buffer;
    GstVideoFrame frame;
};

void releaseMappedPicture(void *info)
{
    auto *mapped = static_cast<MappedPicture *>(info);
    gst_video_frame_unmap(&mapped->frame);
    delete mapped;
}

// BGRx in memory is 0xffRRGGBB read as a native 32-bit word on little-endian machines, which is
// what QImage::Format_RGB32 paints fastest.
QImage wrapPicture(const VideoRenderer::Picture &picture)
{
    GstVideoInfo info;
    if (!picture.buffer || !picture.caps || !gst_video_info_from_caps(&info, picture.caps.get()))
        return QImage();
    auto *mapped = new MappedPicture{Gst::refBuffer(picture.buffer.get()), {}};
    if (!gst_video_frame_map(&mapped->frame, &info, mapped->buffer.get(), GST_MAP_READ)) {
        delete mapped;
        return QImage();
    }
    const GstVideoFrame &frame = mapped->frame;
    return QImage(static_cast<const uchar *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                  GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
                  GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32, &releaseMappedPicture, mapped);
}

} // namespace

VideoRenderer::VideoRenderer(GstElement *appsink, GstElement *format, const QSize &bound)
    : m_sink(GST_ELEMENT(gst_object_ref(appsink)))
    , m_format(GST_ELEMENT(gst_object_ref(format)))
{
    setDisplayBound(bound, false);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_preroll = &VideoRenderer::onPreroll;
    callbacks.new_sample = &VideoRenderer::onSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(m_sink.get()), &callbacks, this, nullptr);
}

VideoRenderer::~VideoRenderer()
{
    GstAppSinkCallbacks none{};
    gst_app_sink_set_callbacks(GST_APP_SINK(m_sink.get()), &none, nullptr, nullptr);
}

QString VideoRenderer::boundCaps(const QSize &bound, bool exact)
{
    const QString format = QString::fromLatin1(kDisplayFormat);
    if (bound.isEmpty())
        return format;
    const int width = qMax(kMinimumSide, bound.width());
    const int height = qMax(kMinimumSide, bound.height());
    if (exact)
        return format + QStringLiteral(",width=(int)%1,height=(int)%2,pixel-aspect-ratio=(fraction)1/1").arg(width).arg(height);
    // A range lets the converter keep the picture's shape inside the bound.
    return format
           + QStringLiteral(",width=(int)[%1,%2],height=(int)[%1,%3],pixel-aspect-ratio=(fraction)1/1")
                 .arg(kMinimumSide).arg(width).arg(height);
}

bool VideoRenderer::setDisplayBound(const QSize &bound, bool exact)
{
    const QSize wanted = bound.isEmpty() ? QSize() : bound;
    if (m_boundSet && wanted == m_displayBound && exact == m_exact)
        return false;
    m_boundSet = true;
    m_displayBound = wanted;
    m_exact = exact;
    Gst::CapsPtr caps(gst_caps_from_string(boundCaps(wanted, exact).toUtf8().constData()));
    // The caps filter asks upstream to renegotiate; the converter scales from the next picture on.
    g_object_set(m_format.get(), "caps", caps.get(), nullptr);
    return true;
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

// Streaming thread: keep the newest picture, post one call for the GUI thread, copy nothing. Only
// the buffer and its caps are kept: the sink reuses its sample objects and must find them released.
void VideoRenderer::deliver(GstSample *sample)
{
    if (!sample)
        return;
    Gst::SamplePtr taken(sample);
    GstCaps *caps = gst_sample_get_caps(sample);
    Picture newest{Gst::refBuffer(gst_sample_get_buffer(sample)), Gst::CapsPtr(caps ? gst_caps_ref(caps) : nullptr)};
    taken.reset();
    ++m_delivered;
    QMutexLocker lock(&m_mutex);
    std::swap(m_pending, newest);
    if (m_posted)
        return;
    m_posted = true;
    QMetaObject::invokeMethod(this, [this] { takeLatest(); }, Qt::QueuedConnection);
}

void VideoRenderer::takeLatest()
{
    Picture picture;
    {
        QMutexLocker lock(&m_mutex);
        std::swap(picture, m_pending);
        m_posted = false;
    }
    if (!picture.buffer)
        return;
    m_picture = wrapPicture(picture);
    ++m_serial;
    if (m_onPicture)
        m_onPicture(m_picture, m_serial);
}
