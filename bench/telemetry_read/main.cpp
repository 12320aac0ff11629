// Telemetry reading of generated one-minute two-channel clips, in two parts:
// - warm: readTelemetryFile against a plain sequential read of the same file (page cache warm);
// - cold: the reader through the AVI index against the walk of every chunk header, each with the
//   file dropped from the page cache first (posix_fadvise DONTNEED): the time, and the pages the
//   read brought into the cache (mincore). Targets: the index at least 5x faster than the walk, and
//   at most 4 MiB of pages per clip.
// Prints the figures and ratios; exit code 2 when a target is missed, 1 when the run itself fails.
// Usage: bench_telemetry_read [G-SAMPLES-PER-SECOND]   (default 10)
#include "bench/telemetrybench/telemetrybench.h"
#include "telemetry/telemetryreader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr qint64 kMinimumClipBytes = 50 * 1000 * 1000;
constexpr int kRounds = 7;
constexpr double kColdRatioTarget = 5.0;
constexpr qint64 kColdBytesTarget = 4 << 20;

// The reader's cost grows with the number of chunks, the full read's with the bytes, so the warm
// ratio depends on the bytes per picture.
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

struct Cold
{
    double ms = 0;     // median
    qint64 bytes = 0;  // most pages brought in by one read
    bool ok = true;    // the cache was cold, the way taken the one asked for, the records alike
};

// Reads the clip kRounds times from a cold cache with `method`; the records must equal `expected`.
Cold coldReads(const QString &path, TelemetryReadMethod method, const TelemetryRecords &expected, int expectedCount)
{
    Cold cold;
    QList<double> times;
    auto records = std::make_unique<TelemetryRecords>();
    for (int round = 0; round < kRounds; ++round) {
        if (!TelemetryBench::dropFromPageCache(path)) {
            std::fprintf(stderr, "the page cache keeps the clip: no cold read possible here\n");
            cold.ok = false;
            return cold;
        }
        TelemetryReadMethod used = TelemetryReadMethod::Auto;
        QElapsedTimer timer;
        timer.start();
        const int count = readTelemetryFile(path, *records, method, &used);
        times.append(timer.nsecsElapsed() / 1e6);
        cold.bytes = std::max(cold.bytes, TelemetryBench::residentBytes(path));
        const TelemetryReadMethod wanted = method == TelemetryReadMethod::Walk ? method : TelemetryReadMethod::Index;
        cold.ok = cold.ok && used == wanted && count == expectedCount
                  && std::equal(records->begin(), records->begin() + count, expected.begin());
    }
    std::sort(times.begin(), times.end());
    cold.ms = times.at(kRounds / 2);
    return cold;
}

// Writes the clip, times the reads, prints the figures. Returns 0, 1 (failure) or 2 (target missed).
int runScenario(const Scenario &scenario, int accelPerSecond, const QString &path)
{
    QString error;
    if (!ClipWriter::writeAviClip(path, TelemetryBench::minuteClip(scenario.size, scenario.blocks, 12, accelPerSecond),
                                  &error)) {
        std::fprintf(stderr, "cannot write the clip: %s\n", qPrintable(error));
        return 1;
    }
    const qint64 size = QFileInfo(path).size();
    auto walked = std::make_unique<TelemetryRecords>();
    const int count = readTelemetryFile(path, *walked, TelemetryReadMethod::Walk);
    const Cold walk = coldReads(path, TelemetryReadMethod::Walk, *walked, count);
    const Cold index = coldReads(path, TelemetryReadMethod::Auto, *walked, count);
    auto records = std::make_unique<TelemetryRecords>();
    qint64 readBytes = readSequentially(path); // also brings the file into the page cache
    const double fullMs = medianMs([&] { readBytes = readSequentially(path); });
    const double readerMs = medianMs([&] { readTelemetryFile(path, *records); });
    QFile::remove(path);
    if (size < scenario.minimumBytes || readBytes != size || count != 600 || !walk.ok || !index.ok) {
        std::fprintf(stderr, "unexpected clip or read: %lld bytes, %lld read, %d records\n", size, readBytes, count);
        return 1;
    }
    const double coldRatio = walk.ms / index.ms;
    std::printf("%s: 60 s, two MJPEG channels at 30 fps, sound, %d G samples a second, %.1f MB, %d records\n",
                scenario.name, accelPerSecond, size / 1e6, count);
    std::printf("  warm: sequential read %9.3f ms, readTelemetryFile %7.3f ms: %.1fx faster (median of %d)\n",
                fullMs, readerMs, fullMs / readerMs, kRounds);
    std::printf("  cold: walk  %8.1f ms, %6.2f MiB of pages\n", walk.ms, walk.bytes / 1048576.0);
    std::printf("        index %8.1f ms, %6.2f MiB of pages (median of %d; target %.1f MiB)\n", index.ms,
                index.bytes / 1048576.0, kRounds, kColdBytesTarget / 1048576.0);
    std::printf("  ratio: the index read is %.1fx faster than the walk (target: at least %.0fx)\n", coldRatio,
                kColdRatioTarget);
    return coldRatio >= kColdRatioTarget && index.bytes <= kColdBytesTarget ? 0 : 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int accelPerSecond = argc > 1 ? std::clamp(QByteArray(argv[1]).toInt(), 1, 60) : 10;
    // Beside the build, not in /tmp: the cold read needs a file system with a page cache of its own.
    QTemporaryDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/bench-telemetry-XXXXXX"));
    if (!dir.isValid())
        return 1;
    int result = 0;
    for (const Scenario &scenario : kScenarios) {
        const int code = runScenario(scenario, accelPerSecond, dir.filePath(QStringLiteral("REC_2012_05_14_10_20_30.avi")));
        if (code == 1)
            return 1;
        result = std::max(result, code);
    }
    if (result == 2)
        std::printf("TARGET MISSED\n");
    return result;
}
