#include "telemetry/eventmotion_p.h"

#include <cstdlib>

namespace EventDetection::Internal {

namespace {

// The mounting's offset is the median of the last ten seconds' calm samples, taken once a second.
// Braking, turns and bumps stay out of it, so a long brake does not become the new level (and its
// end a false start). When nothing was calm for a whole window the level itself has changed (the
// recorder was moved), and the median of all that window's samples takes over.
constexpr qint64 kOffsetWindowMs = 10000;
constexpr qint64 kOffsetUpdateMs = 1000;
constexpr int kMaxSpeedKmh = 300;
constexpr qint64 kDefaultStepMs = 100;
constexpr qint64 kMaxStepMs = 1000;

bool before(const TelemetrySample &a, const TelemetrySample &b)
{
    return a.timeMs < b.timeMs;
}

// The samples that have a time, in time order.
QList<TelemetrySample> ordered(const QList<TelemetrySample> &samples)
{
    QList<TelemetrySample> result;
    result.reserve(samples.size());
    for (const TelemetrySample &sample : samples) {
        if (sample.timeMs >= 0)
            result.append(sample);
    }
    std::stable_sort(result.begin(), result.end(), before);
    return result;
}

// The median time between samples, so that a few gaps or doubled times do not set it.
qint64 medianStep(const std::vector<qint64> &times)
{
    std::vector<qint64> steps;
    steps.reserve(times.size());
    for (size_t k = 1; k < times.size(); ++k) {
        if (times[k] > times[k - 1])
            steps.push_back(times[k] - times[k - 1]);
    }
    if (steps.empty())
        return kDefaultStepMs;
    std::nth_element(steps.begin(), steps.begin() + qsizetype(steps.size() / 2), steps.end());
    return steps[steps.size() / 2];
}

std::vector<float> withoutOffset(const std::vector<int> &raw, const std::vector<qint64> &times)
{
    const size_t n = raw.size();
    std::vector<float> relative(n);
    if (n == 0)
        return relative;
    // Until calm samples have been seen, the median of the first window stands in.
    RunningMedian calm;
    for (size_t k = 0; k < n && times[k] < times[0] + kOffsetWindowMs; ++k)
        calm.add(raw[k]);
    int offset = calm.median();
    calm = RunningMedian();
    std::vector<int> scratch;
    std::vector<char> isCalm(n, 0);
    size_t tail = 0; // oldest sample still in the window
    qint64 lastCalm = times[0];
    qint64 nextUpdate = times[0] + kOffsetUpdateMs;
    for (size_t k = 0; k < n; ++k) {
        for (; tail < k && times[tail] < times[k] - kOffsetWindowMs; ++tail) {
            if (isCalm[tail])
                calm.remove(raw[tail]);
        }
        if (times[k] >= nextUpdate) {
            nextUpdate = times[k] + kOffsetUpdateMs;
            if (calm.size() > 0) {
                offset = calm.median();
            } else if (times[k] - lastCalm >= kOffsetWindowMs && tail < k) {
                offset = medianOf(raw, tail, k, scratch);
                lastCalm = times[k];
            }
        }
        const int deviation = raw[k] - offset;
        relative[k] = float(deviation / kRawPerG);
        if (std::abs(deviation) < kCalmRaw) {
            calm.add(raw[k]);
            isCalm[k] = 1;
            lastCalm = times[k];
        }
    }
    return relative;
}

// The motion of samples that all have a time and come in time order; false when they do not.
bool fillMotion(const QList<TelemetrySample> &samples, Motion &motion)
{
    const size_t n = size_t(samples.size());
    motion.timeMs.resize(n);
    for (auto &axis : motion.raw)
        axis.resize(n);
    motion.speedKmh.resize(n);
    qint64 step = 0; // the one time between samples, while all are alike
    bool evenlySpaced = true;
    qint64 *times = motion.timeMs.data();
    int *x = motion.raw[0].data();
    int *y = motion.raw[1].data();
    int *z = motion.raw[2].data();
    int *speed = motion.speedKmh.data();
    const TelemetrySample *s = samples.constData();
    for (size_t k = 0; k < n; ++k, ++s) {
        if (s->timeMs < 0 || (k > 0 && s->timeMs < times[k - 1]))
            return false;
        if (k > 0 && s->timeMs > times[k - 1]) {
            const qint64 gap = s->timeMs - times[k - 1];
            evenlySpaced = evenlySpaced && (step == 0 || gap == step);
            step = gap;
        }
        times[k] = s->timeMs;
        x[k] = std::clamp<int>(s->accelX, kRawMinimum, kRawMaximum);
        y[k] = std::clamp<int>(s->accelY, kRawMinimum, kRawMaximum);
        z[k] = std::clamp<int>(s->accelZ, kRawMinimum, kRawMaximum);
        const bool usable =
            s->speedKmh >= 0 && s->speedKmh <= kMaxSpeedKmh && isUsablePosition(s->latitude, s->longitude);
        speed[k] = usable ? s->speedKmh : -1;
    }
    step = evenlySpaced && step > 0 ? step : medianStep(motion.timeMs);
    motion.stepMs = std::clamp<qint64>(step, 1, kMaxStepMs);
    motion.startsStretch.resize(n, 0);
    for (size_t k = 0; k < n; ++k)
        motion.startsStretch[k] = k == 0 || motion.timeMs[k] - motion.timeMs[k - 1] > 2 * motion.stepMs;
    motion.longitudinal = withoutOffset(motion.raw[0], motion.timeMs);
    motion.lateral = withoutOffset(motion.raw[1], motion.timeMs);
    return true;
}

} // namespace

int RunningMedian::median()
{
    if (m_size == 0)
        return 0;
    const int needed = (m_size + 1) / 2; // values at or below the lower median
    while (m_below + m_counts[m_bin] < needed)
        m_below += m_counts[m_bin++];
    while (m_below >= needed)
        m_below -= m_counts[--m_bin];
    return m_bin - kOffset;
}

int medianOf(const std::vector<int> &values, size_t first, size_t last, std::vector<int> &scratch)
{
    scratch.assign(values.begin() + qsizetype(first), values.begin() + qsizetype(last));
    const auto middle = scratch.begin() + qsizetype((scratch.size() - 1) / 2);
    std::nth_element(scratch.begin(), middle, scratch.end());
    return *middle;
}

Motion motionOf(const QList<TelemetrySample> &samples)
{
    Motion motion;
    if (!fillMotion(samples, motion))
        fillMotion(ordered(samples), motion);
    return motion;
}

} // namespace EventDetection::Internal
