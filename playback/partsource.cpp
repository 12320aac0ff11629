#include "playback/partsource_p.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr const char *kBlockProbe = "qrd7700-held";
constexpr guint64 kHeldTime = 3 * GST_SECOND; // room for badly interleaved clips

// What a demuxer's callbacks need: the pipeline (not owned) and the part's number.
struct DemuxContext
{
    GstElement *pipeline;
    int part;
};

QString queueName(int part, const QString &stream)
{
    return QStringLiteral("Part %1 %2").arg(part).arg(stream);
}

// The demuxer for the clip's container, from its first bytes; null with *why set otherwise.
const char *demuxerFor(const QString &path, QString *why)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        *why = info.exists() ? QStringLiteral("not a regular file") : QStringLiteral("no such file");
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return nullptr;
    }
    const QByteArray head = file.read(12);
    if (head.startsWith("RIFF") && head.mid(8, 4) == "AVI ")
        return "avidemux";
    static const QByteArray kBoxes[] = {"ftyp", "moov", "mdat", "free", "wide"};
    for (const QByteArray &box : kBoxes) {
        if (head.mid(4, 4) == box)
            return "qtdemux";
    }
    *why = QStringLiteral("not an AVI or MP4 clip");
    return nullptr;
}

GstPadProbeReturn holdData(GstPad *, GstPadProbeInfo *, gpointer)
{
    return GST_PAD_PROBE_OK; // a blocking probe: the data waits until the probe goes
}

// Streaming thread: a stream the export carries goes into its held queue; others stay unlinked
// (the demuxer drops them).
void onPadAdded(GstElement *, GstPad *pad, gpointer data)
{
    const auto *context = static_cast<const DemuxContext *>(data);
    Gst::StringPtr name(gst_pad_get_name(pad));
    const QString stream = QString::fromUtf8(name.get());
    if (!PartSource::streamNames().contains(stream))
        return;
    Gst::ElementPtr queue(gst_bin_get_by_name(GST_BIN(context->pipeline),
                                              queueName(context->part, stream).toUtf8().constData()));
    Gst::PadPtr sink(queue ? gst_element_get_static_pad(queue.get(), "sink") : nullptr);
    if (sink && !gst_pad_is_linked(sink.get()))
        gst_pad_link(pad, sink.get());
}

void onNoMorePads(GstElement *demux, gpointer data)
{
    const auto *context = static_cast<const DemuxContext *>(data);
    GstStructure *s = gst_structure_new(PartSource::PartAnnounced, "part", G_TYPE_INT, context->part, nullptr);
    gst_element_post_message(demux, gst_message_new_application(GST_OBJECT(demux), s));
}

// A held stream has come to its end: the queue says so on the bus (its name tells which).
void postEnded(GstPad *pad)
{
    Gst::ElementPtr queue(gst_pad_get_parent_element(pad));
    if (queue)
        gst_element_post_message(queue.get(), gst_message_new_application(
                                                  GST_OBJECT(queue.get()), gst_structure_new_empty(PartSource::StreamEnded)));
}

// Streaming thread: only posts.
GstPadProbeReturn onStreamEvent(GstPad *pad, GstPadProbeInfo *info, gpointer)
{
    GstEvent *event = GST_PAD_PROBE_INFO_EVENT(info);
    if (event && GST_EVENT_TYPE(event) == GST_EVENT_EOS)
        postEnded(pad);
    return GST_PAD_PROBE_OK;
}

void holdQueue(GstElement *queue)
{
    Gst::PadPtr src(gst_element_get_static_pad(queue, "src"));
    const auto types = GstPadProbeType(GST_PAD_PROBE_TYPE_BLOCK | GST_PAD_PROBE_TYPE_BUFFER
                                       | GST_PAD_PROBE_TYPE_BUFFER_LIST);
    const gulong id = gst_pad_add_probe(src.get(), types, &holdData, nullptr, nullptr);
    g_object_set_data(G_OBJECT(src.get()), kBlockProbe, GSIZE_TO_POINTER(id));
}

void releaseQueue(GstElement *queue)
{
    Gst::PadPtr src(gst_element_get_static_pad(queue, "src"));
    const gulong id = GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(src.get()), kBlockProbe));
    if (id) {
        g_object_set_data(G_OBJECT(src.get()), kBlockProbe, nullptr);
        gst_pad_remove_probe(src.get(), id);
    }
}

bool isLinked(GstElement *element, const char *pad)
{
    Gst::PadPtr p(gst_element_get_static_pad(element, pad));
    return p && gst_pad_is_linked(p.get());
}

} // namespace

