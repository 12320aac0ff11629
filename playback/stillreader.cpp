#include "playback/stillreader.h"

#include "playback/partsource_p.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QMetaObject>
#include <QMutexLocker>

namespace {

constexpr qint64 kMomentMs = 1; // the stretch decoded: the picture shown at the moment
constexpr int kStallLimitMs = 15000; // one picture per channel comes quickly, or not at all

void onDecoded(GstElement *, GstPad *pad, gpointer target)
{
    Gst::PadPtr sink(gst_element_get_static_pad(GST_ELEMENT(target), "sink"));
    if (sink && !gst_pad_is_linked(sink.get()))
        gst_pad_link(pad, sink.get());
}

// A deep copy of the sample's picture (RGBx); null when it cannot be read.
QImage pictureOf(GstSample *sample)
{
    GstVideoInfo info;
    GstVideoFrame frame;
    GstBuffer *buffer = gst_sample_get_buffer(sample);
    if (!buffer || !gst_video_info_from_caps(&info, gst_sample_get_caps(sample))
        || !gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ))
        return QImage();
    const QImage view(static_cast<const uchar *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)), GST_VIDEO_FRAME_WIDTH(&frame),
                      GST_VIDEO_FRAME_HEIGHT(&frame), GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0),
                      QImage::Format_RGBX8888);
    QImage copy = view.convertToFormat(QImage::Format_RGB888);
    gst_video_frame_unmap(&frame);
    return copy;
}

} // namespace

// The first picture of one channel, kept by the sink's streaming thread.
struct StillReader::Slot
{
    StillReader *owner;
    mutable QMutex mutex;
    QImage picture;

    static GstFlowReturn onSample(GstAppSink *sink, gpointer self)
    {
        auto *slot = static_cast<Slot *>(self);
        GstSample *sample = gst_app_sink_pull_sample(sink);
        if (!sample)
            return GST_FLOW_OK;
        QImage picture;
        {
            QMutexLocker lock(&slot->mutex);
            if (slot->picture.isNull())
                picture = pictureOf(sample); // only the first one is wanted
        }
        gst_sample_unref(sample);
        QMutexLocker lock(&slot->mutex);
        if (slot->picture.isNull() && !picture.isNull()) {
            slot->picture = picture;
            // Done as soon as every channel has its picture; the owner's thread looks.
            QMetaObject::invokeMethod(slot->owner, &StillReader::checkPictures, Qt::QueuedConnection);
        }
        return GST_FLOW_OK;
    }
};

StillReader::StillReader(const QString &clip, qint64 atMs, QObject *parent)
    : PipelineJob({MediaPart{clip, qMax<qint64>(0, atMs), qMax<qint64>(0, atMs) + kMomentMs}}, QString(), Cut::Exact,
                  parent)
{
    setStallLimit(kStallLimitMs);
}

StillReader::~StillReader()
{
    cancel(); // the sinks' callbacks use the slots
    qDeleteAll(m_slots);
}

QList<QImage> StillReader::pictures() const
{
    if (isRunning())
        return {};
    QList<QImage> result;
    for (const Slot *slot : m_slots) {
        QMutexLocker lock(&slot->mutex);
        result << slot->picture;
    }
    return result;
}

bool StillReader::complete(GstElement *pipeline, PartSource &source)
{
    qDeleteAll(m_slots);
    m_slots.clear();
    for (const QString &stream : source.streams()) {
        if (!stream.startsWith(QLatin1String("video")))
            continue;
        m_slots << new Slot{this, {}, {}};
        if (!addChannel(pipeline, source, stream, m_slots.last()))
            return false;
    }
    return true;
}

// held stream -> decoder -> RGBx -> a sink that keeps the first picture.
bool StillReader::addChannel(GstElement *pipeline, PartSource &source, const QString &stream, Slot *slot)
{
    QStringList missing;
    GstElement *decoder = ExportGst::addElement(pipeline, "decodebin", QString(), &missing);
    GstElement *convert = ExportGst::addElement(pipeline, "videoconvert", QString(), &missing);
    GstElement *sink = ExportGst::addElement(pipeline, "appsink", QString(), &missing);
    addMissing(missing);
    if (!missing.isEmpty())
        return false;
    Gst::CapsPtr caps(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "RGBx", nullptr));
    g_object_set(sink, "caps", caps.get(), "sync", FALSE, nullptr);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = &Slot::onSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, slot, nullptr);
    g_signal_connect(decoder, "pad-added", G_CALLBACK(onDecoded), convert);
    if (!gst_element_link(convert, sink))
        return false;
    if (stream == QLatin1String("video_0")) {
        Gst::PadPtr input(gst_element_get_static_pad(sink, "sink"));
        watchOutput(input.get());
    }
    for (GstElement *element : {sink, convert, decoder})
        gst_element_sync_state_with_parent(element);
    Gst::PadPtr held = source.output(0, stream);
    Gst::PadPtr input(gst_element_get_static_pad(decoder, "sink"));
    return held && GST_PAD_LINK_SUCCESSFUL(gst_pad_link(held.get(), input.get()));
}

void StillReader::checkPictures()
{
    if (checkResult().isEmpty())
        succeed();
}

QString StillReader::checkResult()
{
    for (const Slot *slot : m_slots) {
        QMutexLocker lock(&slot->mutex);
        if (slot->picture.isNull())
            return QStringLiteral("no picture at %1 ms").arg(parts().first().fromMs);
    }
    return QString();
}
