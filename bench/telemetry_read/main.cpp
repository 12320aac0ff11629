// Times readTelemetryFile on a generated one-minute two-channel clip against a plain sequential
// read of the same file, and prints both and their ratio. The clip lives in a temporary folder
// that is removed at the end.
#include "telemetry/telemetryreader.h"
#include "generators/clipwriter/aviclipwriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr qint64 kMinimumClipBytes = 50 * 1000 * 1000;
constexpr int kRounds = 7;

// Two recordings of one minute, two channels at 30 fps: the reader's cost grows with the number of
// chunks, the full read's with the bytes, so the ratio depends on the bytes per picture.
struct Scenario
{
    const char *name;
    QSize size;
    int blocks; // picture detail: more blocks, larger JPEG pictures
    qint64 minimumBytes;
};

const Scenario kScenarios[] = {
    {"small pictures (640x360)", QSize(640, 360), 150, kMinimumClipBytes},
    {"720p-like pictures (1280x720)", QSize(1280, 720), 3000, 10 * kMinimumClipBytes},
};

// Street-like pictures: random blocks over a gradient; `blocks` sets the JPEG size.
ClipWriter::FramePainter scenePainter(int blocks)
{
    return [blocks](QPainter &painter, const QSize &size, int frameIndex) {
        QLinearGradient sky(0, 0, 0, size.height());
        sky.setColorAt(0, QColor(90, 120, 170));
        sky.setColorAt(1, QColor(60, 60, 60));
        painter.fillRect(QRect(QPoint(0, 0), size), sky);
        QRandomGenerator random(quint32(1000 + frameIndex));
        for (int i = 0; i < blocks; ++i) {
            const QRect block(random.bounded(size.width()), random.bounded(size.height()), random.bounded(4, 40),
                              random.bounded(4, 40));
            painter.fillRect(block, QColor::fromRgb(random.generate()));
        }
    };
}

ClipWriter::ClipDescription minuteClip(const Scenario &scenario)
{
    ClipWriter::ClipDescription d;
    const ClipWriter::VideoStream stream{scenario.size, scenePainter(scenario.blocks), 85, 12};
    d.videoStreams = {stream, stream};
    d.framesPerSecond = 30;
    d.durationMs = 60000;
    d.audioSampleRate = 16000;
    ClipWriter::TelemetryRoute route;
    for (int second = 0; second < 60; ++second) {
        route.positions.append({37.5 + second * 0.0002, 127.0 + second * 0.0003});
        route.speedKnots.append(20 + second % 10);
    }
    route.gForces = {{1, -2, 3}, {0, 1, -1}, {2, 0, 0}};
    route.accelSamplesPerSecond = 20;
    d.route = route;
    return d;
}

// Reads the whole file front to back in 1 MiB blocks; returns the byte count.
qint64 readSequentially(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return -1;
    std::unique_ptr<char[]> block(new char[1 << 20]);
    qint64 total = 0;
    for (qint64 got; (got = file.read(block.get(), 1 << 20)) > 0;)
        total += got;
    return total;
}

template<typename F>
double medianMs(F &&work)
{
    QList<double> times;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(kRounds / 2);
}

// Writes the clip, times both reads, prints the figures; false on any failure.
bool runScenario(const Scenario &scenario, const QString &path)
{
    QString error;
    if (!ClipWriter::writeAviClip(path, minuteClip(scenario), &error)) {
        std::fprintf(stderr, "cannot write the clip: %s\n", qPrintable(error));
        return false;
    }
    const qint64 size = QFileInfo(path).size();
    auto records = std::make_unique<TelemetryRecords>();
    int count = 0;
    qint64 readBytes = readSequentially(path); // also brings the file into the page cache
    const double fullMs = medianMs([&] { readBytes = readSequentially(path); });
    const double readerMs = medianMs([&] { count = readTelemetryFile(path, *records); });
    QFile::remove(path);
    if (size < scenario.minimumBytes || readBytes != size || count != 600) {
        std::fprintf(stderr, "unexpected clip: %lld bytes, %lld read, %d records\n", size, readBytes, count);
        return false;
    }
    std::printf("%s: 60 s, two MJPEG channels at 30 fps, %.1f MB, %d records\n", scenario.name, size / 1e6, count);
    std::printf("  sequential read:   %9.3f ms (median of %d)\n", fullMs, kRounds);
    std::printf("  readTelemetryFile: %9.3f ms (median of %d)\n", readerMs, kRounds);
    std::printf("  ratio: the reader is %.1fx faster than the full read (target: at least 10x)\n",
                fullMs / readerMs);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    for (const Scenario &scenario : kScenarios) {
        if (!runScenario(scenario, dir.filePath(QStringLiteral("REC_2012_05_14_10_20_30.avi"))))
            return 1;
    }
    return 0;
}
