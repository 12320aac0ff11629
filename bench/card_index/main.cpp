// The card's telemetry index on a generated card of one-minute two-channel clips (1,200 by default,
// a 256 GB card's worth): built with every clip dropped from the page cache first (target: at most
// 60 s on this 2-core machine), then built again from its cache file, itself dropped from the page
// cache (target: at most 1 s). The clips have the recorder's chunk layout (30 pictures a second per
// channel, sound, ten G samples and a position a second) with small pictures, so that the card takes
// gigabytes, not the card's 256.
// Then the card's driving events are found from the index as the viewer finds them, taking the
// index in parts as it fills in (target: at most 5 % of the cold build, the reading they ride on).
// Prints the figures and the ratio; exit code 2 when a target is missed, 1 when the run fails.
// Usage: bench_card_index [CLIPS] [CARD-FOLDER]   (a folder given is kept, and reused when it
// already holds the clips)
#include "bench/telemetrybench/telemetrybench.h"
#include "telemetry/cardevents.h"
#include "telemetry/cardindex.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThreadPool>

#include <atomic>
#include <cstdio>

namespace {

constexpr double kColdTargetS = 60.0;
constexpr double kCachedTargetS = 1.0;
constexpr double kEventsTargetShare = 0.05;
constexpr int kEventParts = 24; // the index as the viewer gets it while the card is read
constexpr qint64 kRecorderAheadOfUtcS = 9 * 3600 + 75; // +09:00, a recorder 75 s fast

QString clipPath(const QString &card, int index)
{
    const QDateTime start = QDateTime(QDate(2025, 7, 2), QTime(4, 0), Qt::UTC).addSecs(qint64(index) * 60);
    return card + start.toString(QStringLiteral("'/REC/REC_'yyyy_MM_dd_HH_mm_ss'.avi'"));
}

// Writes the clips that are not there yet, two at a time.
bool writeCard(const QString &card, int clips)
{
    if (!QDir().mkpath(card + QStringLiteral("/REC")))
        return false;
    std::atomic<bool> ok{true};
    QThreadPool writers;
    writers.setMaxThreadCount(2);
    for (int i = 0; i < clips; ++i) {
        if (QFileInfo::exists(clipPath(card, i)))
            continue;
        writers.start([&ok, card, i] {
            ClipWriter::ClipDescription d = TelemetryBench::minuteClip(QSize(48, 27), 4, 6, 10, i * 60);
            d.audioSampleRate = 8000;
            d.route->startUtc = QDateTime(QDate(2025, 7, 2), QTime(4, 0), Qt::UTC).addSecs(i * 60 - kRecorderAheadOfUtcS);
            if (!ClipWriter::writeAviClip(clipPath(card, i), d))
                ok = false;
        });
    }
    writers.waitForDone();
    return ok;
}

bool dropCard(const QString &card, int clips)
{
    for (int i = 0; i < clips; ++i) {
        if (!TelemetryBench::dropFromPageCache(clipPath(card, i)))
            return false;
    }
    return true;
}

double timedBuild(const QString &card, const QString &cache, CardIndex *index)
{
    CardIndex::BuildOptions options;
    options.cacheFile = cache;
    QElapsedTimer timer;
    timer.start();
    *index = CardIndex::build(card, options);
    return timer.nsecsElapsed() / 1e9;
}

// The events of the card from its index taken in kEventParts growing parts, as the viewer's
// finder takes it while the card is read; the number of events in *found.
double timedEvents(const CardIndex &index, qsizetype *found)
{
    CardEvents events{EventThresholds(), RecorderClock::FallbackZone()};
    const QList<CardIndex::Entry> &entries = index.entries();
    QElapsedTimer timer;
    timer.start();
    for (int part = 1; part <= kEventParts; ++part)
        events.update(CardIndex(index.folder(), entries.mid(0, entries.size() * part / kEventParts)));
    *found = events.events().size();
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int clips = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 1200;
    QTemporaryDir scratch(QCoreApplication::applicationDirPath() + QStringLiteral("/bench-card-XXXXXX"));
    const QString card = argc > 2 ? QString::fromLocal8Bit(argv[2]) : scratch.filePath(QStringLiteral("card"));
    const QString cache = scratch.filePath(QStringLiteral("card.index"));
    if (!scratch.isValid() || !writeCard(card, clips)) {
        std::fprintf(stderr, "cannot write the card\n");
        return 1;
    }
    if (!dropCard(card, clips)) {
        std::fprintf(stderr, "the page cache keeps the clips: no cold build possible here\n");
        return 1;
    }
    CardIndex built;
    const double coldS = timedBuild(card, cache, &built);
    if (!TelemetryBench::dropFromPageCache(cache)) {
        std::fprintf(stderr, "the page cache keeps the cache file\n");
        return 1;
    }
    CardIndex loaded;
    const double cachedS = timedBuild(card, cache, &loaded);
    const QList<Trip> trips = loaded.trips(RecorderClock::FallbackZone());
    if (built.entries().size() != clips || loaded.entries() != built.entries() || trips.isEmpty()
        || trips.first().clockErrorMs != std::optional<qint64>(75000)) {
        std::fprintf(stderr, "unexpected index: %lld clips, %lld trips\n", qint64(built.entries().size()),
                     qint64(trips.size()));
        return 1;
    }
    std::printf("card of %d one-minute clips (two channels at 30 fps, sound, telemetry), %.1f MB of cache file\n",
                clips, QFileInfo(cache).size() / 1e6);
    std::printf("  built with a cold page cache: %8.3f s (target: at most %.0f s), %.1f ms a clip\n", coldS,
                kColdTargetS, coldS * 1000 / clips);
    std::printf("  built from its cache file:    %8.3f s (target: at most %.0f s)\n", cachedS, kCachedTargetS);
    std::printf("  ratio: the cache is %.0fx faster than reading the card; %lld trips\n", coldS / cachedS,
                qint64(trips.size()));
    qsizetype events = 0;
    const double eventsS = timedEvents(built, &events);
    std::printf("  driving events from the index in %d parts: %.3f s, %.1f %% of the cold build (target: under "
                "%.0f %%); %lld events\n",
                kEventParts, eventsS, eventsS * 100 / coldS, kEventsTargetShare * 100, qint64(events));
    const bool met = coldS <= kColdTargetS && cachedS <= kCachedTargetS && eventsS < kEventsTargetShare * coldS;
    if (!met)
        std::printf("TARGET MISSED\n");
    return met ? 0 : 2;
}
