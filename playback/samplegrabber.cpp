#include "playback/samplegrabber_p.h"

#include <QMutexLocker>

namespace {

// Converts one mapped picture into `image` (24-bit RGB of the same size) with the colour matrix
// and range its format declares.
bool convertInto(const GstVideoInfo &from, GstBuffer *buffer, QImage &image)
{
    GstVideoInfo to;
    gst_video_info_set_format(&to, GST_VIDEO_FORMAT_RGB, guint(image.width()), guint(image.height()));
    GST_VIDEO_INFO_FPS_N(&to) = GST_VIDEO_INFO_FPS_N(&from);
    GST_VIDEO_INFO_FPS_D(&to) = GST_VIDEO_INFO_FPS_D(&from);
    to.stride[0] = int(image.bytesPerLine());
    to.size = gsize(image.sizeInBytes());
    GstVideoFrame source;
    if (!gst_video_frame_map(&source, &from, buffer, GST_MAP_READ))
        return false;
    Gst::BufferPtr wrapped(gst_buffer_new_wrapped_full(GstMemoryFlags(0), image.bits(), gsize(image.sizeInBytes()),
                                                       0, gsize(image.sizeInBytes()), nullptr, nullptr));
    GstVideoFrame target;
    const bool mapped = gst_video_frame_map(&target, &to, wrapped.get(), GST_MAP_WRITE);
    if (mapped) {
        GstVideoConverter *converter = gst_video_converter_new(const_cast<GstVideoInfo *>(&from), &to, nullptr);
        if (converter) {
            gst_video_converter_frame(converter, &source, &target);
            gst_video_converter_free(converter);
        }
        gst_video_frame_unmap(&target);
        gst_video_frame_unmap(&source);
        return converter != nullptr;
    }
    gst_video_frame_unmap(&source);
    return false;
}

} // namespace

SampleGrabber::SampleGrabber(GstElement *element)
    : m_pad(gst_element_get_static_pad(element, "sink"))
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

qint64 SampleGrabber::frameDuration() const
{
    QMutexLocker lock(&m_mutex);
    if (!m_hasInfo || GST_VIDEO_INFO_FPS_N(&m_info) <= 0 || GST_VIDEO_INFO_FPS_D(&m_info) <= 0)
        return 0;
    return qint64(gst_util_uint64_scale_int(GST_SECOND, GST_VIDEO_INFO_FPS_D(&m_info), GST_VIDEO_INFO_FPS_N(&m_info)));
}

qint64 SampleGrabber::lastPictureTime() const
{
    QMutexLocker lock(&m_mutex);
    return m_lastTime;
}

QImage SampleGrabber::currentPicture() const
{
    Gst::BufferPtr buffer;
    GstVideoInfo info;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_hasInfo || !m_last)
            return QImage();
        buffer = Gst::refBuffer(m_last.get());
        info = m_info;
    }
    QImage picture(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info), QImage::Format_RGB888);
    if (picture.isNull() || !convertInto(info, buffer.get(), picture))
        return QImage();
    return picture;
}

GstPadProbeReturn SampleGrabber::onData(GstPad *, GstPadProbeInfo *info, gpointer self)
{
    auto *grabber = static_cast<SampleGrabber *>(self);
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER)
        grabber->takeBuffer(GST_PAD_PROBE_INFO_BUFFER(info));
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
        Gst::BufferPtr previous;
        QMutexLocker lock(&m_mutex);
        m_hasInfo = valid;
        if (valid)
            m_info = info;
        previous.swap(m_last); // released after the lock
    } else if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) {
        gst_segment_init(&m_segment, GST_FORMAT_TIME);
    }
}

// Streaming thread: keep a reference to the picture and its time; the previous one is released
// after the lock.
void SampleGrabber::takeBuffer(GstBuffer *buffer)
{
    // A picture that starts before the segment (an accurate seek into its middle) still has its
    // own time.
    guint64 streamTime = GST_CLOCK_TIME_NONE;
    const bool valid = GST_BUFFER_PTS_IS_VALID(buffer)
                       && gst_segment_to_stream_time_full(&m_segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer), &streamTime) > 0;
    Gst::BufferPtr keep = Gst::refBuffer(buffer);
    QMutexLocker lock(&m_mutex);
    m_last.swap(keep);
    m_lastTime = valid ? qint64(streamTime) : -1;
}
