#pragma once

// Builds the pipeline of one clip from a fixed recipe: a file source and a demuxer, one branch per
// video stream (decoder -> YUY2 -> grabber -> RGBx -> renderer) and one optional audio branch.
// Short-lived: the player creates one per open, takes the grabbers and renderers out of it, and
// lets it go; the elements stay alive inside the pipeline.
#include "playback/gsthandles_p.h"

#include <QString>

#include <memory>

class SampleGrabber;
class VideoRenderer;

class MediaGraphBuilder
{
public:
    static constexpr int MaxChannels = 2;
    static constexpr int Ok = 0;
    static constexpr int Failed = -1;

    // `audioSink`: element factory of the audio output ("" = the default). `clockSync` false lets
    // the renderers take pictures as fast as they come (benchmarks).
    MediaGraphBuilder(const QString &audioSink, bool clockSync);
    ~MediaGraphBuilder();

    // Both fill the empty `graph` and preroll it (paused on the first picture); Ok or Failed.
    int buildMp4Graphs(GstElement *graph, const QString &path);
    // `useParseFilter` true: the AVI demuxer; false: the generic fallback (auto-plugged parser).
    int buildAviGraphs(GstElement *graph, const QString &path, bool useParseFilter);

    int channelCount() const { return m_channelCount; }
    bool hasAudio() const { return m_hasAudio; }
    QString errorString() const { return m_error; }

    std::unique_ptr<SampleGrabber> takeSampleGrabber(int channel);
    std::unique_ptr<VideoRenderer> takeRenderer(int channel);

    // The `skip`-th source pad of `element` whose name is `name`, or `name` followed by "_N"
    // (compared regardless of case); pads of auto-plugging bins ("src_N") match by the media type
    // of their caps ("video", "audio"). Null when there is none.
    static Gst::PadPtr findPin(GstElement *element, const QString &name, int skip = 0);
    static int countPins(GstElement *element, const QString &name);

private:
    int build(GstElement *graph, const QString &path, const char *demuxFactory);
    GstElement *addElement(GstElement *graph, const char *factory, const QString &name);
    bool waitForPads(GstElement *graph, GstElement *demux);
    bool addVideoChain(GstElement *graph, GstPad *demuxPad, int channel);
    bool addAudioChain(GstElement *graph, GstPad *demuxPad);
    GstElement *makeAudioSink(GstElement *graph);
    bool linkThroughDecoder(GstElement *graph, GstPad *demuxPad, GstElement *first, const QString &tag);
    bool preroll(GstElement *graph);
    void fail(const QString &why);

    QString m_audioSink;
    bool m_clockSync = true;
    int m_channelCount = 0;
    bool m_hasAudio = false;
    QString m_error;
    std::unique_ptr<SampleGrabber> m_grabber[MaxChannels];
    std::unique_ptr<VideoRenderer> m_renderer[MaxChannels];
};