const QStringList &PartSource::streamNames()
{
    static const QStringList names{QStringLiteral("video_0"), QStringLiteral("video_1"), QStringLiteral("audio_0")};
    return names;
}

PartSource::PartSource(GstElement *pipeline, const QList<MediaPart> &parts, Cut cut)
    : m_pipeline(pipeline), m_parts(parts), m_cut(cut), m_announced(parts.size(), false)
{
}

GstElement *PartSource::addElement(const char *factory, const QString &name)
{
    GstElement *element = ExportGst::addElement(m_pipeline, factory, name, &m_missing);
    if (!element)
        fail(QStringLiteral("the GStreamer element %1 is not installed").arg(QLatin1String(factory)));
    return element;
}

bool PartSource::add()
{
    if (m_parts.isEmpty())
        return fail(QStringLiteral("nothing to export"));
    for (int part = 0; part < m_parts.size(); ++part) {
        const MediaPart &range = m_parts.at(part);
        if (range.fromMs < 0 || range.toMs <= range.fromMs)
            return fail(QStringLiteral("%1: an empty range").arg(QFileInfo(range.path).fileName()));
        QString why;
        const char *factory = demuxerFor(range.path, &why);
        if (!factory)
            return fail(QStringLiteral("%1: %2").arg(QFileInfo(range.path).fileName(), why));
        GstElement *source = addElement("filesrc", QStringLiteral("Part %1 source").arg(part));
        GstElement *demux = addElement(factory, QStringLiteral("Part %1 demuxer").arg(part));
        if (!source || !demux)
            return false;
        g_object_set(source, "location", QFile::encodeName(range.path).constData(), nullptr);
        for (const QString &stream : streamNames()) {
            GstElement *queue = addElement("queue", queueName(part, stream));
            if (!queue)
                return false;
            g_object_set(queue, "max-size-buffers", 0u, "max-size-bytes", 0u, "max-size-time", kHeldTime, nullptr);
            holdQueue(queue);
        }
        auto *context = new DemuxContext{m_pipeline, part};
        g_signal_connect_data(demux, "pad-added", G_CALLBACK(onPadAdded), context,
                              [](gpointer data, GClosure *) { delete static_cast<DemuxContext *>(data); },
                              GConnectFlags(0));
        g_signal_connect(demux, "no-more-pads", G_CALLBACK(onNoMorePads), context);
        if (!gst_element_link(source, demux))
            return fail(QStringLiteral("cannot link the file source to %1").arg(QLatin1String(factory)));
    }
    return true;
}

bool PartSource::partAnnounced(int part)
{
    if (part < 0 || part >= m_parts.size() || m_announced.at(part))
        return true;
    m_announced[part] = true;
    const MediaPart &range = m_parts.at(part);
    const auto cut = m_cut == Cut::KeyFrame ? GstSeekFlags(GST_SEEK_FLAG_KEY_UNIT | GST_SEEK_FLAG_SNAP_BEFORE)
                                            : GST_SEEK_FLAG_ACCURATE;
    Gst::ElementPtr demux(gst_bin_get_by_name(GST_BIN(m_pipeline),
                                              QStringLiteral("Part %1 demuxer").arg(part).toUtf8().constData()));
    const bool sent = demux && gst_element_send_event(
                                   demux.get(), gst_event_new_seek(1.0, GST_FORMAT_TIME, GstSeekFlags(GST_SEEK_FLAG_FLUSH | cut),
                                                                   GST_SEEK_TYPE_SET, range.fromMs * GST_MSECOND,
                                                                   GST_SEEK_TYPE_SET, range.toMs * GST_MSECOND - 1));
    if (!sent)
        return fail(QStringLiteral("%1: cannot go to %2 ms").arg(QFileInfo(range.path).fileName()).arg(range.fromMs));
    return true;
}

bool PartSource::allAnnounced() const
{
    return !m_announced.contains(false);
}

GstElement *PartSource::queueOf(int part, const QString &stream) const
{
    Gst::ElementPtr queue(gst_bin_get_by_name(GST_BIN(m_pipeline), queueName(part, stream).toUtf8().constData()));
    return queue.get(); // the pipeline keeps it alive
}

QStringList PartSource::streams() const
{
    QStringList present;
    for (const QString &stream : streamNames()) {
        if (GstElement *queue = queueOf(0, stream); queue && isLinked(queue, "sink"))
            present << stream;
    }
    return present;
}

