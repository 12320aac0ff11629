#include "playback/mediagraphbuilder_p.h"

#include "playback/audiooutput_p.h"
#include "playback/samplegrabber_p.h"
#include "playback/videorenderer_p.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMedia)

namespace {

constexpr guint kAllCores = 0; // a converter's thread count that means "one per core"

const char *demuxFactory(MediaGraphBuilder::Demuxer demuxer)
{
    switch (demuxer) {
    case MediaGraphBuilder::Demuxer::Mp4: return "qtdemux";
    case MediaGraphBuilder::Demuxer::Avi: return "avidemux";
    case MediaGraphBuilder::Demuxer::Generic: break;
    }
    return "parsebin";
}

} // namespace

MediaGraphBuilder::MediaGraphBuilder(bool clockSync)
    : m_clockSync(clockSync)
{
}

MediaGraphBuilder::~MediaGraphBuilder() = default;

std::unique_ptr<SampleGrabber> MediaGraphBuilder::takeSampleGrabber(int channel)
{
    return channel >= 0 && channel < MaxChannels ? std::move(m_grabber[channel]) : nullptr;
}

std::unique_ptr<VideoRenderer> MediaGraphBuilder::takeRenderer(int channel)
{
    return channel >= 0 && channel < MaxChannels ? std::move(m_renderer[channel]) : nullptr;
}

int MediaGraphBuilder::announcedStreams() const
{
    if (!m_demux)
        return 0;
    GST_OBJECT_LOCK(m_demux);
    const int count = int(m_demux->numsrcpads);
    GST_OBJECT_UNLOCK(m_demux);
    return count;
}

// file source -> demuxer, whose pads each get one of the held stream queues.
int MediaGraphBuilder::start(GstElement *graph, const QString &path, Demuxer demuxer)
{
    const char *factory = demuxFactory(demuxer);
    GstElement *source = addElement(graph, "filesrc", QStringLiteral("File Source"));
    m_demux = addElement(graph, factory, QStringLiteral("Splitter"));
    if (!source || !m_demux)
        return Failed;
    g_object_set(source, "location", path.toUtf8().constData(), nullptr);
    for (int i = 0; i < StreamQueues; ++i) {
        GstElement *queue = addElement(graph, "queue", MediaGraphStreams::queueName(i));
        if (!queue)
            return Failed;
        // Room for a few seconds of compressed data so that badly interleaved files still preroll.
        g_object_set(queue, "max-size-buffers", 0u, "max-size-bytes", 0u, "max-size-time",
                     guint64(3 * GST_SECOND), nullptr);
        MediaGraphStreams::hold(graph, queue);
    }
    g_signal_connect(m_demux, "pad-added", G_CALLBACK(MediaGraphStreams::onDemuxPadAdded), graph);
    g_signal_connect(m_demux, "no-more-pads", G_CALLBACK(MediaGraphStreams::onDemuxNoMorePads), graph);
    if (!gst_element_link(source, m_demux)) {
        fail(QStringLiteral("cannot link the file source to %1").arg(QLatin1String(factory)));
        return Failed;
    }
    return Ok;
}

int MediaGraphBuilder::complete(GstElement *graph, Gst::ElementPtr audioOutput)
{
    if (!m_demux) {
        AudioOutput::discard(std::move(audioOutput));
        return Failed;
    }
    const int channels = qMin(countPins(m_demux, QStringLiteral("video")), int(MaxChannels));
    if (channels == 0)
        fail(QStringLiteral("the clip has no video stream"));
    for (int c = 0; c < channels && m_error.isEmpty(); ++c)
        addVideoChain(graph, findPin(m_demux, QStringLiteral("video"), c).get(), c);
    if (m_error.isEmpty() && audioOutput) {
        // A clip without sound, or whose sound cannot be decoded here, plays silently.
        if (Gst::PadPtr audio = findPin(m_demux, QStringLiteral("audio")); audio && canDecodeSound(audio.get()))
            m_hasAudio = addAudioChain(graph, audio.get(), std::move(audioOutput));
    }
    AudioOutput::discard(std::move(audioOutput));
    discardUnusedStreams(graph);
    MediaGraphStreams::release(graph);
    if (!m_error.isEmpty())
        return Failed;
    m_channelCount = channels;
    return Ok;
}

