#include "telemetry/eventmotion_p.h"

#include <algorithm>
#include <cstdlib>

namespace EventDetection::Internal {

namespace {

// The mounting's offset is the median of the last ten seconds' calm samples. Braking, turns and
// bumps stay out of it, so a long brake does not become the new level (and its end a false
// start). When nothing was calm for a whole window the level itself has changed (the recorder was
// moved), and the median of all samples takes over.
constexpr qint64 kOffsetWindowMs = 10000;
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
    if (!std::is_sorted(result.cbegin(), result.cend(), before))
        std::stable_sort(result.begin(), result.end(), before);
    return result;
}

// The median time between samples, so that a few gaps or doubled times do not set it.
qint64 usualStep(const std::vector<qint64> &times)
{
    std::vector<qint64> steps;
    steps.reserve(times.size());
    for (size_t k = 1; k < times.size(); ++k) {
        if (times[k] > times[k - 1])
            steps.push_back(times[k] - times[k - 1]);
    }
    if (steps.empty())
        return kDefaultStepMs;
    std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
    return std::clamp<qint64>(steps[steps.size() / 2], 1, kMaxStepMs);
}

std::vector<float> withoutOffset(const std::vector<int> &raw, const std::vector<qint64> &times)
{
    const size_t n = raw.size();
    std::vector<float> relative(n);
    if (n == 0)
        return relative;
    // Until calm samples have been seen, the median of the first window stands in.
    RunningMedian first;
    for (size_t k = 0; k < n && times[k] < times[0] + kOffsetWindowMs; ++k)
        first.add(raw[k]);
    int offset = first.median();
    RunningMedian calm;
    RunningMedian all;
    std::vector<char> isCalm(n, 0);
    size_t tail = 0; // oldest sample still in the windows
    qint64 lastCalm = times[0];
    for (size_t k = 0; k < n; ++k) {
        for (; tail < k && times[tail] < times[k] - kOffsetWindowMs; ++tail) {
            all.remove(raw[tail]);
            if (isCalm[tail])
                calm.remove(raw[tail]);
        }
        if (calm.size() > 0)
            offset = calm.median();
        else if (times[k] - lastCalm >= kOffsetWindowMs && all.size() > 0)
            offset = all.median();
        const int deviation = raw[k] - offset;
        relative[k] = float(deviation / kRawPerG);
        if (std::abs(deviation) < kCalmRaw) {
            calm.add(raw[k]);
            isCalm[k] = 1;
            lastCalm = times[k];
        }
        all.add(raw[k]);
    }
    return relative;
}

} // namespace

void RunningMedian::add(int raw)
{
    const int bin = std::clamp(raw, kRawMinimum, kRawMaximum) + kOffset;
    ++m_counts[bin];
    ++m_size;
    if (bin < m_bin)
        ++m_below;
}

void RunningMedian::remove(int raw)
{
    const int bin = std::clamp(raw, kRawMinimum, kRawMaximum) + kOffset;
    if (m_counts[bin] == 0)
        return;
    --m_counts[bin];
    --m_size;
    if (bin < m_bin)
        --m_below;
}

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

Motion motionOf(const QList<TelemetrySample> &samples)
{
    const QList<TelemetrySample> sorted = ordered(samples);
    const size_t n = size_t(sorted.size());
    Motion motion;
    motion.timeMs.reserve(n);
    for (auto &axis : motion.raw)
        axis.reserve(n);
    motion.speedKmh.reserve(n);
    for (const TelemetrySample &s : sorted) {
        motion.timeMs.push_back(s.timeMs);
        motion.raw[0].push_back(std::clamp<int>(s.accelX, kRawMinimum, kRawMaximum));
        motion.raw[1].push_back(std::clamp<int>(s.accelY, kRawMinimum, kRawMaximum));
        motion.raw[2].push_back(std::clamp<int>(s.accelZ, kRawMinimum, kRawMaximum));
        const bool usable = s.hasUsablePosition() && s.speedKmh >= 0 && s.speedKmh <= kMaxSpeedKmh;
        motion.speedKmh.push_back(usable ? s.speedKmh : -1);
    }
    motion.stepMs = usualStep(motion.timeMs);
    motion.startsStretch.resize(n, 0);
    for (size_t k = 0; k < n; ++k)
        motion.startsStretch[k] = k == 0 || motion.timeMs[k] - motion.timeMs[k - 1] > 2 * motion.stepMs;
    motion.longitudinal = withoutOffset(motion.raw[0], motion.timeMs);
    motion.lateral = withoutOffset(motion.raw[1], motion.timeMs);
    return motion;
}

} // namespace EventDetection::Internal
