// The streaming-thread side of the media graph builder: the demuxer's streams are linked to held
// queues as they are announced, their ends are watched, and the decoders' outputs are linked to the
// branches built for them. Everything here only links, counts or posts; the GUI thread decides.
#include "playback/mediagraphbuilder_p.h"

#include <QLoggingCategory>
#include <QString>

#include <atomic>

Q_DECLARE_LOGGING_CATEGORY(lcMedia)

namespace {

constexpr const char *kBlockProbe = "qrd7700-block-probe";
constexpr const char *kEndedEmpty = "qrd7700-ended-empty"; // on a stream queue: its kind

// What the watch on one stream queue's input has seen.
struct StreamWatch
{
    GstElement *graph; // not owned: the graph owns the queue the probe sits on
    std::atomic<bool> sawData{false};
};

void postApplication(GstElement *graph, GstElement *source, GstStructure *structure)
{
    gst_element_post_message(graph, gst_message_new_application(GST_OBJECT(source), structure));
}

// Held data waits at the queue's output until the probe is removed. The end of a stream waits too,
// so that a stream ending before its branch exists still reaches the branch; other events pass.
GstPadProbeReturn holdData(GstPad *, GstPadProbeInfo *info, gpointer)
{
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM)
        return GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_EOS ? GST_PAD_PROBE_OK : GST_PAD_PROBE_PASS;
    return GST_PAD_PROBE_OK;
}

// Kind of the stream a stream queue's input `pad` takes, told by the demuxer pad feeding it as the
// recipes tell them: "video", "audio" or "other".
const char *streamKind(GstPad *pad)
{
    Gst::PadPtr demuxPad(gst_pad_get_peer(pad));
    if (MediaGraphBuilder::isPin(demuxPad.get(), QStringLiteral("video")))
        return "video";
    return MediaGraphBuilder::isPin(demuxPad.get(), QStringLiteral("audio")) ? "audio" : "other";
}

// Streaming thread: a stream that ends before carrying anything is reported once; the watch ends
// with the stream's first data.
GstPadProbeReturn watchStream(GstPad *pad, GstPadProbeInfo *info, gpointer data)
{
    auto *watch = static_cast<StreamWatch *>(data);
    if (!(GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM)) {
        watch->sawData = true;
        return GST_PAD_PROBE_REMOVE;
    }
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) != GST_EVENT_EOS || watch->sawData)
        return GST_PAD_PROBE_OK;
    // Marked on the queue too: the GUI thread may see the pipeline settle before the message.
    Gst::ElementPtr queue(gst_pad_get_parent_element(pad));
    const char *kind = streamKind(pad);
    g_object_set_data(G_OBJECT(queue.get()), kEndedEmpty, const_cast<char *>(kind));
    postApplication(watch->graph, queue.get(),
                    gst_structure_new(MediaGraphBuilder::StreamEndedEmpty, "kind", G_TYPE_STRING, kind, nullptr));
    return GST_PAD_PROBE_REMOVE;
}

// Streaming thread: a link that fails is logged and reported on the pipeline (`sound` when it is
// the sound's, which the clip can do without).
void reportLinkFailure(GstElement *graph, GstElement *source, GstPadLinkReturn result, const QString &what, bool sound)
{
    const QString reason = QStringLiteral("cannot connect %1 (%2)").arg(what, QLatin1String(gst_pad_link_get_name(result)));
    qCWarning(lcMedia).noquote() << reason;
    postApplication(graph, source,
                    gst_structure_new(MediaGraphBuilder::LinkFailed, "reason", G_TYPE_STRING, reason.toUtf8().constData(),
                                      "sound", G_TYPE_BOOLEAN, gboolean(sound), nullptr));
}

} // namespace

namespace MediaGraphStreams {

QString queueName(int index)
{
    return QStringLiteral("Stream Queue %1").arg(index);
}

Gst::ElementPtr queue(GstElement *graph, int index)
{
    return Gst::ElementPtr(gst_bin_get_by_name(GST_BIN(graph), queueName(index).toUtf8().constData()));
}

void hold(GstElement *graph, GstElement *queue)
{
    Gst::PadPtr src(gst_element_get_static_pad(queue, "src"));
    const auto held = GstPadProbeType(GST_PAD_PROBE_TYPE_BLOCK | GST_PAD_PROBE_TYPE_BUFFER
                                      | GST_PAD_PROBE_TYPE_BUFFER_LIST | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM);
    const gulong id = gst_pad_add_probe(src.get(), held, &holdData, nullptr, nullptr);
    g_object_set_data(G_OBJECT(src.get()), kBlockProbe, GSIZE_TO_POINTER(id));
    Gst::PadPtr sink(gst_element_get_static_pad(queue, "sink"));
    const auto watched = GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST
                                         | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM);
    gst_pad_add_probe(sink.get(), watched, &watchStream, new StreamWatch{graph},
                      [](gpointer data) { delete static_cast<StreamWatch *>(data); });
}

