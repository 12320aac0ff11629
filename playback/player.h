#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

#include <atomic>
#include <memory>

class Clip;
class QPainter;
class QWidget;
class SampleHandler;
class SampleGrabber;
class VideoRenderer;
struct _GstElement;
struct _GstMessage;

// The transport of one video view: one pipeline per open clip carrying both video channels and the
// sound. Every call is made on the GUI thread except rotation() and videoSize(), which the sample
// filters call on the streaming threads. Errors in the middle of playback stop the player and are
// reported with errorOccurred; the end of the clip with endOfStream.
class Player : public QObject
{
    Q_OBJECT

public:
    enum StateFlag : quint32 { Stopping = 0x1, Stopped = 0x2, Paused = 0x4, Rewound = 0x10 };
    enum class Recipe { None, Mp4, Avi, Fallback };
    static constexpr qint64 StepUnits = 666666; // one frame step, in units of 100 ns

    explicit Player(QObject *parent = nullptr);
    ~Player() override;

    // Opens `clip` (closing what was open) and pauses on its first picture. `callbacks` (may be
    // null) holds the picture callbacks of channels 0 and 1.
    bool open(Clip *clip, SampleHandler *const *callbacks);
    void close();

    bool play();
    bool pause();
    bool stop();
    bool rewind();
    bool seekMs(qint64 ms);
    bool stepBackward();
    bool stepForward();
    bool setRate(double rate);

    bool isRunning() const;
    bool isStopped() const { return m_stateFlags & Stopped; }
    bool isPaused() const { return m_stateFlags & Paused; }
    quint32 stateFlags() const { return m_stateFlags; }
    qint64 lengthMs() const;
    qint64 positionMs() const;
    QSize videoSize(int channel) const; // thread-safe
    int channelCount() const;           // of the last successful open in this process
    static QSize publishedVideoSize(int channel);
    Clip *clip() const { return m_clip; }
    bool hasAudio() const { return m_hasAudio; }
    Recipe recipe() const { return m_recipe; }
    static QString recipeName(Recipe recipe);
    QString errorString() const { return m_error; }

    // The channel's picture buffer (24-bit RGB); with `refresh` it is first replaced by the last
    // picture that passed the channel's grabber (a null image when there is none).
    const QImage &grabFrame(int channel, bool refresh);

    void rotate(int degrees);
    void resetRotation() { m_rotation.store(0); }
    int rotation() const { return m_rotation.load(); } // thread-safe

    // Renderer placement inside a widget; channel 1 means the second channel, anything else 0.
    bool showRenderer(QWidget *window, const QRect &rect, int channel);
    bool moveRenderer(QWidget *window, int x, int y, int channel);
    bool resizeRenderer(QWidget *window, int width, int height, int channel);
    bool hideRenderer(int channel);
    // Called by a widget from its paintEvent: draws the renderers shown inside `window`.
    void paintRenderers(QPainter &painter, const QWidget *window) const;
    // The latest picture a renderer received (RGBX8888), for checks and previews.
    QImage rendererPicture(int channel) const;
    quint64 renderedFrames(int channel) const;

    // False lets renderers and sound run as fast as decoding allows; applies to the next open.
    void setClockSync(bool sync) { m_clockSync = sync; }

Q_SIGNALS:
    void errorOccurred(const QString &message);
    void endOfStream();

private:
    bool build(const QString &path, Recipe recipe);
    void publishSizes(SampleHandler *const *callbacks);
    void watchBus();
    void handleBusMessage(quint64 generation, _GstMessage *message);
    void releasePipeline();
    bool setState(int state);
    bool seekTo(qint64 position100ns);
    VideoRenderer *rendererFor(int channel) const;

    _GstElement *m_pipeline = nullptr;
    std::unique_ptr<SampleGrabber> m_grabber[2];
    std::unique_ptr<VideoRenderer> m_renderer[2];
    QImage m_frame[2];
    std::atomic<int> m_width[2] = {0, 0};
    std::atomic<int> m_height[2] = {0, 0};
    std::atomic<int> m_rotation{0};
    Clip *m_clip = nullptr;
    quint32 m_stateFlags = 0;
    double m_rate = 1.0;
    bool m_atEnd = false;
    bool m_hasAudio = false;
    bool m_clockSync = true;
    Recipe m_recipe = Recipe::None;
    quint64 m_generation = 0;
    QString m_error;
};
