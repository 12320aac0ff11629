#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <memory>

class Clip;
class MediaGraphBuilder;
class QPainter;
class QWidget;
class SampleGrabber;
class VideoRenderer;
struct _GstElement;
struct _GstMessage;
struct _GstObject;

// The transport of one video view: one pipeline per open clip carrying both video channels and the
// sound. Opening never waits: the pipeline is built and prerolled from its bus messages, and the
// answer comes as opened() or failed(). Every call is made on the GUI thread except rotation() and
// videoSize(), which are thread-safe. Errors in the middle of playback stop the player and are
// reported with errorOccurred(); the end of the clip with endOfStream().
class Player : public QObject
{
    Q_OBJECT

public:
    enum StateFlag : quint32 { Stopping = 0x1, Stopped = 0x2, Paused = 0x4, Rewound = 0x10 };
    enum class Recipe { None, Mp4, Avi, Fallback };
    // One frame step in units of 100 ns when the clip does not tell its frame rate (15 per second).
    static constexpr qint64 StepUnits = 666666;

    explicit Player(QObject *parent = nullptr);
    ~Player() override;

    // Starts opening `clip`, closing what was open. Answers false at once for a null clip (and
    // leaves an open clip alone); otherwise the answer comes later with opened() or failed(). A
    // later open() or close() cancels an open under way, which then reports nothing. An opened
    // clip is paused on its first picture.
    bool open(Clip *clip);
    void close();
    bool isOpening() const { return m_openingClip != nullptr; }
    Clip *openingClip() const { return m_openingClip; }

    bool play();
    bool pause();
    bool stop();
    bool rewind();
    bool seekMs(qint64 ms);
    // One picture back or forward at the clip's own frame rate; the player pauses first.
    bool stepBackward();
    bool stepForward();
    bool setRate(double rate);
    double rate() const { return m_rate; }

    bool isRunning() const;
    bool isStopped() const { return m_stateFlags & Stopped; }
    bool isPaused() const { return m_stateFlags & Paused; }
    quint32 stateFlags() const { return m_stateFlags; }
    // True after an error stopped the clip: it has to be opened again to play.
    bool isBroken() const { return m_broken; }
    qint64 lengthMs() const;
    qint64 positionMs() const;
    // Duration of one picture of channel 0 in ms (66.7 at 15 pictures per second).
    double frameDurationMs() const;
    QSize videoSize(int channel) const; // thread-safe
    int channelCount() const;           // of the last successful open in this process
    static QSize publishedVideoSize(int channel);
    Clip *clip() const { return m_clip; }
    bool hasAudio() const { return m_hasAudio; }
    Recipe recipe() const { return m_recipe; }
    static QString recipeName(Recipe recipe);
    QString errorString() const { return m_error; }
    // What the last open missed to play the clip fully (decoders, elements), for messages.
    QStringList missingPlugins() const { return m_missing; }

    // The program's own sound level, 0 (silent) … 1; kept for every clip opened later. The system
    // mixer is never touched.
    void setVolume(double volume);
    double volume() const { return m_volume; }
    // The level the open clip's sound branch plays at; -1 without sound.
    double appliedVolume() const;

    // The last decoded picture of the channel at its full size (24-bit RGB, unrotated); with
    // `refresh` it is taken anew from the pipeline (a null image when there is none).
    const QImage &grabFrame(int channel, bool refresh);

    void rotate(int degrees);
    void resetRotation() { m_rotation.store(0); }
    int rotation() const { return m_rotation.load(); } // thread-safe

    // Renderer placement inside a widget; channel 1 means the second channel, anything else 0.
    // Nothing is drawn before showRenderer. moveRenderer and resizeRenderer always answer false
    // (as the renderer window they stand for did); all answer false without that renderer. The
    // pipeline scales the pictures down to the rectangle given.
    bool showRenderer(QWidget *window, const QRect &rect, int channel);
    bool moveRenderer(QWidget *window, int x, int y, int channel);
    bool resizeRenderer(QWidget *window, int width, int height, int channel);
    bool hideRenderer(int channel);
    // Called by a widget from its paintEvent: draws the renderers shown inside `window`, rotated.
    void paintRenderers(QPainter &painter, const QWidget *window) const;
    // The latest picture a renderer received (RGB32, at the size the pipeline scaled it to).
    QImage rendererPicture(int channel) const;
    quint64 renderedFrames(int channel) const;
    // The number of the picture the renderer shows, counted from 1 since the clip was opened.
    quint64 pictureSerial(int channel) const;

    // False lets renderers and sound run as fast as decoding allows; applies to the next open.
    void setClockSync(bool sync) { m_clockSync = sync; }

Q_SIGNALS:
    void opened();
    void failed(const QString &reason);
    void errorOccurred(const QString &message);
    void endOfStream();
    // A new picture of the channel reached its renderer.
    void pictureShown(int channel);

private:
    enum class OpenStage { Idle, Streams, Preroll };
    friend class PlayerBusRelay;

    void startRecipe(Recipe recipe);
    void continueOpen();
    void checkPrerolled();
    void finishOpen();
    void failOpen(const QString &why, bool fromSound = false);
    // GUI thread: a bus message of the pipeline `generation` (stale generations are ignored).
    void takeBusMessage(quint64 generation, _GstMessage *message);
    void takeOpeningMessage(_GstMessage *message);
    void takeError(_GstMessage *message);
    void watchBus();
    void releasePipeline();
    void publishSizes();
    void applyVolume();
    void updateDisplayBound(int channel);
    void refreshPicture();
    bool isReady() const;
    bool setState(int state);
    bool seekTo(qint64 positionNs);
    bool sendStep(int channel);
    void stepDone(_GstObject *sink);
    qint64 currentPosition() const;
    qint64 shownPictureTime() const;
    VideoRenderer *rendererFor(int channel) const;

    _GstElement *m_pipeline = nullptr;
    std::unique_ptr<MediaGraphBuilder> m_builder; // while opening
    std::unique_ptr<SampleGrabber> m_grabber[2];
    std::unique_ptr<VideoRenderer> m_renderer[2];
    _GstElement *m_volumeElement = nullptr; // a reference, with sound only
    QImage m_frame[2];
    QSize m_bound[2];
    std::atomic<int> m_width[2] = {0, 0};
    std::atomic<int> m_height[2] = {0, 0};
    std::atomic<int> m_rotation{0};
    Clip *m_clip = nullptr;
    Clip *m_openingClip = nullptr;
    OpenStage m_stage = OpenStage::Idle;
    QTimer m_deadline; // fails the open step under way
    QTimer m_settle;   // streams stopped coming: the demuxer is done announcing them
    QTimer m_refresh;  // shows the current picture again at a larger size
    bool m_withSound = true;
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
    bool m_clockSync = true;
    Recipe m_recipe = Recipe::None;
    quint64 m_generation = 0;
    QString m_error;
    QStringList m_missing;
};
