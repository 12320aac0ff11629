#include "playback/mediagraphbuilder_p.h"

#include "playback/samplegrabber_p.h"
#include "playback/videorenderer_p.h"

#include <QElapsedTimer>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMedia)

namespace {

constexpr const char *kPadsAnnounced = "qrd7700-pads-announced";
constexpr const char *kBlockProbe = "qrd7700-block-probe";
constexpr qint64 kPadTimeoutMs = 5000;
constexpr GstClockTime kPadSettleTime = 200 * GST_MSECOND;
constexpr qint64 kPrerollTimeoutMs = 10000;
constexpr GstClockTime kPollInterval = 20 * GST_MSECOND;
constexpr const char *kGrabberCaps = "video/x-raw,format=YUY2,colorimetry=bt601";
constexpr const char *kRendererCaps = "video/x-raw,format=RGBx";
constexpr int kStreamQueues = 4; // two video streams, sound and telemetry

GstPadProbeReturn holdData(GstPad *, GstPadProbeInfo *, gpointer)
{
    return GST_PAD_PROBE_OK; // a blocking probe: data waits until the probe is removed
}

QString streamQueueName(int index)
{
    return QStringLiteral("Stream Queue %1").arg(index);
}

// Streaming thread: every new demuxer pad is linked to the next free stream queue, whose output
// holds the data until the branches are built on the GUI thread. Holding data at the queues (not
// at the demuxer) matters for auto-plugging bins, which announce pads from their streaming thread.
void onDemuxPadAdded(GstElement *, GstPad *pad, gpointer graph)
{
    G_LOCK_DEFINE_STATIC(linking);
    if (GST_PAD_DIRECTION(pad) != GST_PAD_SRC)
        return;
    G_LOCK(linking);
    for (int i = 0; i < kStreamQueues; ++i) {
        Gst::ElementPtr queue(gst_bin_get_by_name(GST_BIN(graph), streamQueueName(i).toUtf8().constData()));
        Gst::PadPtr sink(queue ? gst_element_get_static_pad(queue.get(), "sink") : nullptr);
        if (sink && !gst_pad_is_linked(sink.get())) {
            gst_pad_link(pad, sink.get());
            break;
        }
    }
    G_UNLOCK(linking);
}

// Streaming thread: tell the waiting GUI thread through the bus that all pads are known. Posted on
// the pipeline itself: bins such as parsebin keep their children's messages.
void onDemuxNoMorePads(GstElement *demux, gpointer graph)
{
    gst_element_post_message(GST_ELEMENT(graph), gst_message_new_application(
                                                     GST_OBJECT(demux), gst_structure_new_empty(kPadsAnnounced)));
}

// Streaming thread: link the decoder's first output to the converter waiting for it.
void onDecodedPad(GstElement *, GstPad *pad, gpointer target)
{
    Gst::PadPtr sinkPad(gst_element_get_static_pad(GST_ELEMENT(target), "sink"));
    if (sinkPad && !gst_pad_is_linked(sinkPad.get()))
        gst_pad_link(pad, sinkPad.get());
}

void holdStreamQueue(GstElement *queue)
{
    Gst::PadPtr src(gst_element_get_static_pad(queue, "src"));
    const auto types = GstPadProbeType(GST_PAD_PROBE_TYPE_BLOCK | GST_PAD_PROBE_TYPE_BUFFER
                                       | GST_PAD_PROBE_TYPE_BUFFER_LIST);
    const gulong id = gst_pad_add_probe(src.get(), types, &holdData, nullptr, nullptr);
    g_object_set_data(G_OBJECT(src.get()), kBlockProbe, GSIZE_TO_POINTER(id));
}

void releaseStreamQueues(GstElement *graph)
{
    for (int i = 0; i < kStreamQueues; ++i) {
        Gst::ElementPtr queue(gst_bin_get_by_name(GST_BIN(graph), streamQueueName(i).toUtf8().constData()));
        Gst::PadPtr src(queue ? gst_element_get_static_pad(queue.get(), "src") : nullptr);
        const gulong id = src ? GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(src.get()), kBlockProbe)) : 0;
        if (id) {
            g_object_set_data(G_OBJECT(src.get()), kBlockProbe, nullptr);
            gst_pad_remove_probe(src.get(), id);
        }
    }
}

