// Throughput of the player's whole picture chain (decode -> scale and convert to the size shown ->
// renderer -> painted into a widget of the viewer's size), unsynchronised, against a bare decode of
// the same clip in the same run: for 1080p H.264 in MP4 and 1080p MJPEG in AVI.
#include "benchclip.h"


#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

struct Case
{
    QString name;
    QString file;
    double target;
};

} // namespace

int main(int argc, char **argv)
{
    if (!Bench::prepare())
        return 1;
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    QTemporaryDir dir;
    MediaGen::ClipDesign design;
    design.channels = {QSize(1920, 1080)};
    design.fps = 30;
    design.frames = 30 * seconds;
    design.audio = false;
    design.bitrateKbps = 12000;
    design.textured = true;
    const Case cases[] = {
        {QStringLiteral("H.264 MP4"), dir.filePath(QStringLiteral("REC_2012_05_14_10_20_30.mp4")), 0.85},
        {QStringLiteral("MJPEG AVI"), dir.filePath(QStringLiteral("REC_2012_05_14_10_21_30.avi")), 0.9},
    };
    bool allMet = true;
    for (const Case &c : cases) {
        if (!Bench::writeClip(c.file, design))
            return 1;
        Bench::printLoad();
        const Bench::RunResult bare = Bench::bareToEnd(c.file, false, 1, false);
        const Bench::RunResult full = Bench::playToEnd(c.file, false);
        if (!bare.ok || !full.ok) {
            out << c.name << ": a run failed" << Qt::endl;
            return 1;
        }
        const double ratio = full.picturesPerSecond(0) / bare.picturesPerSecond(0);
        out << QStringLiteral("%1, 1920x1080, 30 fps, %2 s, %3 pictures").arg(c.name).arg(seconds).arg(design.frames)
            << Qt::endl;
        out << QStringLiteral("  bare decode:  %1 pictures in %2 s = %3 fps, CPU %4 s")
                   .arg(bare.pictures[0]).arg(bare.wallSeconds, 0, 'f', 2).arg(bare.picturesPerSecond(0), 0, 'f', 1)
                   .arg(bare.cpuSeconds, 0, 'f', 2)
            << Qt::endl;
        out << QStringLiteral("  full chain:   %1 pictures in %2 s = %3 fps, CPU %4 s")
                   .arg(full.pictures[0]).arg(full.wallSeconds, 0, 'f', 2).arg(full.picturesPerSecond(0), 0, 'f', 1)
                   .arg(full.cpuSeconds, 0, 'f', 2)
            << Qt::endl;
        out << QStringLiteral("  ratio full/bare: %1 (target >= %2)").arg(ratio, 0, 'f', 2).arg(c.target, 0, 'f', 2)
            << Qt::endl;
        allMet = allMet && ratio >= c.target;
    }
    return allMet ? 0 : 2;
}
