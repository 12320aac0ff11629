#include "benchclip.h"

#include "catalogue/clip.h"
#include "playback/mediaframework.h"
#include "playback/player.h"

#include <gst/gst.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPainter>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <atomic>
#include <memory>

namespace Bench {

namespace {

// A widget that paints one channel of the player, as the video view does.
class ChannelWidget : public QWidget
{
public:
    ChannelWidget(Player &player, int channel, const QSize &size)
        : m_player(player), m_channel(channel)
    {
        resize(size);
        setAttribute(Qt::WA_DontShowOnScreen);
        show();
    }
    void place() { m_player.showRenderer(this, rect(), m_channel); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        m_player.paintRenderers(painter, this);
    }

private:
    Player &m_player;
    int m_channel;
};

bool isAvi(const QString &path)
{
    return path.endsWith(QLatin1String(".avi"));
}

} // namespace

bool prepare()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QRD7700_AUDIO_SINK", "fakesink");
    return MediaFramework::initialise();
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void printLoad()
{
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (loadavg.open(QIODevice::ReadOnly))
        QTextStream(stdout) << "load average: " << loadavg.readLine().trimmed() << Qt::endl;
}

bool writeClip(const QString &path, const MediaGen::ClipSpec &clipSpec)
{
    QTextStream out(stdout);
    QElapsedTimer timer;
    timer.start();
    QString error;
    const bool written = isAvi(path) ? MediaGen::writeAvi(path, clipSpec, &error) : MediaGen::writeMp4(path, clipSpec, &error);
    if (!written) {
        out << "cannot write " << path << ": " << error << Qt::endl;
        return false;
    }
    out << "generated " << path << " in " << timer.elapsed() / 1000.0 << " s" << Qt::endl;
    return true;
}

RunResult playToEnd(const QString &path, bool clockSync)
{
    RunResult result;
    Clip clip{QFileInfo(path)};
    Player player;
    player.setClockSync(clockSync);
    ChannelWidget large(player, 0, kLargeBox);
    ChannelWidget small(player, 1, kSmallBox);
    large.place(); // before the open: the pipeline scales to these boxes from the first picture
    small.place();
    QEventLoop loop;
    bool opened = false;
    QObject::connect(&player, &Player::opened, &loop, [&] { opened = true; loop.quit(); });
    QObject::connect(&player, &Player::failed, &loop, &QEventLoop::quit);
    if (!player.open(&clip))
        return result;
    loop.exec();
    if (!opened) {
        QTextStream(stdout) << "cannot open " << path << ": " << player.errorString() << Qt::endl;
        return result;
    }
    large.place();
    small.place();
    QObject::connect(&player, &Player::endOfStream, &loop, &QEventLoop::quit);
    QObject::connect(&player, &Player::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    const quint64 before[2] = {player.renderedFrames(0), player.renderedFrames(1)};
    const double cpuBefore = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    player.play();
    loop.exec();
    result.wallSeconds = timer.elapsed() / 1000.0;
    result.cpuSeconds = cpuSeconds() - cpuBefore;
    for (int c = 0; c < 2; ++c)
        result.pictures[c] = player.renderedFrames(c) - before[c];
    result.ok = player.positionMs() == player.lengthMs();
    return result;
}

RunResult bareToEnd(const QString &path, bool clockSync, int channels, bool audio)
{
    RunResult result;
    const QString sync = clockSync ? QStringLiteral("true") : QStringLiteral("false");
    const QString demux = isAvi(path) ? QStringLiteral("avidemux") : QStringLiteral("qtdemux");
    QString description = QStringLiteral("filesrc name=src ! %1 name=d").arg(demux);
    for (int c = 0; c < channels; ++c)
        description += QStringLiteral(" d.video_%1 ! queue ! decodebin ! fakesink name=v%1 sync=%2 signal-handoffs=true")
                           .arg(c)
                           .arg(sync);
    if (audio)
        description += QStringLiteral(" d.audio_0 ! queue ! decodebin ! fakesink sync=%1").arg(sync);
    GError *error = nullptr;
    GstElement *pipeline = gst_parse_launch_full(description.toUtf8().constData(), nullptr,
                                                 GST_PARSE_FLAG_NONE, &error);
    if (error)
        g_clear_error(&error);
    if (!pipeline)
        return result;
    GstElement *src = gst_bin_get_by_name(GST_BIN(pipeline), "src");
    g_object_set(src, "location", path.toUtf8().constData(), nullptr);
    gst_object_unref(src);
    std::atomic<quint64> counts[2] = {0, 0};
    for (int c = 0; c < channels; ++c) {
        GstElement *sink = gst_bin_get_by_name(GST_BIN(pipeline), c == 0 ? "v0" : "v1");
        g_signal_connect(sink, "handoff", G_CALLBACK(+[](GstElement *, GstBuffer *, GstPad *, gpointer n) {
                             ++*static_cast<std::atomic<quint64> *>(n);
                         }), &counts[c]);
        gst_object_unref(sink);
    }
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    gst_element_get_state(pipeline, nullptr, nullptr, 10 * GST_SECOND);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus *bus = gst_element_get_bus(pipeline);
    GstMessage *message = gst_bus_timed_pop_filtered(bus, 600 * GST_SECOND,
                                                     GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    result.wallSeconds = timer.elapsed() / 1000.0;
    result.cpuSeconds = cpuSeconds() - cpuBefore;
    result.ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message)
        gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    for (int c = 0; c < 2; ++c)
        result.pictures[c] = counts[c].load();
    return result;
}

} // namespace Bench