void release(GstElement *graph)
{
    for (int i = 0; i < MediaGraphBuilder::StreamQueues; ++i) {
        Gst::ElementPtr held = queue(graph, i);
        Gst::PadPtr src(held ? gst_element_get_static_pad(held.get(), "src") : nullptr);
        const gulong id = src ? GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(src.get()), kBlockProbe)) : 0;
        if (id) {
            g_object_set_data(G_OBJECT(src.get()), kBlockProbe, nullptr);
            gst_pad_remove_probe(src.get(), id);
        }
    }
}

bool videoEndedEmpty(GstElement *graph)
{
    for (int i = 0; i < MediaGraphBuilder::StreamQueues; ++i) {
        Gst::ElementPtr held = queue(graph, i);
        if (held && g_strcmp0(static_cast<const char *>(g_object_get_data(G_OBJECT(held.get()), kEndedEmpty)), "video") == 0)
            return true;
    }
    return false;
}

// Streaming thread: every new demuxer pad is linked to the next free stream queue, whose output
// holds the data until the branches are built on the GUI thread. Holding data at the queues (not
// at the demuxer) matters for auto-plugging bins, which announce pads from their streaming thread.
// The announcement is posted on the pipeline itself: bins such as parsebin keep their children's
// messages.
void onDemuxPadAdded(GstElement *demux, GstPad *pad, gpointer graph)
{
    G_LOCK_DEFINE_STATIC(linking);
    if (GST_PAD_DIRECTION(pad) != GST_PAD_SRC)
        return;
    G_LOCK(linking);
    for (int i = 0; i < MediaGraphBuilder::StreamQueues; ++i) {
        Gst::ElementPtr free = queue(GST_ELEMENT(graph), i);
        Gst::PadPtr sink(free ? gst_element_get_static_pad(free.get(), "sink") : nullptr);
        if (sink && !gst_pad_is_linked(sink.get())) {
            const GstPadLinkReturn linked = gst_pad_link(pad, sink.get());
            if (GST_PAD_LINK_FAILED(linked))
                reportLinkFailure(GST_ELEMENT(graph), demux, linked,
                                  QStringLiteral("the stream %1").arg(QLatin1String(GST_OBJECT_NAME(pad))), false);
            break;
        }
    }
    G_UNLOCK(linking);
    postApplication(GST_ELEMENT(graph), demux, gst_structure_new_empty(MediaGraphBuilder::PadAnnounced));
}

void onDemuxNoMorePads(GstElement *demux, gpointer graph)
{
    postApplication(GST_ELEMENT(graph), demux, gst_structure_new_empty(MediaGraphBuilder::PadsAnnounced));
}

// Streaming thread: link the decoder's first output to the converter waiting for it. The
// converter's parent is the pipeline.
void onDecodedPad(GstElement *decoder, GstPad *pad, gpointer target)
{
    Gst::PadPtr sinkPad(gst_element_get_static_pad(GST_ELEMENT(target), "sink"));
    if (!sinkPad || gst_pad_is_linked(sinkPad.get()))
        return;
    const GstPadLinkReturn linked = gst_pad_link(pad, sinkPad.get());
    if (!GST_PAD_LINK_FAILED(linked))
        return;
    Gst::ElementPtr graph(GST_ELEMENT(gst_element_get_parent(GST_ELEMENT(target))));
    if (graph) {
        const bool sound = g_strcmp0(GST_OBJECT_NAME(decoder), MediaGraphBuilder::SoundDecoderName) == 0;
        reportLinkFailure(graph.get(), decoder, linked,
                          QStringLiteral("the output of %1").arg(QLatin1String(GST_OBJECT_NAME(decoder))), sound);
    }
}

} // namespace MediaGraphStreams
