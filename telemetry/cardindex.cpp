#include "telemetry/cardindex.h"

#include "catalogue/clipcatalogue.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QThreadPool>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// One clip file to index, and what became of it.
struct Job
{
    QString path;
    qint64 size = 0;
    qint64 modifiedMs = 0;
    std::optional<CardIndex::Entry> cached;
    CardIndex::Entry read;
    std::atomic<bool> done{false};
};

QList<CardIndex::Entry> finishedEntries(const std::vector<std::unique_ptr<Job>> &jobs)
{
    QList<CardIndex::Entry> entries;
    for (const std::unique_ptr<Job> &job : jobs) {
        if (job->cached)
            entries.append(*job->cached);
        else if (job->done.load(std::memory_order_acquire))
            entries.append(job->read);
    }
    return entries;
}

// The clip files the viewer would list, with their size and modification time.
std::vector<std::unique_ptr<Job>> jobsOf(const QString &folder, const QList<CardIndex::Entry> &cache)
{
    QHash<QString, const CardIndex::Entry *> cached;
    for (const CardIndex::Entry &entry : cache)
        cached.insert(entry.telemetry.summary.path, &entry);
    std::vector<std::unique_ptr<Job>> jobs;
    const ClipCatalogue catalogue(folder);
    for (const auto &[name, clip] : catalogue.clips()) {
        auto job = std::make_unique<Job>();
        const QFileInfo &file = clip->file();
        job->path = file.absoluteFilePath();
        job->size = file.size();
        job->modifiedMs = file.lastModified().toMSecsSinceEpoch();
        const CardIndex::Entry *hit = cached.value(job->path);
        if (hit && hit->size == job->size && hit->modifiedMs == job->modifiedMs)
            job->cached = *hit;
        jobs.push_back(std::move(job));
    }
    return jobs;
}

bool isCancelled(const std::atomic<bool> *cancelled)
{
    return cancelled && cancelled->load(std::memory_order_relaxed);
}

// Reads the jobs not taken from the cache with `threads` readers, reporting while they run.
void readJobs(std::vector<std::unique_ptr<Job>> &jobs, const QString &folder, const CardIndex::BuildOptions &options)
{
    std::vector<Job *> toRead;
    for (const std::unique_ptr<Job> &job : jobs) {
        if (!job->cached)
            toRead.push_back(job.get());
    }
    const int total = int(jobs.size());
    const int fromCache = total - int(toRead.size());
    std::atomic<size_t> next{0};
    std::atomic<int> done{0};
    QThreadPool readers;
    readers.setMaxThreadCount(std::max(1, options.threads));
    for (int i = 0; i < readers.maxThreadCount(); ++i) {
        readers.start([&] {
            for (size_t k; (k = next.fetch_add(1)) < toRead.size() && !isCancelled(options.cancelled);) {
                Job *job = toRead[k];
                job->read = {readClipTelemetry(job->path), job->size, job->modifiedMs};
                job->done.store(true, std::memory_order_release);
                done.fetch_add(1);
            }
        });
    }
    while (!readers.waitForDone(options.progressIntervalMs)) {
        if (options.progress)
            options.progress(CardIndex(folder, finishedEntries(jobs)), fromCache + done.load(), total);
    }
}

} // namespace

CardIndex::CardIndex(const QString &folder, const QList<Entry> &entries)
    : m_folder(folder)
    , m_entries(entries)
{
}

QString CardIndex::defaultCacheFile(const QString &folder)
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return QString();
    const QByteArray key = QCryptographicHash::hash(QDir(folder).absolutePath().toUtf8(), QCryptographicHash::Sha1);
    return cache + QStringLiteral("/qrd7700/cards/") + QString::fromLatin1(key.toHex()) + QStringLiteral(".index");
}

CardIndex CardIndex::build(const QString &folder, const BuildOptions &options)
{
    const QString absolute = QDir(folder).absolutePath();
    const QList<Entry> cache = options.cacheFile.isEmpty()
                                   ? QList<Entry>()
                                   : CardIndexCache::load(options.cacheFile, absolute).value_or(QList<Entry>());
    std::vector<std::unique_ptr<Job>> jobs = jobsOf(absolute, cache);
    readJobs(jobs, absolute, options);
    CardIndex index(absolute, finishedEntries(jobs));
    const bool changed = cache.size() != index.m_entries.size()
                         || std::any_of(jobs.begin(), jobs.end(), [](const auto &job) { return !job->cached; });
    if (!options.cacheFile.isEmpty() && changed)
        CardIndexCache::save(options.cacheFile, absolute, index.m_entries);
    if (options.progress)
        options.progress(index, int(index.m_entries.size()), int(jobs.size()));
    return index;
}

QList<ClipSummary> CardIndex::summaries() const
{
    QList<ClipSummary> list;
    list.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        list.append(entry.telemetry.summary);
    return list;
}

const ClipTelemetry *CardIndex::clip(const QString &path) const
{
    for (const Entry &entry : m_entries) {
        if (entry.telemetry.summary.path == path)
            return &entry.telemetry;
    }
    return nullptr;
}

QList<Trip> CardIndex::trips(const RecorderClock::FallbackZone &fallback) const
{
    return buildTrips(summaries(), fallback);
}

QList<TrackExport::Piece> CardIndex::pieces(const Trip &trip) const
{
    QList<TrackExport::Piece> pieces;
    for (const TripClip &part : trip.clips) {
        const ClipTelemetry *telemetry = clip(part.clip.path);
        const qint64 start = RecorderClock::utcOf(*part.clip.recorderStartMs, part.clock);
        pieces.append({telemetry ? telemetry->samples : QList<TelemetrySample>(), part.offsetMs,
                       QDateTime::fromMSecsSinceEpoch(start, Qt::UTC),
                       telemetry ? telemetry->fixes : QList<RecorderClock::FixTime>()});
    }
    return pieces;
}
