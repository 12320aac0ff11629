#pragma once

#include "telemetry/cliptelemetry.h"
#include "telemetry/recorderclock.h"
#include "telemetry/trackexport.h"
#include "telemetry/trips.h"

#include <QList>
#include <QMetaType>
#include <QString>

#include <atomic>
#include <functional>

// The telemetry of every clip on a card (positions, speeds, G, GPS fixes and the recorder's clock
// offset per clip), read once and kept in a cache file keyed by each clip's path, size and
// modification time, so that the trip list, routes and exports need no clip read again. A value:
// copies share their data. Building reads files and may take minutes; run it off the GUI thread
// (CardIndexer does).
class CardIndex
{
public:
    struct Entry
    {
        ClipTelemetry telemetry;
        qint64 size = 0;       // of the file when it was read
        qint64 modifiedMs = 0; // the file's modification time then, ms since 1970

        friend bool operator==(const Entry &, const Entry &) = default;
    };

    struct BuildOptions
    {
        QString cacheFile; // read before and written after; empty for none
        const std::atomic<bool> *cancelled = nullptr;
        int threads = 2; // clips read at once
        // Called on the building thread while clips come in (about every progressIntervalMs) with
        // the clips read so far, the number done and the number in all.
        std::function<void(const CardIndex &partial, int done, int total)> progress;
        int progressIntervalMs = 250;
    };

    CardIndex() = default;
    CardIndex(const QString &folder, const QList<Entry> &entries);

    // The clips of `folder` as the viewer lists them (the same scan), each from the cache when its
    // path, size and modification time match, read otherwise. A cancelled build returns the clips
    // read so far (and caches them). A cache file that cannot be read is rebuilt.
    static CardIndex build(const QString &folder, const BuildOptions &options);
    // The cache file for `folder` under the desktop's cache folder ($XDG_CACHE_HOME/qrd7700/cards/).
    static QString defaultCacheFile(const QString &folder);

    QString folder() const { return m_folder; }
    const QList<Entry> &entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }
    QList<ClipSummary> summaries() const;
    // The clip at an absolute path, or nullptr.
    const ClipTelemetry *clip(const QString &path) const;

    QList<Trip> trips(const RecorderClock::FallbackZone &fallback) const;
    // The trip's clips as pieces of one track: samples from the index, each clip's true start.
    QList<TrackExport::Piece> pieces(const Trip &trip) const;

private:
    QString m_folder;
    QList<Entry> m_entries;
};

Q_DECLARE_METATYPE(CardIndex)

// The cache file of a card's index. One file per card folder: a header (magic, version, size and
// SHA-1 of the body) and the body with each clip's key, length, samples and fixes; summaries are
// worked out again on loading. Anything that does not check out is no cache.
namespace CardIndexCache {

std::optional<QList<CardIndex::Entry>> load(const QString &file, const QString &folder);
bool save(const QString &file, const QString &folder, const QList<CardIndex::Entry> &entries);

} // namespace CardIndexCache
