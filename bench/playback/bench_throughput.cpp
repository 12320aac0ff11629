// Throughput of the player's full picture chain (decode -> YUY2 -> grabber with a sink -> renderer
// conversion), unsynchronised, against a bare decode of the same clip in the same run.
#include "benchclip.h"

#include "playback/mediaframework.h"

#include <gst/gst.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// filesrc -> qtdemux -> decoder -> fakesink, as fast as it goes; answers the seconds taken.
double bareDecodeSeconds(const QString &path, int *frames)
{
    const QString description = QStringLiteral(
        "filesrc name=src ! qtdemux ! queue ! decodebin ! fakesink name=sink sync=false signal-handoffs=true");
    GstElement *pipeline = gst_parse_launch(description.toUtf8().constData(), nullptr);
    if (!pipeline)
        return -1;
    GstElement *src = gst_bin_get_by_name(GST_BIN(pipeline), "src");
    g_object_set(src, "location", path.toUtf8().constData(), nullptr);
    gst_object_unref(src);
    GstElement *sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    std::atomic<int> count{0};
    g_signal_connect(sink, "handoff", G_CALLBACK(+[](GstElement *, GstBuffer *, GstPad *, gpointer c) {
                         ++*static_cast<std::atomic<int> *>(c);
                     }), &count);
    gst_object_unref(sink);
    QElapsedTimer timer;
    timer.start();
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus *bus = gst_element_get_bus(pipeline);
    GstMessage *message = gst_bus_timed_pop_filtered(bus, GST_CLOCK_TIME_NONE,
                                                     GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const double seconds = timer.elapsed() / 1000.0;
    const bool ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message)
        gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    *frames = count.load();
    return ok ? seconds : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qputenv("QRD7700_AUDIO_SINK", "fakesink");
    if (!MediaFramework::initialise())
        return 1;
    QTextStream out(stdout);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("REC_2012_05_14_10_20_30.mp4"));
    MediaGen::ClipSpec clipSpec;
    clipSpec.channels = {QSize(1920, 1080)};
    clipSpec.fps = 30;
    clipSpec.frames = 30 * seconds;
    clipSpec.audio = false;
    clipSpec.bitrateKbps = 12000;
    clipSpec.textured = true;
    if (!Bench::writeClip(path, clipSpec))
        return 1;
    Bench::printLoad();

    int bareFrames = 0;
    const double bare = bareDecodeSeconds(path, &bareFrames);
    Bench::CountingFilter filter;
    const Bench::RunResult full = Bench::playToEnd(path, filter, false);
    if (bare <= 0 || !full.ok) {
        out << "a run failed" << Qt::endl;
        return 1;
    }
    const double bareRate = bareFrames / bare;
    const double fullRate = filter.count(0) / full.wallSeconds;
    out << QStringLiteral("clip: 1920x1080, 30 fps, %1 s, %2 frames").arg(seconds).arg(clipSpec.frames) << Qt::endl;
    out << QStringLiteral("bare decode:  %1 frames in %2 s = %3 fps (%4x real time)")
               .arg(bareFrames).arg(bare, 0, 'f', 2).arg(bareRate, 0, 'f', 1).arg(bareRate / 30, 0, 'f', 2)
        << Qt::endl;
    out << QStringLiteral("full chain:   %1 frames in %2 s = %3 fps (%4x real time), CPU %5 s")
               .arg(filter.count(0)).arg(full.wallSeconds, 0, 'f', 2).arg(fullRate, 0, 'f', 1)
               .arg(fullRate / 30, 0, 'f', 2).arg(full.cpuSeconds, 0, 'f', 2)
        << Qt::endl;
    out << QStringLiteral("ratio full/bare: %1 (target >= 0.80)").arg(fullRate / bareRate, 0, 'f', 2) << Qt::endl;
    return 0;
}