QString errorText(GstMessage *message)
{
    GError *raw = nullptr;
    gchar *debug = nullptr;
    gst_message_parse_error(message, &raw, &debug);
    Gst::ErrorPtr error(raw);
    Gst::StringPtr details(debug);
    QString text = QString::fromUtf8(error ? error->message : "unknown error");
    if (GST_MESSAGE_SRC(message))
        text = QString::fromUtf8(GST_OBJECT_NAME(GST_MESSAGE_SRC(message))) + QLatin1String(": ") + text;
    return text;
}

// Media kind of a pad of an auto-plugging bin, read from its caps ("video/x-h264" -> "video").
QString mediaKindOf(GstPad *pad)
{
    Gst::CapsPtr caps(gst_pad_get_current_caps(pad));
    if (!caps)
        caps.reset(gst_pad_query_caps(pad, nullptr));
    if (!caps || gst_caps_is_empty(caps.get()) || gst_caps_is_any(caps.get()))
        return QString();
    const QString media = QString::fromUtf8(gst_structure_get_name(gst_caps_get_structure(caps.get(), 0)));
    return media.section(QLatin1Char('/'), 0, 0);
}

bool pinMatches(GstPad *pad, const QString &name)
{
    const QString padName = QString::fromUtf8(GST_OBJECT_NAME(pad));
    if (padName.compare(name, Qt::CaseInsensitive) == 0)
        return true;
    const int underscore = padName.lastIndexOf(QLatin1Char('_'));
    if (underscore <= 0)
        return false;
    bool numbered = false;
    padName.mid(underscore + 1).toInt(&numbered);
    const QString stem = padName.left(underscore);
    if (numbered && stem.compare(name, Qt::CaseInsensitive) == 0)
        return true;
    return numbered && stem == QLatin1String("src") && mediaKindOf(pad).compare(name, Qt::CaseInsensitive) == 0;
}

} // namespace

MediaGraphBuilder::MediaGraphBuilder(const QString &audioSink, bool clockSync)
    : m_audioSink(audioSink), m_clockSync(clockSync)
{
}

MediaGraphBuilder::~MediaGraphBuilder() = default;

int MediaGraphBuilder::buildMp4Graphs(GstElement *graph, const QString &path)
{
    return build(graph, path, "qtdemux");
}

int MediaGraphBuilder::buildAviGraphs(GstElement *graph, const QString &path, bool useParseFilter)
{
    return build(graph, path, useParseFilter ? "avidemux" : "parsebin");
}

std::unique_ptr<SampleGrabber> MediaGraphBuilder::takeSampleGrabber(int channel)
{
    return channel >= 0 && channel < MaxChannels ? std::move(m_grabber[channel]) : nullptr;
}

std::unique_ptr<VideoRenderer> MediaGraphBuilder::takeRenderer(int channel)
{
    return channel >= 0 && channel < MaxChannels ? std::move(m_renderer[channel]) : nullptr;
}

