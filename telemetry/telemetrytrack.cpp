#include "telemetry/telemetrytrack.h"

#include "telemetry/telemetryreader.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

#include <algorithm>
#include <memory>

namespace {

constexpr qint64 kRecordSpanMs = 100;   // one record covers a tenth of a second
// Longest duration whose sample times still fit the 32-bit time field.
constexpr qint64 kMaxDurationMs = 2000000000;

double signedDegrees(qint32 micro, char hemisphere, char positive)
{
    const double degrees = micro / 1000000.0;
    return hemisphere == positive ? degrees : -degrees;
}

TelemetrySample sampleOf(const RawTelemetryRecord &record, qint64 timeMs)
{
    TelemetrySample sample;
    sample.timeMs = qint32(timeMs);
    sample.accelX = record.accelX;
    sample.accelY = record.accelY;
    sample.accelZ = record.accelZ;
    sample.speedKmh = record.speedKmh;
    // An empty longitude hemisphere voids the whole position.
    if (record.lonHemisphere != 0) {
        sample.latitude = signedDegrees(record.latMicro, record.latHemisphere, 'N');
        sample.longitude = signedDegrees(record.lonMicro, record.lonHemisphere, 'E');
    }
    return sample;
}

// Where records go on a clip's time line: record i at i × interval + shift. The interval is
// (duration + span of the last record) / count, rounded half up, at least 1 ms so that times keep
// rising on absurdly short clips; the shift moves the last record to the clip's end, by whole
// intervals.
struct Placement
{
    qint64 interval = 0;
    qint64 shift = 0;
};

Placement placementOf(int count, qint64 durationMs)
{
    Placement placement;
    placement.interval = std::max<qint64>(1, (2 * (durationMs + kRecordSpanMs) + count) / (2 * count));
    const qint64 last = (count - 1) * placement.interval;
    if (last < durationMs)
        placement.shift = (durationMs - last) / placement.interval * placement.interval;
    return placement;
}

// Puts copies of the first sample over the beginning left uncovered by the shift, keeping the times
// 0, interval, 2 × interval, …
void fillFront(QList<TelemetrySample> &samples, const Placement &placement)
{
    const qint64 copies = placement.shift / placement.interval;
    QList<TelemetrySample> front(copies, samples.first());
    for (qint64 i = 0; i < copies; ++i)
        front[i].timeMs = qint32(std::max<qint64>(0, placement.shift - (copies - i) * placement.interval));
    samples = front + samples;
}

} // namespace

bool isUsablePosition(double latitude, double longitude)
{
    return latitude >= -90 && latitude <= 90 && longitude >= -180 && longitude <= 180 && latitude != 0
           && longitude != 0;
}

bool TelemetrySample::hasUsablePosition() const
{
    return !isNone() && isUsablePosition(latitude, longitude);
}

TelemetrySample TelemetrySample::forcesAndPosition() const
{
    TelemetrySample shown;
    shown.accelX = accelX;
    shown.accelY = accelY;
    shown.accelZ = accelZ;
    shown.latitude = latitude;
    shown.longitude = longitude;
    return shown;
}

TelemetryTrack::TelemetryTrack(QObject *parent) : QObject(parent) {}

QList<TelemetrySample> TelemetryTrack::placeRecords(const RawTelemetryRecord *records, int count,
                                                    qint64 durationMs)
{
    QList<TelemetrySample> samples;
    durationMs = std::min(durationMs, kMaxDurationMs);
    count = std::clamp(count, 0, kTelemetryCapacity);
    if (durationMs <= 0 || count == 0)
        return samples;
    const Placement placement = placementOf(count, durationMs);
    for (int i = 0; i < count; ++i)
        samples.append(sampleOf(records[i], i * placement.interval + placement.shift));
    fillFront(samples, placement);
    return samples;
}

