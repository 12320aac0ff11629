#include "session/triplibrary.h"

#include "base/programsettings.h"
#include "catalogue/clip.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// Every indexed clip with a stamp and the offset the card gives it.
QHash<QString, RecorderClock::Offset> resolvedOffsets(const QList<ClipSummary> &clips,
                                                      const RecorderClock::FallbackZone &fallback)
{
    QList<QString> paths;
    QList<qint64> starts;
    QList<std::optional<qint64>> own;
    for (const ClipSummary &clip : clips) {
        if (!clip.recorderStartMs)
            continue;
        paths.append(clip.path);
        starts.append(*clip.recorderStartMs);
        own.append(clip.ownOffsetMs);
    }
    const QList<RecorderClock::Offset> offsets = RecorderClock::resolveOffsets(starts, own, fallback);
    QHash<QString, RecorderClock::Offset> byPath;
    for (qsizetype i = 0; i < paths.size(); ++i)
        byPath.insert(paths.at(i), offsets.at(i));
    return byPath;
}

} // namespace

TripLibrary::TripLibrary(QObject *parent)
    : QObject(parent)
{
    // indexer -> library: each reading of the card replaces the trips.
    connect(&m_indexer, &CardIndexer::progressed, this, [this](quint64 request, int done, int total) {
        if (request == m_request) {
            m_done = done;
            m_total = total;
        }
    });
    connect(&m_indexer, &CardIndexer::updated, this, &TripLibrary::take);
    connect(&m_indexer, &CardIndexer::finished, this, [this](quint64 request, const CardIndex &index) {
        if (request != m_request)
            return;
        take(request, index);
        emit finished();
    });
}

TripLibrary::~TripLibrary() = default;

void TripLibrary::setFolder(const QString &folder, const QString &cacheFile)
{
    m_indexer.cancel();
    emit aboutToReset();
    m_folder = folder;
    m_index = CardIndex();
    m_trips.clear();
    m_offsets.clear();
    m_clips.clear();
    m_done = m_total = 0;
    m_request = folder.isEmpty() ? 0 : m_indexer.start(folder, cacheFile);
    emit tripsChanged();
}

void TripLibrary::take(quint64 request, const CardIndex &index)
{
    if (request != m_request)
        return;
    const RecorderClock::FallbackZone fallback = RecorderClock::FallbackZone::fromSetting(ProgramSettings::timeZone());
    m_index = index;
    const QList<ClipSummary> summaries = index.summaries();
    m_trips = buildTrips(summaries, fallback);
    m_offsets = resolvedOffsets(summaries, fallback);
    emit tripsChanged();
}

int TripLibrary::tripOf(const QString &clipPath) const
{
    const QString path = QFileInfo(clipPath).absoluteFilePath();
    for (int i = 0; i < m_trips.size(); ++i) {
        for (const TripClip &part : m_trips.at(i).clips) {
            if (part.clip.path == path)
                return i;
        }
    }
    return -1;
}

Clip *TripLibrary::clipFor(const QString &path)
{
    std::unique_ptr<Clip> &clip = m_clips[path];
    if (!clip)
        clip = std::make_unique<Clip>(QFileInfo(path));
    return clip.get();
}

// The clips' samples placed one after another on the trip's time line; a clip without telemetry
// holds one sample without a position, so that its stretch shows none.
TripPlan TripLibrary::plan(int index)
{
    TripPlan plan;
    if (index < 0 || index >= m_trips.size())
        return plan;
    const Trip &trip = m_trips.at(index);
    for (const TripClip &part : trip.clips) {
        plan.parts.append({clipFor(part.clip.path), part.offsetMs, part.clip.durationMs.value_or(0)});
        const ClipTelemetry *telemetry = m_index.clip(part.clip.path);
        if (!telemetry || telemetry->samples.isEmpty()) {
            TelemetrySample none;
            none.timeMs = qint32(part.offsetMs);
            plan.samples.append(none);
            continue;
        }
        for (TelemetrySample sample : telemetry->samples) {
            sample.timeMs = qint32(sample.timeMs + part.offsetMs);
            plan.samples.append(sample);
        }
    }
    plan.lengthMs = trip.durationMs;
    for (const TripClip &event : trip.events)
        plan.eventOffsetsMs.append(event.offsetMs);
    return plan;
}

QList<TrackExport::Piece> TripLibrary::pieces(int index) const
{
    if (index < 0 || index >= m_trips.size())
        return {};
    return m_index.pieces(m_trips.at(index));
}

std::optional<RecorderClock::Offset> TripLibrary::offsetOf(const QString &path) const
{
    const auto found = m_offsets.constFind(QFileInfo(path).absoluteFilePath());
    if (found == m_offsets.constEnd())
        return std::nullopt;
    return *found;
}