Gst::PadPtr MediaGraphBuilder::findPin(GstElement *element, const QString &name, int skip)
{
    Gst::PadPtr found;
    GstIterator *it = gst_element_iterate_src_pads(element);
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        GstPad *pad = GST_PAD(g_value_get_object(&item));
        if (pinMatches(pad, name) && skip-- == 0)
            found.reset(GST_PAD(gst_object_ref(pad)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return found;
}

int MediaGraphBuilder::countPins(GstElement *element, const QString &name)
{
    int count = 0;
    while (findPin(element, name, count))
        ++count;
    return count;
}

int MediaGraphBuilder::build(GstElement *graph, const QString &path, const char *demuxFactory)
{
    m_channelCount = 0;
    m_hasAudio = false;
    m_error.clear();
    for (int c = 0; c < MaxChannels; ++c) {
        m_grabber[c].reset();
        m_renderer[c].reset();
    }
    GstElement *source = addElement(graph, "filesrc", QStringLiteral("File Source"));
    GstElement *demux = addElement(graph, demuxFactory, QStringLiteral("Splitter"));
    if (!source || !demux)
        return Failed;
    g_object_set(source, "location", path.toUtf8().constData(), nullptr);
    for (int i = 0; i < kStreamQueues; ++i) {
        GstElement *queue = addElement(graph, "queue", streamQueueName(i));
        if (!queue)
            return Failed;
        // Room for a few seconds of compressed data so that badly interleaved files still preroll.
        g_object_set(queue, "max-size-buffers", 0u, "max-size-bytes", 0u, "max-size-time",
                     guint64(3 * GST_SECOND), nullptr);
        holdStreamQueue(queue);
    }
    g_signal_connect(demux, "pad-added", G_CALLBACK(onDemuxPadAdded), graph);
    g_signal_connect(demux, "no-more-pads", G_CALLBACK(onDemuxNoMorePads), graph);
    if (!gst_element_link(source, demux)) {
        fail(QStringLiteral("cannot link the file source to %1").arg(QLatin1String(demuxFactory)));
        return Failed;
    }
    if (!waitForPads(graph, demux))
        return Failed;

    const int videoPads = countPins(demux, QStringLiteral("video"));
    const int channels = qMin(videoPads, int(MaxChannels));
    if (channels == 0)
        fail(QStringLiteral("the clip has no video stream"));
    for (int c = 0; c < channels && m_error.isEmpty(); ++c)
        addVideoChain(graph, findPin(demux, QStringLiteral("video"), c).get(), c);
    if (m_error.isEmpty()) {
        // A clip without sound plays silently.
        if (Gst::PadPtr audio = findPin(demux, QStringLiteral("audio")))
            m_hasAudio = addAudioChain(graph, audio.get());
    }
    releaseStreamQueues(graph);
    // On failure the grabbers and renderers stay until the caller has stopped the pipeline.
    if (!m_error.isEmpty() || !preroll(graph))
        return Failed;
    m_channelCount = channels;
    return Ok;
}

GstElement *MediaGraphBuilder::addElement(GstElement *graph, const char *factory, const QString &name)
{
    GstElement *element = gst_element_factory_make(factory, name.toUtf8().constData());
    if (!element) {
        fail(QStringLiteral("GStreamer plugin '%1' is not installed").arg(QLatin1String(factory)));
        return nullptr;
    }
    gst_bin_add(GST_BIN(graph), element); // the bin sinks the floating reference
    return element;
}

// Waits until the demuxer has announced its pads: its no-more-pads signal, or, for parsers that
// do not give it (parsebin), pads that stay the same for a settling interval.
bool MediaGraphBuilder::waitForPads(GstElement *graph, GstElement *demux)
{
    if (gst_element_set_state(graph, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE)
        qCDebug(lcMedia) << "the pipeline refused to pause";
    Gst::BusPtr bus(gst_element_get_bus(graph));
    const auto types = GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_APPLICATION);
    QElapsedTimer timer;
    timer.start();
    int padsSeen = 0;
    while (timer.elapsed() < kPadTimeoutMs) {
        Gst::MessagePtr message(gst_bus_timed_pop_filtered(bus.get(), kPadSettleTime, types));
        if (message && GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
            fail(errorText(message.get()));
            return false;
        }
        const GstStructure *s = message ? gst_message_get_structure(message.get()) : nullptr;
        if (s && gst_structure_has_name(s, kPadsAnnounced))
            return true;
        const int pads = int(demux->numsrcpads);
        if (!message && pads > 0 && pads == padsSeen)
            return true;
        padsSeen = pads;
    }
    fail(QStringLiteral("the demuxer announced no streams in time"));
    return false;
}

bool MediaGraphBuilder::addVideoChain(GstElement *graph, GstPad *demuxPad, int channel)
{
    const QString n = QString::number(channel);
    GstElement *toYuy2 = addElement(graph, "videoconvert", QStringLiteral("Colour Converter ") + n);
    GstElement *yuy2 = addElement(graph, "capsfilter", QStringLiteral("YUY2 Format ") + n);
    GstElement *grabber = addElement(graph, "identity", QStringLiteral("SampleGrabber ") + n);
    GstElement *toRgb = addElement(graph, "videoconvert", QStringLiteral("Decompressor ") + n);
    GstElement *rgb = addElement(graph, "capsfilter", QStringLiteral("RGB Format ") + n);
    GstElement *sink = addElement(graph, "appsink", QStringLiteral("Video Renderer ") + n);
    if (!toYuy2 || !yuy2 || !grabber || !toRgb || !rgb || !sink)
        return false;
    Gst::CapsPtr grabberCaps(gst_caps_from_string(kGrabberCaps));
    Gst::CapsPtr rendererCaps(gst_caps_from_string(kRendererCaps));
    g_object_set(yuy2, "caps", grabberCaps.get(), nullptr);
    g_object_set(rgb, "caps", rendererCaps.get(), nullptr);
    g_object_set(grabber, "silent", TRUE, nullptr);
    g_object_set(sink, "sync", gboolean(m_clockSync), "max-buffers", 1u, "drop", TRUE,
                 "enable-last-sample", FALSE, nullptr);
    if (!gst_element_link_many(toYuy2, yuy2, grabber, toRgb, rgb, sink, nullptr)) {
        fail(QStringLiteral("cannot link the video chain of channel %1").arg(channel));
        return false;
    }
    m_grabber[channel] = std::make_unique<SampleGrabber>(grabber);
    m_renderer[channel] = std::make_unique<VideoRenderer>(sink);
    for (GstElement *e : {sink, rgb, toRgb, grabber, yuy2, toYuy2})
        gst_element_sync_state_with_parent(e);
    return linkThroughDecoder(graph, demuxPad, toYuy2, QStringLiteral("Video ") + n);
}

bool MediaGraphBuilder::addAudioChain(GstElement *graph, GstPad *demuxPad)
{
    GstElement *convert = addElement(graph, "audioconvert", QStringLiteral("Audio Converter"));
    GstElement *resample = addElement(graph, "audioresample", QStringLiteral("Audio Resampler"));
    GstElement *sink = makeAudioSink(graph);
    if (!convert || !resample || !sink || !gst_element_link_many(convert, resample, sink, nullptr)) {
        qCWarning(lcMedia) << "the clip plays without sound:" << m_error;
        m_error.clear();
        return false;
    }
    for (GstElement *e : {sink, resample, convert})
        gst_element_sync_state_with_parent(e);
    return linkThroughDecoder(graph, demuxPad, convert, QStringLiteral("Audio"));
}

GstElement *MediaGraphBuilder::makeAudioSink(GstElement *graph)
{
    const QByteArray wanted = m_audioSink.isEmpty() ? QByteArrayLiteral("autoaudiosink") : m_audioSink.toUtf8();
    GstElement *sink = gst_element_factory_make(wanted.constData(), "Audio Renderer");
    if (sink && gst_element_set_state(sink, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
        qCWarning(lcMedia) << "audio output" << wanted << "cannot open; playing without sound";
        gst_element_set_state(sink, GST_STATE_NULL);
        gst_object_unref(gst_object_ref_sink(sink));
        sink = nullptr;
    } else if (!sink) {
        qCWarning(lcMedia) << "audio output" << wanted << "is not installed; playing without sound";
    }
    if (!sink) // keeps the pictures in real time without a sound card
        sink = gst_element_factory_make("fakesink", "Audio Renderer");
    if (!sink)
        return nullptr;
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(sink), "sync"))
        g_object_set(sink, "sync", gboolean(m_clockSync), nullptr);
    gst_bin_add(GST_BIN(graph), sink);
    return sink;
}

// demux pad -> its stream queue -> decodebin ~> `first` (linked when the decoder shows its output)
bool MediaGraphBuilder::linkThroughDecoder(GstElement *graph, GstPad *demuxPad, GstElement *first,
                                           const QString &tag)
{
    GstElement *decoder = addElement(graph, "decodebin", tag + QStringLiteral(" Decoder"));
    if (!decoder)
        return false;
    g_signal_connect(decoder, "pad-added", G_CALLBACK(onDecodedPad), first);
    Gst::PadPtr queueSink(gst_pad_get_peer(demuxPad));
    Gst::ElementPtr queue(queueSink ? gst_pad_get_parent_element(queueSink.get()) : nullptr);
    if (!queue || !gst_element_link(queue.get(), decoder)) {
        fail(QStringLiteral("cannot connect the %1 stream").arg(tag.toLower()));
        return false;
    }
    gst_element_sync_state_with_parent(decoder);
    return true;
}

bool MediaGraphBuilder::preroll(GstElement *graph)
{
    Gst::BusPtr bus(gst_element_get_bus(graph));
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kPrerollTimeoutMs) {
        Gst::MessagePtr message(gst_bus_timed_pop_filtered(
            bus.get(), kPollInterval, GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_ASYNC_DONE)));
        if (message && GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
            fail(errorText(message.get()));
            return false;
        }
        GstState state = GST_STATE_NULL;
        if (gst_element_get_state(graph, &state, nullptr, 0) == GST_STATE_CHANGE_SUCCESS
            && state == GST_STATE_PAUSED)
            return true;
    }
    fail(QStringLiteral("the clip did not show its first picture in time"));
    return false;
}

void MediaGraphBuilder::fail(const QString &why)
{
    if (m_error.isEmpty())
        m_error = why;
}
