#include "telemetry/eventdetection.h"

#include "telemetry/eventmotion_p.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

namespace EventDetection {

using namespace Internal;

namespace {

constexpr qint64 kHoldMs = 500;            // brakes, starts and turns last at least this long
constexpr qint64 kImpactMaxMs = 300;       // an impact is over within this
constexpr qint64 kImpactReferenceMs = 1000; // an impact is measured against this last stretch
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

constexpr size_t kNone = std::numeric_limits<size_t>::max();

struct Detection
{
    EventKind kind;
    qint64 startMs;
    qint64 endMs; // time of the last sample of it
    double peakG;
};

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

// Whether force(k) stays at `floor` or above for k in [first, last].
template<typename Force>
bool staysAbove(Force force, size_t first, size_t last, double floor)
{
    for (size_t k = first; k <= last; ++k) {
        if (force(k) < floor)
            return false;
    }
    return true;
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
    std::vector<char> held(n, 0);
    double sum = 0;
    size_t begin = 0; // the window is [begin, k]
    for (size_t k = 0; k < n; ++k) {
        if (m.startsStretch[k]) {
            sum = 0;
            begin = k;
        }
        sum += force(k);
        if (k - begin + 1 > window)
            sum -= force(begin++);
        if (k - begin + 1 == window && sum / double(window) >= threshold
            && staysAbove(force, begin, k, threshold / 2))
            std::fill(held.begin() + qsizetype(begin), held.begin() + qsizetype(k) + 1, 1);
    }
    for (size_t first = 0; first < n; ++first) {
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

// The jump of `raw` from `reference`, in g. The sensor reads at most 1 g each way, and a mounting
// tilted towards the jump has used up part of that: a reading pinned at the limit gets the
// reference's share back, as far as a mounting's offset goes (the calm band).
double jumpG(int raw, int reference)
{
    int jump = std::abs(raw - reference);
    if ((raw >= kRawMaximum && reference > 0) || (raw <= kRawMinimum && reference < 0))
        jump += std::min(std::abs(reference), kCalmRaw);
    return jump / kRawPerG;
}

// Jumps of at least `threshold` on one axis against the median of the second before, back under
// half of it within kImpactMaxMs (or as the samples end). A force that stays is a brake, start or
// turn, or a step to a new level (an emergency brake, and its end): no impact, and the level
// before it no longer counts as the reference.
void findImpacts(const Motion &m, const std::vector<int> &raw, double threshold, std::vector<Detection> &found)
{
    RunningMedian lastSecond;
    size_t tail = 0;
    size_t first = kNone;
    int reference = 0;
    double peak = 0;
    const auto lasted = [&m, &first](size_t last) { return m.timeMs[last] - m.timeMs[first] + m.stepMs; };
    for (size_t k = 0; k < raw.size(); ++k) {
        if (first != kNone) {
            const double jump = jumpG(raw[k], reference);
            if (m.startsStretch[k] || jump < threshold / 2) {
                if (lasted(k - 1) <= kImpactMaxMs)
                    found.push_back({EventKind::Impact, m.timeMs[first], m.timeMs[k - 1], peak});
                first = kNone;
            } else if (lasted(k) > kImpactMaxMs) {
                first = kNone;
                for (; tail < k; ++tail)
                    lastSecond.remove(raw[tail]);
                lastSecond.add(raw[k]);
                continue;
            } else {
                peak = std::max(peak, jump);
                lastSecond.add(raw[k]);
                continue;
            }
        }
        for (; tail < k && (m.startsStretch[k] || m.timeMs[tail] < m.timeMs[k] - kImpactReferenceMs); ++tail)
            lastSecond.remove(raw[tail]);
        if (lastSecond.size() > 0) {
            reference = lastSecond.median();
            peak = jumpG(raw[k], reference);
            if (peak >= threshold)
                first = k;
        }
        lastSecond.add(raw[k]);
    }
    if (first != kNone && lasted(raw.size() - 1) <= kImpactMaxMs)
        found.push_back({EventKind::Impact, m.timeMs[first], m.timeMs[raw.size() - 1], peak});
}

// GPS speed drops of at least `threshold` within kSpeedDropMs, between samples with a fix. The
// peak is the stronger of the deceleration the drop implies and the one measured.
template<typename Deceleration>
void findSpeedDrops(const Motion &m, double threshold, Deceleration deceleration, std::vector<Detection> &found)
{
    for (size_t k = 1; k < m.timeMs.size(); ++k) {
        if (m.speedKmh[k] < 0)
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
        if (highest < 0 || drop < threshold || drop > kMaxSpeedDropKmh)
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
    std::optional<int> near;
    if (!after) {
        const size_t end = size_t(std::upper_bound(t.begin(), t.end(), timeMs) - t.begin());
        for (size_t k = 0; k < end; ++k) {
            if (m.speedKmh[k] >= 0 && (!near || t[k] <= timeMs - kSpeedAroundMs))
                near = m.speedKmh[k];
        }
        return near;
    }
    const size_t begin = size_t(std::lower_bound(t.begin(), t.end(), timeMs) - t.begin());
    for (size_t k = t.size(); k-- > begin;) {
        if (m.speedKmh[k] >= 0 && (!near || t[k] >= timeMs + kSpeedAroundMs))
            near = m.speedKmh[k];
    }
    return near;
}

} // namespace

LongitudinalEvidence &LongitudinalEvidence::operator+=(const LongitudinalEvidence &other)
{
    agreeing += other.agreeing;
    opposing += other.opposing;
    samples += other.samples;
    return *this;
}

LongitudinalEvidence longitudinalEvidence(const QList<TelemetrySample> &samples)
{
    const Motion m = motionOf(samples);
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

QList<DrivingEvent> detectEvents(const QList<TelemetrySample> &samples, const EventThresholds &thresholds,
                                 Forward forward)
{
    const Motion m = motionOf(samples);
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

QList<DrivingEvent> clipEvents(const QString &clipPath, const QList<TelemetrySample> &samples,
                               const EventThresholds &thresholds, Forward forward)
{
    QList<DrivingEvent> events = detectEvents(samples, thresholds, forward);
    const QString name = QFileInfo(clipPath).fileName();
    for (DrivingEvent &event : events) {
        event.clip = clipPath;
        event.timeUtc = eventTimeUtc(name, event.offsetMs);
    }
    return events;
}

} // namespace EventDetection
