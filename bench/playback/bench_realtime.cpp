// Real-time playback of a two-channel clip (1920x1080 and 1280x720, 30 fps, with sound) as the
// viewer shows it, against a bare pipeline (the same demuxing and decoding into clock-synchronised
// fake sinks) playing the same clip in the same run: pictures lost and CPU time, for H.264 in MP4
// and MJPEG in AVI.
#include "benchclip.h"


#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char **argv)
{
    if (!Bench::prepare())
        return 1;
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    QTemporaryDir dir;
    const MediaGen::ClipDesign design = Bench::recorderPair(seconds);
    const QString files[] = {dir.filePath(QStringLiteral("REC_2012_05_14_10_20_30.mp4")),
                             dir.filePath(QStringLiteral("REC_2012_05_14_10_21_30.avi"))};
    const QString names[] = {QStringLiteral("H.264 MP4"), QStringLiteral("MJPEG AVI")};
    bool allMet = true;
    for (int i = 0; i < 2; ++i) {
        if (!Bench::writeClip(files[i], design))
            return 1;
        Bench::printLoad();
        const Bench::RunResult bare = Bench::bareToEnd(files[i], true, 2, true);
        const Bench::RunResult player = Bench::playToEnd(files[i], true);
        if (!bare.ok || !player.ok) {
            out << names[i] << ": a run did not reach the end" << Qt::endl;
            return 1;
        }
        out << QStringLiteral("%1: 1920x1080 + 1280x720, 30 fps, %2 s, with sound").arg(names[i]).arg(seconds) << Qt::endl;
        bool noneLost = true;
        for (int c = 0; c < 2; ++c) {
            const qint64 lost = design.frames - qint64(player.pictures[c]);
            noneLost = noneLost && lost <= 0;
            out << QStringLiteral("  channel %1: %2 of %3 pictures reached the renderer (%4 lost)")
                       .arg(c).arg(player.pictures[c]).arg(design.frames).arg(qMax<qint64>(0, lost))
                << Qt::endl;
        }
        const double ratio = player.cpuSeconds / bare.cpuSeconds;
        out << QStringLiteral("  bare pipeline: %1 s of CPU in %2 s (%3 of one core)")
                   .arg(bare.cpuSeconds, 0, 'f', 2).arg(bare.wallSeconds, 0, 'f', 2)
                   .arg(bare.cpuSeconds / bare.wallSeconds, 0, 'f', 2)
            << Qt::endl;
        out << QStringLiteral("  player:        %1 s of CPU in %2 s (%3 of one core)")
                   .arg(player.cpuSeconds, 0, 'f', 2).arg(player.wallSeconds, 0, 'f', 2)
                   .arg(player.cpuSeconds / player.wallSeconds, 0, 'f', 2)
            << Qt::endl;
        out << QStringLiteral("  CPU player/bare: %1 (target <= 1.50)").arg(ratio, 0, 'f', 2) << Qt::endl;
        allMet = allMet && noneLost && ratio <= 1.5;
    }
    return allMet ? 0 : 2;
}