QList<RecorderClock::FixTime> TelemetryTrack::placeFixes(const RawTelemetryRecord *records, int count,
                                                         qint64 durationMs)
{
    QList<RecorderClock::FixTime> fixes;
    durationMs = std::min(durationMs, kMaxDurationMs);
    count = std::clamp(count, 0, kTelemetryCapacity);
    if (durationMs <= 0 || count == 0)
        return fixes;
    const Placement placement = placementOf(count, durationMs);
    // The ten records of one sentence carry its time; the sentence's time is that of the first.
    for (int i = 0; i < count; ++i) {
        const std::optional<qint64> &utc = records[i].fixUtcMs;
        if (utc && (i == 0 || records[i - 1].fixUtcMs != utc))
            fixes.append({i * placement.interval + placement.shift, *utc});
    }
    return fixes;
}

QList<TelemetrySample> TelemetryTrack::readTrack(const QString &path, qint64 durationMs)
{
    return readWithFixes(path, durationMs).samples;
}

TelemetryTrack::Loaded TelemetryTrack::readWithFixes(const QString &path, qint64 durationMs)
{
    if (durationMs <= 0 || path.isEmpty())
        return {};
    auto records = std::make_unique<TelemetryRecords>();
    const int count = readTelemetryFile(path, *records);
    return {placeRecords(records->data(), count, durationMs), placeFixes(records->data(), count, durationMs)};
}

void TelemetryTrack::beginLoad()
{
    ++m_request;
    m_loading = false;
    m_trackReady = false;
    m_current = TelemetrySample();
    m_samples.clear();
    m_fixes.clear();
}

void TelemetryTrack::loadTrack(qint64 durationMs)
{
    m_noPositionInClip = true;
    if (m_clipPath.isEmpty())
        return;
    beginLoad();
    Loaded loaded = readWithFixes(m_clipPath, durationMs);
    m_fixes = loaded.fixes;
    setSamples(loaded.samples);
}

void TelemetryTrack::startLoading(qint64 durationMs)
{
    m_noPositionInClip = true;
    if (m_clipPath.isEmpty())
        return;
    beginLoad();
    m_loading = true;
    emit trackChanged();
    const quint64 request = m_request;
    QPointer<TelemetryTrack> self(this);
    QThreadPool::globalInstance()->start([self, request, path = m_clipPath, durationMs] {
        Loaded loaded = readWithFixes(path, durationMs);
        // Back on the GUI thread; a newer load, a clear or the track's end drops the answer. The
        // application waits for its worker threads before it goes.
        QCoreApplication *app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app,
            [self, request, loaded = std::move(loaded)] {
                if (self && self->m_request == request && self->m_loading) {
                    self->m_loading = false;
                    self->m_fixes = loaded.fixes;
                    self->setSamples(loaded.samples);
                }
            },
            Qt::QueuedConnection);
    });
}

void TelemetryTrack::setSamples(const QList<TelemetrySample> &samples)
{
    m_samples = samples;
    m_noPositionInClip = std::none_of(m_samples.cbegin(), m_samples.cend(), [](const TelemetrySample &s) {
        return s.latitude != 0 || s.longitude != 0;
    });
    m_trackReady = true;
    emit trackChanged();
}

void TelemetryTrack::clearTrack()
{
    ++m_request;
    m_loading = false;
    m_samples.clear();
    m_fixes.clear();
    emit trackChanged();
}

TelemetrySample TelemetryTrack::sampleIn(const QList<TelemetrySample> &samples, qint64 positionMs)
{
    if (positionMs < 0 || samples.isEmpty())
        return TelemetrySample();
    // The last sample that starts at or before the position: on a clip's track, where the samples
    // lie in equal steps, that is the step holding it; a trip's track joins clips whose steps differ.
    const auto after = std::upper_bound(samples.cbegin(), samples.cend(), positionMs,
                                        [](qint64 at, const TelemetrySample &s) { return at < s.timeMs; });
    return after != samples.cbegin() ? *(after - 1) : TelemetrySample();
}

TelemetrySample TelemetryTrack::sampleAt(qint32 positionMs)
{
    if (!m_trackReady)
        return TelemetrySample();
    const TelemetrySample result = sampleIn(m_samples, positionMs);
    m_current = result.forcesAndPosition();
    const bool valid = isUsablePosition(result.latitude, result.longitude);
    if (valid != m_gpsValid) {
        m_gpsValid = valid;
        emit gpsValidChanged(valid);
    }
    return result;
}
