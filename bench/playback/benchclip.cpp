#include "benchclip.h"

#include "catalogue/clip.h"
#include "playback/mediaframework.h"
#include "playback/player.h"
#include "playback/videooutput.h"
#include "viewer/videoview.h"

#include <gst/gst.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

#include <atomic>
#include <memory>

namespace Bench {

namespace {

// Hands each channel's pictures to its own view (both views take them as their channel 0).
class ChannelViews : public VideoOutput
{
public:
    ChannelViews(VideoView &large, VideoView &small) : m_views{&large, &small} {}
    void presentPicture(int channel, const QImage &picture, quint64 serial) override
    {
        m_views[channel == 1 ? 1 : 0]->presentPicture(0, picture, serial);
    }
    void resetPictures(bool opening) override
    {
        for (VideoView *view : m_views)
            view->resetPictures(opening);
    }

private:
    VideoView *m_views[2];
};

// A video view of the viewer's size, painted offscreen, that asks `player` for pictures of the
// size it draws them at.
void prepareView(VideoView &view, Player &player, int channel, const QSize &size)
{
    view.resize(size);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    QObject::connect(&view, &VideoView::displaySizeChanged, &player,
                     [&player, channel](const QSize &shown) { player.setDisplaySize(channel, shown); });
}

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

MediaGen::ClipDesign recorderPair(int seconds)
{
    MediaGen::ClipDesign design;
    design.channels = {QSize(1920, 1080), QSize(1280, 720)};
    design.fps = 30;
    design.frames = 30 * seconds;
    design.audio = true;
    design.bitrateKbps = 8000;
    design.textured = true;
    return design;
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

bool writeClip(const QString &path, const MediaGen::ClipDesign &design)
{
    QTextStream out(stdout);
    QElapsedTimer timer;
    timer.start();
    QString error;
    const bool written = isAvi(path) ? MediaGen::writeAvi(path, design, &error) : MediaGen::writeMp4(path, design, &error);
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
    VideoView large;
    VideoView small;
    ChannelViews views(large, small);
    Player player(Player::Options{&views, clockSync});
    prepareView(large, player, 0, kLargeBox);
    prepareView(small, player, 1, kSmallBox);
    // Before the open: the pipeline scales to these boxes from the first picture.
    player.setDisplaySize(0, kLargeBox);
    player.setDisplaySize(1, kSmallBox);
    QEventLoop loop;
    bool opened = false;
    QObject::connect(&player, &Player::opened, &loop, [&] { opened = true; loop.quit(); });
    QObject::connect(&player, &Player::failed, &loop, &QEventLoop::quit);
    if (!player.open(&clip))
        return result;
    loop.exec();
    if (!opened) {
        QTextStream(stdout) << "cannot open " << path << ": " << player.status().error << Qt::endl;
        return result;
    }
    large.setVideoSize(player.facts().videoSize(0));
    small.setVideoSize(player.facts().videoSize(1));
    large.layoutRenderers();
    small.layoutRenderers();
    QObject::connect(&player, &Player::endOfStream, &loop, &QEventLoop::quit);
    QObject::connect(&player, &Player::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    const Player::Status start = player.status();
    const quint64 before[2] = {start.deliveredPictures[0], start.deliveredPictures[1]};
    const double cpuBefore = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    player.play();
    loop.exec();
    result.wallSeconds = timer.elapsed() / 1000.0;
    result.cpuSeconds = cpuSeconds() - cpuBefore;
    const Player::Status end = player.status();
    for (int c = 0; c < 2; ++c)
        result.pictures[c] = end.deliveredPictures[c] - before[c];
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
