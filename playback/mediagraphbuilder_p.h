#pragma once

// Builds the pipeline of one clip from a fixed recipe: a file source and a demuxer, one branch per
// video stream (decoder -> scale and convert to BGRx at the size shown -> renderer, with the grabber
// watching the full-size pictures) and one optional sound branch (decoder -> volume -> output).
// The build runs in two steps so that nobody waits: start() adds the source side and lets the
// demuxer announce its streams while their data (and their ends) are held; complete() adds the
// branches once the streams are known and lets the data flow. The player drives both steps from bus
// messages on the GUI thread, takes the grabbers, renderers and the volume out of the builder, and
// lets it go; the elements stay alive inside the pipeline. Links made on streaming threads report
// their failures with LinkFailed, and a stream that ends before carrying anything with
// StreamEndedEmpty.
#include "playback/gsthandles_p.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

class SampleGrabber;
class VideoRenderer;

class MediaGraphBuilder
{
public:
    static constexpr int MaxChannels = 2;
    static constexpr int Ok = 0;
    static constexpr int Failed = -1;
    // Name of the application message the pipeline carries when the demuxer has announced its
    // streams ("no-more-pads"), and of the one it carries for every stream it announces.
    static constexpr const char *PadsAnnounced = "qrd7700-pads-announced";
    static constexpr const char *PadAnnounced = "qrd7700-pad-announced";
    // A link made on a streaming thread failed: fields "reason" (text) and "sound" (the sound's).
    static constexpr const char *LinkFailed = "qrd7700-link-failed";
    // A stream ended before any of its data: field "kind" ("video", "audio" or "other").
    static constexpr const char *StreamEndedEmpty = "qrd7700-stream-ended-empty";
    static constexpr const char *SoundDecoderName = "Audio Decoder";
    static constexpr int StreamQueues = 4; // two video streams, sound and telemetry

    enum class Demuxer { Mp4, Avi, Generic };

    // `clockSync` false lets the renderers take pictures as fast as they come (benchmarks).
    explicit MediaGraphBuilder(bool clockSync);
    ~MediaGraphBuilder();

    // The size the pictures of `channel` are drawn at, to scale them down to from the first one.
    void setDisplayBound(int channel, const QSize &bound) { m_bound[channel == 1 ? 1 : 0] = bound; }

    // Adds the file source, the demuxer and the held stream queues to the empty `graph`. The caller
    // then sets the graph to PAUSED and waits for PadsAnnounced (or for PadAnnounced messages to
    // stop coming, for demuxers that never say they are done). Ok or Failed.
    int start(GstElement *graph, const QString &path, Demuxer demuxer);
    // Adds the branches for the streams the demuxer announced and releases the held data; the
    // graph then prerolls by itself (ASYNC_DONE). `audioOutput` is the open sound output (see
    // AudioOutput), or null to leave the sound unplayed; an output not used is discarded. Ok or
    // Failed (no video stream, a missing element, a link refused).
    int complete(GstElement *graph, Gst::ElementPtr audioOutput);

    int channelCount() const { return m_channelCount; }
    bool hasAudio() const { return m_hasAudio; }
    int announcedStreams() const;
    QString errorString() const { return m_error; }
    // Human-readable names of elements or decoders that were needed and are not installed.
    QStringList missingPlugins() const { return m_missing; }

    std::unique_ptr<SampleGrabber> takeSampleGrabber(int channel);
    std::unique_ptr<VideoRenderer> takeRenderer(int channel);
    // The volume element of the sound branch (a reference), or null without sound.
    Gst::ElementPtr takeVolume() { return std::move(m_volume); }

    // The `skip`-th source pad of `element` whose name is `name`, or `name` followed by "_N"
    // (compared regardless of case); pads of auto-plugging bins ("src_N") match by the media type
    // of their caps ("video", "audio"). Null when there is none.
    static Gst::PadPtr findPin(GstElement *element, const QString &name, int skip = 0);
    static int countPins(GstElement *element, const QString &name);
    // Whether `pad` is one of the pins findPin() finds by `name`.
    static bool isPin(GstPad *pad, const QString &name);

private:
    GstElement *addElement(GstElement *graph, const char *factory, const QString &name);
    bool addVideoChain(GstElement *graph, GstPad *demuxPad, int channel);
    bool addAudioChain(GstElement *graph, GstPad *demuxPad, Gst::ElementPtr output);
    bool canDecodeSound(GstPad *demuxPad);
    bool linkThroughDecoder(GstElement *graph, GstPad *demuxPad, GstElement *first, const QString &tag);
    void discardUnusedStreams(GstElement *graph);
    void fail(const QString &why);

    bool m_clockSync = true;
    GstElement *m_demux = nullptr; // owned by the graph
    int m_channelCount = 0;
    bool m_hasAudio = false;
    QString m_error;
    QStringList m_missing;
    std::unique_ptr<SampleGrabber> m_grabber[MaxChannels];
    std::unique_ptr<VideoRenderer> m_renderer[MaxChannels];
    Gst::ElementPtr m_volume;
    QSize m_bound[MaxChannels];
};

// The streaming-thread side of the builder (mediagraphstreams.cpp).
namespace MediaGraphStreams {

QString queueName(int index);
Gst::ElementPtr queue(GstElement *graph, int index);
// Holds the data and the end of the stream `queue` (of `graph`) takes, and watches its input.
void hold(GstElement *graph, GstElement *queue);
// Lets the held data of every stream queue of `graph` flow.
void release(GstElement *graph);
// Whether a video stream of `graph` ended before any of its data (thread-safe).
bool videoEndedEmpty(GstElement *graph);
void onDemuxPadAdded(GstElement *demux, GstPad *pad, gpointer graph);
void onDemuxNoMorePads(GstElement *demux, gpointer graph);
void onDecodedPad(GstElement *decoder, GstPad *pad, gpointer target);

} // namespace MediaGraphStreams
