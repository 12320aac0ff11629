#include "playback/samplegrabber_p.h"

#include "playback/colorconversion.h"
#include "playback/samplefilter.h"

#include <QMutexLocker>

SampleGrabber::SampleGrabber(GstElement *element)
    : m_pad(gst_element_get_static_pad(element, "src"))
{
    gst_segment_init(&m_segment, GST_FORMAT_TIME);
    gst_video_info_init(&m_info);
    if (m_pad) {
        const auto types = GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM);
        m_probe = gst_pad_add_probe(m_pad.get(), types, &SampleGrabber::onData, this, nullptr);
    }
}

SampleGrabber::~SampleGrabber()
{
    if (m_pad && m_probe)
        gst_pad_remove_probe(m_pad.get(), m_probe);
}

QSize SampleGrabber::videoSize() const
{
    QMutexLocker lock(&m_mutex);
    if (!m_hasInfo)
        return QSize();
    return QSize(GST_VIDEO_INFO_WIDTH(&m_info), GST_VIDEO_INFO_HEIGHT(&m_info));
}

bool SampleGrabber::isYuy2() const
{
    QMutexLocker lock(&m_mutex);
    return m_hasInfo && GST_VIDEO_INFO_FORMAT(&m_info) == GST_VIDEO_FORMAT_YUY2;
}

QImage SampleGrabber::currentPicture() const
{
    Gst::BufferPtr buffer;
    GstVideoInfo info;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_hasInfo || !m_last || GST_VIDEO_INFO_FORMAT(&m_info) != GST_VIDEO_FORMAT_YUY2)
            return QImage();
        buffer = Gst::refBuffer(m_last.get());
        info = m_info;
    }
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, buffer.get(), GST_MAP_READ))
        return QImage();
    QImage picture = ColorConversion::yuy2ToImage(
        static_cast<const uchar *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)), GST_VIDEO_FRAME_WIDTH(&frame),
        GST_VIDEO_FRAME_HEIGHT(&frame), GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0));
    gst_video_frame_unmap(&frame);
    return picture;
}

GstPadProbeReturn SampleGrabber::onData(GstPad *, GstPadProbeInfo *info, gpointer self)
{
    auto *grabber = static_cast<SampleGrabber *>(self);
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER)
        grabber->takeBuffer(info);
    else if (GstEvent *event = GST_PAD_PROBE_INFO_EVENT(info))
        grabber->takeEvent(event);
    return GST_PAD_PROBE_OK;
}

void SampleGrabber::takeEvent(GstEvent *event)
{
    if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        const GstSegment *segment = nullptr;
        gst_event_parse_segment(event, &segment);
        gst_segment_copy_into(segment, &m_segment);
    } else if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
        GstCaps *caps = nullptr;
        gst_event_parse_caps(event, &caps);
        GstVideoInfo info;
        const bool valid = caps && gst_video_info_from_caps(&info, caps);
        QMutexLocker lock(&m_mutex);
        m_hasInfo = valid;
        if (valid)
            m_info = info;
        m_last.reset();
    } else if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) {
        gst_segment_init(&m_segment, GST_FORMAT_TIME);
    }
}

void SampleGrabber::takeBuffer(GstPadProbeInfo *info)
{
    // The sink may rewrite the picture, and the rewritten buffer is the one that travels on.
    GstBuffer *buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;

    GstVideoInfo videoInfo;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_hasInfo)
            return;
        videoInfo = m_info;
    }
    SampleHandler *handler = m_handler.load();
    if (handler) {
        GstVideoFrame frame;
        if (gst_video_frame_map(&frame, &videoInfo, buffer, GST_MAP_WRITE)) {
            const guint64 streamTime =
                gst_segment_to_stream_time(&m_segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
            const double seconds = GST_CLOCK_TIME_IS_VALID(streamTime) ? double(streamTime) / GST_SECOND : 0.0;
            const int length = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0) * GST_VIDEO_FRAME_HEIGHT(&frame);
            handler->bufferCB(seconds, static_cast<uchar *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)), length);
            gst_video_frame_unmap(&frame);
        }
    }
    Gst::BufferPtr keep = Gst::refBuffer(buffer);
    QMutexLocker lock(&m_mutex);
    m_last.swap(keep);
    // `keep` now holds the previous picture; it is released after the lock.
}
