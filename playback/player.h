#pragma once

#include "playback/gstelementref.h"
#include "playback/playbackfacts.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <memory>

class Clip;
class MediaGraphBuilder;
class SampleGrabber;
class VideoOutput;
class VideoRenderer;
struct _GstElement;
struct _GstMessage;
struct _GstObject;

// The transport of one clip: one pipeline carrying both video channels and the sound. Opening
// never waits: the pipeline is built and prerolled from its bus messages, and the answer comes as
// opened() or failed(). The pictures go to the output given at construction, scaled to the size
// asked with setDisplaySize(). Every call is made on the GUI thread. Errors in the middle of
// playback stop the player and are reported with errorOccurred(); the end of the clip with
// endOfStream().
class Player : public QObject
{
    Q_OBJECT

public:
    enum StateFlag : quint32 { Stopping = 0x1, Stopped = 0x2, Paused = 0x4, Rewound = 0x10 };
    enum class Recipe { None, Mp4, Avi, Fallback };
    // Where a seek lands: exactly at the time asked for, or at the nearest key frame (fast enough
    // for pictures that follow a pointer).
    enum class SeekAccuracy { Exact, KeyFrame };
    // One frame step in units of 100 ns when the clip does not tell its frame rate (15 per second).
    static constexpr qint64 StepUnits = 666666;

    struct Options
    {
        VideoOutput *output = nullptr; // not owned; must outlive the player
        // False lets renderers and sound run as fast as decoding allows (benchmarks).
        bool clockSync = true;
    };

    // What the player is doing and what the open clip offers, as a snapshot.
    struct Status
    {
        Clip *clip = nullptr; // the open clip, also after an error stopped it
        bool opening = false;
        bool running = false; // the pipeline is playing (not while it is still changing state)
        bool broken = false;  // an error stopped the clip: it has to be opened again to play
        quint32 flags = 0;    // StateFlag values of the last transport request
        double rate = 1.0;
        double volume = 1.0;         // the level set, kept for every clip
        double appliedVolume = -1.0; // the level of the open clip's sound branch; -1 without sound
        bool hasAudio = false;
        Recipe recipe = Recipe::None;
        double frameDurationMs = 0; // one picture of channel 0 (66.7 at 15 per second)
        QString error;
        QStringList missingPlugins; // what the last open missed to play the clip fully
        quint64 deliveredPictures[2] = {0, 0}; // handed over by the streaming threads since the open
        quint64 deliveredSound = 0; // sound buffers that went on to the sound output since the open
    };

    explicit Player(QObject *parent = nullptr);
    explicit Player(const Options &options, QObject *parent = nullptr);
    ~Player() override;

    // Starts opening `clip`, closing what was open. Answers false at once for a null clip (and
    // leaves an open clip alone); otherwise the answer comes later with opened() or failed(). A
    // later open() or close() cancels an open under way, which then reports nothing. An opened
    // clip is paused on its first picture.
    bool open(Clip *clip);
    void close();

    // Each answers whether the pipeline took the request; a refused change of state leaves the
    // state flags as they were and is logged.
    bool play();
    bool pause();
    bool stop();
    bool rewind();
    bool seekMs(qint64 ms, SeekAccuracy accuracy = SeekAccuracy::Exact);
    // One picture forward (direction > 0) or back at the clip's own frame rate; pauses first.
    bool step(int direction);
    bool setRate(double rate);
    // The program's own sound level, 0 (silent) … 1; kept for every clip opened later. The system
    // mixer is never touched.
    void setVolume(double volume);

    // The size the pictures of `channel` are drawn at: the pipeline scales them to it (never above
    // their decoded size) from the next picture on, and shows a paused picture again when it grew.
    void setDisplaySize(int channel, const QSize &size);
    // The last decoded picture of the channel at its full size (24-bit RGB, unrotated); with
    // `refresh` it is taken anew from the pipeline (a null image when there is none), without it
    // the one taken last (black after an open) is answered.
    QImage grabFrame(int channel, bool refresh = true);