Gst::PadPtr PartSource::output(int part, const QString &stream) const
{
    GstElement *queue = queueOf(part, stream);
    if (!queue || !isLinked(queue, "sink"))
        return nullptr;
    return Gst::PadPtr(gst_element_get_static_pad(queue, "src"));
}

// Streaming thread: how far the first part's pictures reach on the clip's own time line. A range
// past the clip's end still gets its last key frame from the demuxer, which ends before the range.
GstPadProbeReturn PartSource::onFirstPictures(GstPad *pad, GstPadProbeInfo *info, gpointer self)
{
    GstBuffer *buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    GstEvent *event = buffer && GST_BUFFER_PTS_IS_VALID(buffer) ? gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0)
                                                                : nullptr;
    if (event) {
        const GstSegment *segment = nullptr;
        gst_event_parse_segment(event, &segment);
        // A picture that starts before the segment (an exact cut into its middle) has a time too.
        guint64 start = 0;
        if (gst_segment_to_stream_time_full(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer), &start) > 0) {
            const auto end = qint64(start + (GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer) : 0));
            auto *source = static_cast<PartSource *>(self);
            qint64 previous = source->m_firstPartEndNs.load();
            while (end > previous && !source->m_firstPartEndNs.compare_exchange_weak(previous, end))
                ;
        }
        gst_event_unref(event);
    }
    return GST_PAD_PROBE_OK;
}

bool PartSource::reachedStart() const
{
    return !m_parts.isEmpty() && m_firstPartEndNs.load() > m_parts.first().fromMs * GST_MSECOND;
}

int PartSource::release()
{
    if (Gst::PadPtr first = output(0, streamNames().first()))
        gst_pad_add_probe(first.get(), GST_PAD_PROBE_TYPE_BUFFER, &PartSource::onFirstPictures, this, nullptr);
    int streams = 0;
    for (int part = 0; part < m_parts.size(); ++part) {
        for (const QString &stream : streamNames()) {
            GstElement *queue = queueOf(part, stream);
            if (!queue)
                continue;
            if (isLinked(queue, "sink")) {
                Gst::PadPtr src(gst_element_get_static_pad(queue, "src"));
                gst_pad_add_probe(src.get(), GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &onStreamEvent, nullptr, nullptr);
                // A stream without data (a range past its end) may have ended before anything was linked.
                if (GstEvent *ended = gst_pad_get_sticky_event(src.get(), GST_EVENT_EOS, 0)) {
                    gst_event_unref(ended);
                    postEnded(src.get());
                }
                ++streams;
            }
            if (isLinked(queue, "sink") && !isLinked(queue, "src")) {
                GstElement *drain = addElement("fakesink", QStringLiteral("Part %1 %2 unused").arg(part).arg(stream));
                if (drain) {
                    g_object_set(drain, "sync", FALSE, "async", FALSE, nullptr);
                    gst_element_link(queue, drain);
                    gst_element_sync_state_with_parent(drain);
                }
            }
            releaseQueue(queue);
        }
    }
    return streams;
}

bool PartSource::fail(const QString &why)
{
    if (m_error.isEmpty())
        m_error = why;
    return false;
}

namespace ExportGst {

qint64 runningTime(GstPad *pad, GstBuffer *buffer)
{
    if (!GST_BUFFER_PTS_IS_VALID(buffer))
        return -1;
    GstEvent *event = gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0);
    if (!event)
        return -1;
    const GstSegment *segment = nullptr;
    gst_event_parse_segment(event, &segment);
    const guint64 running = gst_segment_to_running_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    gst_event_unref(event);
    return running == GST_CLOCK_TIME_NONE ? -1 : qint64(running);
}

GstElement *addElement(GstElement *bin, const char *factory, const QString &name, QStringList *missing)
{
    GstElement *element = gst_element_factory_make(factory, name.isEmpty() ? nullptr : name.toUtf8().constData());
    if (!element) {
        if (missing && !missing->contains(QLatin1String(factory)))
            missing->append(QString::fromUtf8(factory));
        return nullptr;
    }
    gst_bin_add(GST_BIN(bin), element); // the bin takes the floating reference
    return element;
}

bool linkTo(GstElement *element, GstPad *target)
{
    Gst::PadPtr src(gst_element_get_static_pad(element, "src"));
    return src && target && GST_PAD_LINK_SUCCESSFUL(gst_pad_link(src.get(), target));
}

Gst::PadPtr requestPad(GstElement *element, const char *name)
{
    return Gst::PadPtr(gst_element_request_pad_simple(element, name));
}

} // namespace ExportGst
