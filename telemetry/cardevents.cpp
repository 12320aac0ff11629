#include "telemetry/cardevents.h"

#include <algorithm>

namespace {

bool isCancelled(const std::atomic<bool> *cancelled)
{
    return cancelled && cancelled->load(std::memory_order_relaxed);
}

// True-time order; events without a time after the others, by clip and place.
bool earlier(const CardEvent &a, const CardEvent &b)
{
    const QDateTime &ta = a.event.timeUtc;
    const QDateTime &tb = b.event.timeUtc;
    if (ta.isValid() != tb.isValid())
        return ta.isValid();
    if (ta.isValid() && ta != tb)
        return ta < tb;
    if (a.event.clip != b.event.clip)
        return a.event.clip < b.event.clip;
    if (a.event.offsetMs != b.event.offsetMs)
        return a.event.offsetMs < b.event.offsetMs;
    return a.event.kind < b.event.kind;
}

} // namespace

CardEvents::CardEvents(const EventThresholds &thresholds, const RecorderClock::FallbackZone &zone)
    : m_thresholds(thresholds)
    , m_zone(zone)
{
}

CardEvents::ClipRecord CardEvents::examine(const CardIndex::Entry &entry) const
{
    ClipRecord record;
    record.size = entry.size;
    record.modifiedMs = entry.modifiedMs;
    const ClipTelemetry &clip = entry.telemetry;
    if (clip.samples.isEmpty())
        return record;
    const EventDetection::PreparedTrack track(clip.samples);
    record.evidence = EventDetection::longitudinalEvidence(track);
    record.events = EventDetection::clipEvents(clip.summary.path, track, m_thresholds, m_forward, std::nullopt);
    return record;
}

bool CardEvents::update(const CardIndex &index, const std::atomic<bool> *cancelled)
{
    QHash<QString, ClipRecord> clips;
    clips.reserve(index.entries().size());
    EventDetection::LongitudinalEvidence evidence;
    for (const CardIndex::Entry &entry : index.entries()) {
        if (isCancelled(cancelled))
            return false;
        const QString &path = entry.telemetry.summary.path;
        const auto known = m_clips.constFind(path);
        const bool same = known != m_clips.cend() && known->size == entry.size
                          && known->modifiedMs == entry.modifiedMs;
        const ClipRecord &record = *clips.insert(path, same ? *known : examine(entry));
        evidence += record.evidence;
    }
    // The direction learned from the clips so far has turned: every clip's brakes are starts now.
    const EventDetection::Forward forward = EventDetection::forwardDirection(evidence);
    if (forward != m_forward) {
        const EventDetection::Forward before = m_forward;
        m_forward = forward;
        for (const CardIndex::Entry &entry : index.entries()) {
            if (isCancelled(cancelled)) {
                m_forward = before;
                return false;
            }
            clips[entry.telemetry.summary.path] = examine(entry);
        }
    }
    m_clips = std::move(clips);
    collect(index);
    return true;
}

// The events of every clip with their true and local times, the clock of each clip worked out
// over the whole card (a clip without a fix borrows the nearest clip's).
void CardEvents::collect(const CardIndex &index)
{
    const QList<ClipSummary> summaries = index.summaries();
    const QList<std::optional<RecorderClock::Offset>> offsets = clipOffsets(summaries, m_zone);
    m_events.clear();
    for (qsizetype i = 0; i < summaries.size(); ++i) {
        const ClipSummary &clip = summaries.at(i);
        const std::optional<RecorderClock::Offset> &offset = offsets.at(i);
        const auto record = m_clips.constFind(clip.path);
        if (record == m_clips.cend())
            continue;
        for (const DrivingEvent &found : record->events) {
            CardEvent event{found, QDateTime()};
            if (offset) {
                const qint64 recorderMs = *clip.recorderStartMs + found.offsetMs;
                const qint64 utcMs = RecorderClock::utcOf(recorderMs, *offset);
                event.event.timeUtc = QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC);
                event.localTime = RecorderClock::localTimeOf(recorderMs, *offset);
            }
            m_events.append(event);
        }
    }
    std::sort(m_events.begin(), m_events.end(), earlier);
}
