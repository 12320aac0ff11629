// The overlay video of a two-channel clip (1920x1080 and 1280x720, 30 fps, with sound) rendered
// from its first to its last picture, against the clip's own length: the render speed as a
// multiple of real time, for H.264 in MP4 and MJPEG in AVI. The lossless segment of the same clip
// is timed beside it.
#include "bench/playback/benchclip.h"
#include "playback/overlayrenderer.h"
#include "playback/segmentwriter.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

constexpr double kTarget = 1.0; // at least as fast as real time

// A caption as long as the real one, changing with every picture.
QStringList caption(int part, qint64 clipMs)
{
    const qint64 s = clipMs / 1000;
    return {QStringLiteral("2026-12-01 17:%1:%2.%3 +09:00   2026-12-01 08:%1:%2 UTC   %4 km/h   part %5")
                .arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'))
                .arg(clipMs % 1000 / 100).arg(40 + s % 70).arg(part + 1),
            QStringLiteral("G  X %1  Y -0.12  Z +0.98    37.%2 N  127.000599 E")
                .arg(QString::number(double(clipMs % 200) / 100.0 - 1.0, 'f', 2)).arg(500000 + clipMs, 6, 10, QLatin1Char('0'))};
}

struct Run
{
    bool ok = false;
    double wallSeconds = 0;
    double cpuSeconds = 0;
};

Run runToEnd(PipelineJob &job)
{
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&job, &PipelineJob::finished, &loop, [&] { ok = true; loop.quit(); });
    QObject::connect(&job, &PipelineJob::failed, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    const double cpu = Bench::cpuSeconds();
    timer.start();
    if (!job.start())
        return {};
    loop.exec();
    return {ok, double(timer.nsecsElapsed()) / 1e9, Bench::cpuSeconds() - cpu};
}

} // namespace

int main(int argc, char **argv)
{
    if (!Bench::prepare())
        return 1;
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    QTemporaryDir dir;
    const MediaGen::ClipDesign design = Bench::recorderPair(seconds);
    const QString files[] = {dir.filePath(QStringLiteral("REC_2026_12_01_17_00_00.mp4")),
                             dir.filePath(QStringLiteral("REC_2026_12_01_17_01_00.avi"))};
    const QString names[] = {QStringLiteral("H.264 MP4"), QStringLiteral("MJPEG AVI")};
    bool met = true;
    for (int i = 0; i < 2; ++i) {
        if (!Bench::writeClip(files[i], design))
            return 1;
        Bench::printLoad();
        const QList<MediaPart> parts{{files[i], 0, seconds * 1000}};
        SegmentWriter segment(parts, dir.filePath(QStringLiteral("segment.mkv")));
        const Run copied = runToEnd(segment);
        OverlayRenderer overlay(parts, dir.filePath(QStringLiteral("overlay.mp4")), &caption);
        const Run rendered = runToEnd(overlay);
        if (!copied.ok || !rendered.ok) {
            out << names[i] << ": " << (copied.ok ? overlay.errorString() : segment.errorString()) << Qt::endl;
            return 1;
        }
        const QSize size = OverlayRenderer::outputSize(2);
        const double speed = seconds / rendered.wallSeconds;
        out << QStringLiteral("%1: 1920x1080 + 1280x720, 30 fps, %2 s, with sound").arg(names[i]).arg(seconds) << Qt::endl
            << QStringLiteral("  lossless segment: %1 s (%2x real time)")
                   .arg(copied.wallSeconds, 0, 'f', 2).arg(seconds / copied.wallSeconds, 0, 'f', 1) << Qt::endl
            << QStringLiteral("  overlay video %1x%2: %3 s, %4 s of CPU (%5 cores)")
                   .arg(size.width()).arg(size.height()).arg(rendered.wallSeconds, 0, 'f', 2)
                   .arg(rendered.cpuSeconds, 0, 'f', 2).arg(rendered.cpuSeconds / rendered.wallSeconds, 0, 'f', 2)
            << Qt::endl
            << QStringLiteral("  overlay speed: %1x real time (target >= %2)").arg(speed, 0, 'f', 2).arg(kTarget, 0, 'f', 2)
            << Qt::endl;
        met = met && speed >= kTarget;
    }
    return met ? 0 : 2;
}