    qint64 positionMs() const;
    qint64 lengthMs() const;
    // Channels and sizes of the open clip; empty while nothing is open.
    const PlaybackFacts &facts() const { return m_facts; }
    Status status() const;

    static QString recipeName(Recipe recipe);

Q_SIGNALS:
    void opened();
    void failed(const QString &reason);
    void errorOccurred(const QString &message);
    void endOfStream();

private:
    enum class OpenStage { Idle, Streams, Preroll };
    // What may still be tried after a failed step of an open.
    enum class Retry { OtherRecipe, WithoutSound, Never };

    void startRecipe(Recipe recipe);
    void takeAudioOutput(quint64 generation, Gst::ElementPtr output);
    void continueOpen();
    void checkPrerolled();
    void finishOpen();
    void failOpen(const QString &why, Retry retry = Retry::OtherRecipe);
    static QString cutShortReason();
    // GUI thread: a bus message of the pipeline `generation` (stale generations are ignored).
    void takeBusMessage(quint64 generation, _GstMessage *message);
    void takeOpeningMessage(_GstMessage *message);
    void takeBuilderMessage(_GstMessage *message);
    void takeError(_GstMessage *message);
    void watchBus();
    void releasePipeline();
    void publishSizes();
    void applyVolume();
    void countSound();
    void showPicture(int channel, const QImage &picture, quint64 serial);
    void updateDisplayBound(int channel);
    void refreshPicture();
    bool isReady() const;
    bool isRunning() const;
    bool changeState(int state, const char *request);
    bool seekTo(qint64 positionNs, SeekAccuracy accuracy = SeekAccuracy::Exact);
    bool stepBackward();
    bool stepForward();
    bool sendStep(int channel);
    void stepDone(_GstObject *sink);
    qint64 currentPosition() const;
    qint64 shownPictureTime() const;
    double frameDurationMs() const;
    QSize decodedSize(int channel) const;

    Options m_options;
    Gst::ElementPtr m_pipeline;
    Gst::ElementPtr m_volumeElement; // with sound only
    std::shared_ptr<std::atomic<quint64>> m_soundBuffers; // counted on the sound's streaming thread
    std::unique_ptr<MediaGraphBuilder> m_builder; // while opening
    std::unique_ptr<SampleGrabber> m_grabber[2];
    std::unique_ptr<VideoRenderer> m_renderer[2];
    PlaybackFacts m_facts;
    QImage m_frame[2];
    QSize m_bound[2];
    Clip *m_clip = nullptr;
    Clip *m_openingClip = nullptr;
    OpenStage m_stage = OpenStage::Idle;
    QTimer m_deadline; // fails the open step under way
    QTimer m_settle;   // streams stopped coming: the demuxer is done announcing them
    QTimer m_refresh;  // shows the current picture again at a larger size
    bool m_withSound = true;
    bool m_streamsKnown = false;     // the demuxer is done announcing its streams
    bool m_audioOutputReady = false; // the sound output for this attempt has been tried
    Gst::ElementPtr m_audioOutput;   // that output, until the builder takes it; null: none usable
    quint32 m_stateFlags = 0;
    double m_rate = 1.0;
    double m_volume = 1.0;
    bool m_atEnd = false;
    bool m_broken = false;
    bool m_pristine = false; // paused on the first picture, nothing asked of it yet
    bool m_stepped = false;  // stepped forward since the last seek
    struct StepState
    {
        bool underWay = false; // a forward step was sent and the renderer has not finished it
        int queued = 0;        // forward steps asked for while one was under way
    };
    StepState m_steps[2];
    qint64 m_seekTarget = -1; // ns, the last seek asked for
    bool m_hasAudio = false;
    Recipe m_recipe = Recipe::None;
    quint64 m_generation = 0;
    QString m_error;
    QStringList m_missing;
};
