#include "session/triplibrary.h"

#include "base/programsettings.h"
#include "catalogue/clip.h"
#include "telemetry/cliptelemetry.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// Every indexed clip with a stamp and the offset the card gives it.
QHash<QString, RecorderClock::Offset> resolvedOffsets(const QList<ClipSummary> &clips,
                                                      const RecorderClock::FallbackZone &fallback)
{
    const QList<std::optional<RecorderClock::Offset>> offsets = clipOffsets(clips, fallback);
    QHash<QString, RecorderClock::Offset> byPath;
    for (qsizetype i = 0; i < clips.size(); ++i) {
        if (offsets.at(i))
            byPath.insert(clips.at(i).path, *offsets.at(i));
    }
    return byPath;
}

} // namespace

TripLibrary::TripLibrary(CardIndexer *indexer, QObject *parent)
    : QObject(parent)
    , m_indexer(indexer)
{
    // indexer -> library: each part of the card's index read replaces the trips.
    connect(indexer, &CardIndexer::progressed, this, [this](quint64 request, int done, int total) {
        if (request == m_request) {
            m_done = done;
            m_total = total;
        }
    });
    connect(indexer, &CardIndexer::updated, this, &TripLibrary::take);
    connect(indexer, &CardIndexer::finished, this, [this](quint64 request, const CardIndex &index) {
        if (request != m_request)
            return;
        take(request, index);
        emit finished();
    });
}

TripLibrary::~TripLibrary() = default;

void TripLibrary::follow(const QString &folder, quint64 request)
{
    emit aboutToReset();
    m_folder = folder;
    m_index = CardIndex();
    m_trips.clear();
    m_offsets.clear();
    m_clips.clear();
    m_done = m_total = 0;
    m_request = folder.isEmpty() ? 0 : request;
    emit tripsChanged();
}

bool TripLibrary::isReading() const
{
    return m_request != 0 && m_indexer && m_indexer->isRunning() && m_indexer->request() == m_request;
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
