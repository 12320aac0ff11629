// Real-time playback of a two-channel clip (1920x1080 and 1280x720, 30 fps) at rate 1.0 with a
// sink that rewrites nothing: pictures delivered per channel against pictures in the file, and the
// CPU time used.
#include "benchclip.h"

#include "playback/mediaframework.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qputenv("QRD7700_AUDIO_SINK", "fakesink");
    if (!MediaFramework::initialise())
        return 1;
    QTextStream out(stdout);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 30;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("REC_2012_05_14_10_20_30.mp4"));
    MediaGen::ClipSpec clipSpec;
    clipSpec.channels = {QSize(1920, 1080), QSize(1280, 720)};
    clipSpec.fps = 30;
    clipSpec.frames = 30 * seconds;
    clipSpec.audio = true;
    clipSpec.bitrateKbps = 8000;
    clipSpec.textured = true;
    if (!Bench::writeClip(path, clipSpec))
        return 1;
    Bench::printLoad();

    Bench::CountingFilter filter;
    const Bench::RunResult run = Bench::playToEnd(path, filter, true);
    if (!run.ok) {
        out << "the clip did not play to its end" << Qt::endl;
        return 1;
    }
    out << QStringLiteral("clip: 1920x1080 + 1280x720, 30 fps, %1 s, AAC sound").arg(seconds) << Qt::endl;
    for (int c = 0; c < 2; ++c) {
        out << QStringLiteral("channel %1: %2 of %3 pictures delivered (%4 lost)")
                   .arg(c).arg(filter.count(c)).arg(clipSpec.frames).arg(clipSpec.frames - filter.count(c))
            << Qt::endl;
    }
    out << QStringLiteral("played a %1 s clip in %2 s, CPU %3 s (%4 of one core)").arg(seconds)
               .arg(run.wallSeconds, 0, 'f', 2).arg(run.cpuSeconds, 0, 'f', 2)
               .arg(run.cpuSeconds / run.wallSeconds, 0, 'f', 2)
        << Qt::endl;
    return 0;
}
