#include "telemetry/eventdetection.h"

#include "telemetry/eventmotion_p.h"

#include <algorithm>
#include <cmath>

namespace EventDetection {

using namespace Internal;

namespace {

constexpr qint64 kHoldMs = 500;            // brakes, starts and turns last at least this long
constexpr qint64 kSpeedDropMs = 1000;      // a speed drop counts within this
// Dropping faster than 60 km/h in a second would take 1.7 g: such a drop is a glitch of the fix.
constexpr int kMaxSpeedDropKmh = 60;
constexpr qint64 kMergeGapMs = 2000;       // detections of one kind this close are one event
constexpr qint64 kSpeedAroundMs = 1000;    // speeds before and after are read this far away
constexpr double kKmhPerSecondPerG = 3.6 * 9.80665;
// Evidence for the direction of X: a speed change of at least 3 km/h within the next second and
// at least 0.05 g along X; the opposite of the default needs ten such samples, two thirds of them.
constexpr qint64 kEvidenceWindowMs = 1000;
constexpr int kEvidenceSpeedChangeKmh = 3;
constexpr float kEvidenceMinimumG = 0.05f;
constexpr int kEvidenceSamples = 10;

// force(k) averaged with its neighbours in the same stretch: the strength of a held force
// without the sensor's noise.
template<typename Force>
double steadyForce(const Motion &m, Force force, size_t k)
{
    double sum = force(k);
    int count = 1;
    if (k > 0 && !m.startsStretch[k]) {
        sum += force(k - 1);
        ++count;
    }
    if (k + 1 < m.timeMs.size() && !m.startsStretch[k + 1]) {
        sum += force(k + 1);
        ++count;
    }
    return sum / count;
}

// Stretches where force(k), averaged over kHoldMs (and at least two samples, however sparse),
// reaches `threshold` without falling under half of it. Averaging over the whole hold keeps the
// sensor's noise from cutting a held force short; the floor keeps a short strong push from
// passing for a held one.
template<typename Force>
void findHeld(const Motion &m, EventKind kind, double threshold, Force force, std::vector<Detection> &found)
{
    const size_t n = m.timeMs.size();
    const size_t window = size_t(std::max<qint64>(2, (kHoldMs + m.stepMs - 1) / m.stepMs));
    const double floor = threshold / 2;
    std::vector<char> held;
    double sum = 0;
    size_t begin = 0; // the window is [begin, k], every force in it at the floor or above
    for (size_t k = 0; k < n; ++k) {
        const double value = force(k);
        if (value < floor) {
            sum = 0;
            begin = k + 1;
            continue;
        }
        if (m.startsStretch[k]) {
            sum = 0;
            begin = k;
        }
        sum += value;
        if (k - begin + 1 > window)
            sum -= force(begin++);
        if (k - begin + 1 == window && sum >= threshold * double(window)) {
            held.resize(n, 0);
            std::fill(held.begin() + qsizetype(begin), held.begin() + qsizetype(k) + 1, 1);
        }
    }
    for (size_t first = 0; first < held.size(); ++first) {
        if (!held[first])
            continue;
        size_t last = first;
        double peak = steadyForce(m, force, first);
        while (last + 1 < n && held[last + 1] && !m.startsStretch[last + 1])
            peak = std::max(peak, steadyForce(m, force, ++last));
        found.push_back({kind, m.timeMs[first], m.timeMs[last], peak});
        first = last;
    }
}

// GPS speed drops of at least `threshold` within kSpeedDropMs, between samples with a fix. The
// peak is the stronger of the deceleration the drop implies and the one measured.
template<typename Deceleration>
void findSpeedDrops(const Motion &m, double threshold, Deceleration deceleration, std::vector<Detection> &found)
{
    // A sample at the speed of the one before cannot drop more than that one did: it only needs a
    // look when that one dropped by the threshold or more.
    bool lookAgain = true;
    for (size_t k = 1; k < m.timeMs.size(); ++k) {
        if (m.speedKmh[k] < 0) {
            lookAgain = true;
            continue;
        }
        if (!lookAgain && m.speedKmh[k] == m.speedKmh[k - 1])
            continue;
        int highest = -1;
        size_t from = k;
        for (size_t j = k; j-- > 0 && m.timeMs[j] >= m.timeMs[k] - kSpeedDropMs;) {
            if (m.speedKmh[j] >= highest && m.speedKmh[j] >= 0) {
                highest = m.speedKmh[j];
                from = j; // the earliest sample at the highest speed
            }
        }
        const int drop = highest - m.speedKmh[k];
        lookAgain = highest >= 0 && drop >= threshold;
        if (!lookAgain || drop > kMaxSpeedDropKmh)
            continue;
        const double seconds = std::max<qint64>(m.timeMs[k] - m.timeMs[from], kSpeedDropMs) / 1000.0;
        double peak = drop / kKmhPerSecondPerG / seconds;
        for (size_t j = from; j <= k; ++j)
            peak = std::max(peak, steadyForce(m, deceleration, j));
        found.push_back({EventKind::HardBrake, m.timeMs[from], m.timeMs[k], peak});
    }
}

// Detections of one kind that overlap or lie within kMergeGapMs become one; the result is in
// time order.
std::vector<Detection> merged(std::vector<Detection> found)
{
    std::stable_sort(found.begin(), found.end(), [](const Detection &a, const Detection &b) {
        return a.kind != b.kind ? a.kind < b.kind : a.startMs < b.startMs;
    });
    std::vector<Detection> result;
    for (const Detection &d : found) {
        Detection *last = result.empty() ? nullptr : &result.back();
        if (last && last->kind == d.kind && d.startMs <= last->endMs + kMergeGapMs) {
            last->endMs = std::max(last->endMs, d.endMs);
            last->peakG = std::max(last->peakG, d.peakG);
        } else {
            result.push_back(d);
        }
    }
    std::stable_sort(result.begin(), result.end(), [](const Detection &a, const Detection &b) {
        return a.startMs != b.startMs ? a.startMs < b.startMs : a.kind < b.kind;
    });
    return result;
}

// The GPS speed a second before `timeMs` (or the first one before it), or a second after it (or
// the last one after it).
std::optional<int> speedAround(const Motion &m, qint64 timeMs, bool after)
{
    const auto &t = m.timeMs;
    const auto valid = [&m](size_t k) { return m.speedKmh[k] >= 0; };
    if (!after) {
        const auto end = std::upper_bound(t.begin(), t.end(), timeMs);
        size_t k = size_t(std::upper_bound(t.begin(), end, timeMs - kSpeedAroundMs) - t.begin());
        while (k-- > 0) {
            if (valid(k))
                return m.speedKmh[k];
        }
        for (k = 0; k < size_t(end - t.begin()); ++k) {
            if (valid(k))
                return m.speedKmh[k];
        }
        return std::nullopt;
    }
    const auto begin = std::lower_bound(t.begin(), t.end(), timeMs);
    size_t k = size_t(std::lower_bound(begin, t.end(), timeMs + kSpeedAroundMs) - t.begin());
    for (; k < t.size(); ++k) {
        if (valid(k))
            return m.speedKmh[k];
    }
    for (k = t.size(); k-- > size_t(begin - t.begin());) {
        if (valid(k))
            return m.speedKmh[k];
    }
    return std::nullopt;
}

} // namespace

LongitudinalEvidence &LongitudinalEvidence::operator+=(const LongitudinalEvidence &other)
{
    agreeing += other.agreeing;
    opposing += other.opposing;
    samples += other.samples;
    return *this;
}

PreparedTrack::PreparedTrack(const QList<TelemetrySample> &samples)
    : m_motion(std::make_unique<Motion>(motionOf(samples)))
{
}

PreparedTrack::PreparedTrack(PreparedTrack &&) noexcept = default;
PreparedTrack &PreparedTrack::operator=(PreparedTrack &&) noexcept = default;
PreparedTrack::~PreparedTrack() = default;

LongitudinalEvidence longitudinalEvidence(const PreparedTrack &track)
{
    const Motion &m = track.motion();
    LongitudinalEvidence evidence;
    size_t later = 0;
    for (size_t k = 0; k < m.timeMs.size(); ++k) {
        while (later < m.timeMs.size() && m.timeMs[later] < m.timeMs[k] + kEvidenceWindowMs)
            ++later;
        if (m.speedKmh[k] < 0 || later >= m.timeMs.size() || m.speedKmh[later] < 0
            || m.timeMs[later] - m.timeMs[k] > kEvidenceWindowMs + kEvidenceWindowMs / 2)
            continue;
        const int change = m.speedKmh[later] - m.speedKmh[k];
        const float x = m.longitudinal[k];
        if (std::abs(change) < kEvidenceSpeedChangeKmh || std::abs(x) < kEvidenceMinimumG)
            continue;
        ((x > 0) == (change > 0) ? evidence.agreeing : evidence.opposing) += std::abs(x);
        ++evidence.samples;
    }
    return evidence;
}

Forward forwardDirection(const LongitudinalEvidence &evidence)
{
    return evidence.samples >= kEvidenceSamples && evidence.opposing > 2 * evidence.agreeing ? Forward::NegativeX
                                                                                            : Forward::PositiveX;
}

QList<DrivingEvent> detectEvents(const PreparedTrack &track, const EventThresholds &thresholds, Forward forward)
{
    const Motion &m = track.motion();
    const double sign = forward == Forward::PositiveX ? 1 : -1;
    const auto braking = [&m, sign](size_t k) { return -sign * m.longitudinal[k]; };
    std::vector<Detection> found;
    findHeld(m, EventKind::HardBrake, thresholds.hardBrakeG, braking, found);
    findHeld(m, EventKind::HardAcceleration, thresholds.hardAccelerationG,
             [&m, sign](size_t k) { return sign * m.longitudinal[k]; }, found);
    findHeld(m, EventKind::SharpTurn, thresholds.sharpTurnG, [&m](size_t k) { return std::abs(m.lateral[k]); },
             found);
    for (const std::vector<int> &axis : m.raw)
        findImpacts(m, axis, thresholds.impactG, found);
    findSpeedDrops(m, thresholds.hardBrakeSpeedDropKmh, braking, found);

    QList<DrivingEvent> events;
    for (const Detection &d : merged(std::move(found))) {
        DrivingEvent event;
        event.kind = d.kind;
        event.offsetMs = d.startMs;
        event.durationMs = d.endMs - d.startMs + m.stepMs;
        event.peakG = d.peakG;
        event.speedBeforeKmh = speedAround(m, d.startMs, false);
        event.speedAfterKmh = speedAround(m, d.endMs, true);
        events.append(event);
    }
    return events;
}

QList<DrivingEvent> clipEvents(const QString &clipPath, const PreparedTrack &track, const EventThresholds &thresholds,
                               Forward forward, std::optional<qint64> clipStartUtcMs)
{
    QList<DrivingEvent> events = detectEvents(track, thresholds, forward);
    for (DrivingEvent &event : events) {
        event.clip = clipPath;
        if (clipStartUtcMs)
            event.timeUtc = QDateTime::fromMSecsSinceEpoch(*clipStartUtcMs + event.offsetMs, Qt::UTC);
    }
    return events;
}

} // namespace EventDetection