// Streams no branch takes (a third video track, telemetry, sound that is not played) drain into
// fake sinks: a queue with nothing behind it would stop the whole pipeline with an error.
void MediaGraphBuilder::discardUnusedStreams(GstElement *graph)
{
    for (int i = 0; i < StreamQueues; ++i) {
        Gst::ElementPtr queue = MediaGraphStreams::queue(graph, i);
        Gst::PadPtr sink(queue ? gst_element_get_static_pad(queue.get(), "sink") : nullptr);
        Gst::PadPtr src(queue ? gst_element_get_static_pad(queue.get(), "src") : nullptr);
        if (!sink || !src || !gst_pad_is_linked(sink.get()) || gst_pad_is_linked(src.get()))
            continue;
        GstElement *drain = addElement(graph, "fakesink", QStringLiteral("Unused Stream %1").arg(i));
        if (!drain)
            return;
        g_object_set(drain, "sync", FALSE, "async", FALSE, nullptr);
        if (!gst_element_link(queue.get(), drain)) {
            fail(QStringLiteral("cannot drain the unused stream %1").arg(i));
            return;
        }
        gst_element_sync_state_with_parent(drain);
    }
}

GstElement *MediaGraphBuilder::addElement(GstElement *graph, const char *factory, const QString &name)
{
    GstElement *element = gst_element_factory_make(factory, name.toUtf8().constData());
    if (!element) {
        m_missing << QString::fromUtf8(factory);
        fail(QStringLiteral("GStreamer plugin '%1' is not installed").arg(QLatin1String(factory)));
        return nullptr;
    }
    gst_bin_add(GST_BIN(graph), element); // the bin sinks the floating reference
    return element;
}

// demux pad -> decoder -> queue -> grabber probe -> scale to the size shown -> convert that small
// picture to BGRx -> renderer. Scaling first keeps the decoder's planar format (its fast path) and
// leaves the colour conversion only the pixels that are drawn. The queue lets decoding and the
// rest run on two threads.
bool MediaGraphBuilder::addVideoChain(GstElement *graph, GstPad *demuxPad, int channel)
{
    const QString n = QString::number(channel);
    GstElement *pictures = addElement(graph, "queue", QStringLiteral("Picture Queue ") + n);
    GstElement *scale = addElement(graph, "videoscale", QStringLiteral("Display Scaler ") + n);
    GstElement *convert = addElement(graph, "videoconvert", QStringLiteral("Display Converter ") + n);
    GstElement *format = addElement(graph, "capsfilter", QStringLiteral("Display Format ") + n);
    GstElement *sink = addElement(graph, "appsink", QStringLiteral("Video Renderer ") + n);
    if (!pictures || !scale || !convert || !format || !sink)
        return false;
    g_object_set(pictures, "max-size-buffers", 2u, "max-size-bytes", 0u, "max-size-time", guint64(0), nullptr);
    // The view's box decides the shape: no borders, the picture is stretched into it.
    g_object_set(scale, "n-threads", kAllCores, "add-borders", FALSE, nullptr);
    g_object_set(convert, "n-threads", kAllCores, nullptr);
    g_object_set(sink, "sync", gboolean(m_clockSync), "max-buffers", 1u, "drop", TRUE, "enable-last-sample",
                 FALSE, nullptr);
    if (!gst_element_link_many(pictures, scale, convert, format, sink, nullptr)) {
        fail(QStringLiteral("cannot link the video chain of channel %1").arg(channel));
        return false;
    }
    m_grabber[channel] = std::make_unique<SampleGrabber>(scale);
    m_renderer[channel] = std::make_unique<VideoRenderer>(sink, format, m_bound[channel]); // sets the caps
    for (GstElement *e : {sink, format, convert, scale, pictures})
        gst_element_sync_state_with_parent(e);
    return linkThroughDecoder(graph, demuxPad, pictures, QStringLiteral("Video ") + n);
}

// Whether the sound stream's format has a decoder here (raw sound needs none). Asked before the
// branch is built so that a missing decoder leaves the pictures playing instead of failing the clip.
bool MediaGraphBuilder::canDecodeSound(GstPad *demuxPad)
{
    Gst::CapsPtr caps(gst_pad_get_current_caps(demuxPad));
    if (!caps)
        caps.reset(gst_pad_query_caps(demuxPad, nullptr));
    if (!caps || gst_caps_is_empty(caps.get()) || gst_caps_is_any(caps.get()))
        return true; // unknown yet: let the decoder try
    Gst::CapsPtr raw(gst_caps_from_string("audio/x-raw"));
    if (gst_caps_can_intersect(caps.get(), raw.get()))
        return true;
    GList *decoders = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_DECODER | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO, GST_RANK_MARGINAL);
    GList *usable = gst_element_factory_list_filter(decoders, caps.get(), GST_PAD_SINK, FALSE);
    const bool found = usable != nullptr;
    gst_plugin_feature_list_free(usable);
    gst_plugin_feature_list_free(decoders);
    if (!found) {
        Gst::StringPtr text(gst_caps_to_string(caps.get()));
        const QString format = QString::fromUtf8(gst_structure_get_name(gst_caps_get_structure(caps.get(), 0)));
        m_missing << QStringLiteral("%1 decoder").arg(format);
        qCWarning(lcMedia).noquote() << "no decoder for the sound (" << text.get() << "): the clip plays silently";
    }
    return found;
}

// demux pad -> decoder -> convert -> resample -> volume -> the open output. The output is READY
// already; joining the pipeline's state asks nothing more of its device.
bool MediaGraphBuilder::addAudioChain(GstElement *graph, GstPad *demuxPad, Gst::ElementPtr output)
{
    GstElement *convert = addElement(graph, "audioconvert", QStringLiteral("Audio Converter"));
    GstElement *resample = addElement(graph, "audioresample", QStringLiteral("Audio Resampler"));
    GstElement *volume = addElement(graph, "volume", QStringLiteral("Volume"));
    GstElement *sink = output.get();
    if (convert && resample && volume) {
        if (g_object_class_find_property(G_OBJECT_GET_CLASS(sink), "sync"))
            g_object_set(sink, "sync", gboolean(m_clockSync), nullptr);
        gst_bin_add(GST_BIN(graph), sink); // the bin adds its own reference
        if (!gst_element_link_many(convert, resample, volume, sink, nullptr))
            fail(QStringLiteral("cannot link the sound chain"));
    }
    if (!convert || !resample || !volume || !m_error.isEmpty()) {
        qCWarning(lcMedia) << "the clip plays without sound:" << m_error;
        m_error.clear();
        if (GST_OBJECT_PARENT(sink) != GST_OBJECT(graph))
            AudioOutput::discard(std::move(output));
        return false;
    }
    for (GstElement *e : {sink, volume, resample, convert})
        gst_element_sync_state_with_parent(e);
    // Named SoundDecoderName: the player recognises the sound decoder's errors by it.
    if (!linkThroughDecoder(graph, demuxPad, convert, QStringLiteral("Audio")))
        return false;
    m_volume.reset(GST_ELEMENT(gst_object_ref(volume)));
    return true;
}

// demux pad -> its stream queue -> decodebin ~> `first` (linked when the decoder shows its output)
bool MediaGraphBuilder::linkThroughDecoder(GstElement *graph, GstPad *demuxPad, GstElement *first,
                                           const QString &tag)
{
    GstElement *decoder = addElement(graph, "decodebin", tag + QStringLiteral(" Decoder"));
    if (!decoder)
        return false;
    g_signal_connect(decoder, "pad-added", G_CALLBACK(MediaGraphStreams::onDecodedPad), first);
    Gst::PadPtr queueSink(gst_pad_get_peer(demuxPad));
    Gst::ElementPtr queue(queueSink ? gst_pad_get_parent_element(queueSink.get()) : nullptr);
    if (!queue || !gst_element_link(queue.get(), decoder)) {
        fail(QStringLiteral("cannot connect the %1 stream").arg(tag.toLower()));
        return false;
    }
    gst_element_sync_state_with_parent(decoder);
    return true;
}

void MediaGraphBuilder::fail(const QString &why)
{
    if (m_error.isEmpty())
        m_error = why;
}
