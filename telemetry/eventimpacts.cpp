#include "telemetry/eventmotion_p.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace EventDetection::Internal {

namespace {

constexpr qint64 kImpactMaxMs = 300;        // an impact is over within this
constexpr qint64 kImpactReferenceMs = 1000; // and measured against the median of this last stretch
constexpr size_t kNone = std::numeric_limits<size_t>::max();

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

// Whether values[first, last) hold enough values `distance` or more below `value`, or enough
// that far above it, for their lower median to lie there.
bool medianMayBeFar(const std::vector<int> &values, size_t first, size_t last, int value, int distance)
{
    const size_t needed = (last - first + 1) / 2; // values at or below the lower median
    size_t low = 0;
    size_t high = 0;
    for (size_t k = first; k < last; ++k) {
        low += values[k] <= value - distance;
        high += values[k] >= value + distance;
    }
    return low >= needed || high > last - first - needed;
}

// The impacts on one axis, sample by sample. A jump of at least the threshold against the median
// of the second before that is back under half of it within kImpactMaxMs (or as the samples end)
// is an impact. A force that stays is a brake, start or turn, or a step to a new level (an
// emergency brake, and its end): no impact, and the level before it no longer counts.
// The median is only taken where a jump can be: a value and a median both under half the
// threshold are closer than the threshold, and the median is under half of it while fewer than
// half of the second's values reach that; then the values of the second tell whether the median
// can lie a threshold away (a reading at the sensor's limit always gets the median).
class ImpactScan
{
public:
    ImpactScan(const Motion &motion, const std::vector<int> &raw, double threshold)
        : m_motion(motion), m_raw(raw), m_threshold(threshold), m_thresholdRaw(int(std::ceil(threshold * kRawPerG)))
    {
    }

    void run(std::vector<Detection> &found)
    {
        for (size_t k = 0; k < m_raw.size(); ++k) {
            // Nothing strong in the last second, nor now: no jump can be. (The second is brought
            // up to date at the next sample that needs it; dropping calm values changes nothing.)
            if (m_first == kNone && m_strong == 0 && !isStrong(m_raw[k]))
                continue;
            if (m_first == kNone || !follow(k, found))
                look(k);
            m_strong += isStrong(m_raw[k]);
        }
        if (m_first != kNone && lasted(m_raw.size() - 1) <= kImpactMaxMs)
            found.push_back({EventKind::Impact, m_motion.timeMs[m_first], m_motion.timeMs.back(), m_peak});
    }

private:
    bool isStrong(int value) const { return 2 * std::abs(value) >= m_thresholdRaw; }
    qint64 lasted(size_t last) const { return m_motion.timeMs[last] - m_motion.timeMs[m_first] + m_motion.stepMs; }

    // Sample k during a jump: true while the jump goes on (or has lasted too long to be an impact).
    bool follow(size_t k, std::vector<Detection> &found)
    {
        const double jump = jumpG(m_raw[k], m_reference);
        if (m_motion.startsStretch[k] || jump < m_threshold / 2) {
            if (lasted(k - 1) <= kImpactMaxMs)
                found.push_back({EventKind::Impact, m_motion.timeMs[m_first], m_motion.timeMs[k - 1], m_peak});
            m_first = kNone;
            return false;
        }
        if (lasted(k) > kImpactMaxMs) {
            m_first = kNone;
            m_tail = k;
            m_strong = 0;
        } else {
            m_peak = std::max(m_peak, jump);
        }
        return true;
    }

    // Sample k outside a jump: whether one begins there.
    void look(size_t k)
    {
        const auto &times = m_motion.timeMs;
        for (; m_tail < k && (m_motion.startsStretch[k] || times[m_tail] < times[k] - kImpactReferenceMs); ++m_tail)
            m_strong -= isStrong(m_raw[m_tail]);
        const size_t count = k - m_tail;
        const bool atLimit = m_raw[k] <= kRawMinimum || m_raw[k] >= kRawMaximum;
        if (count == 0 || (!isStrong(m_raw[k]) && 2 * m_strong < count)
            || !(atLimit || medianMayBeFar(m_raw, m_tail, k, m_raw[k], m_thresholdRaw)))
            return;
        m_reference = medianOf(m_raw, m_tail, k, m_scratch);
        m_peak = jumpG(m_raw[k], m_reference);
        if (m_peak >= m_threshold)
            m_first = k;
    }

    const Motion &m_motion;
    const std::vector<int> &m_raw;
    const double m_threshold;
    const int m_thresholdRaw;
    size_t m_tail = 0;      // the last second is [m_tail, k)
    size_t m_strong = 0;    // values in it at half the threshold or more
    size_t m_first = kNone; // where the jump under way began
    int m_reference = 0;
    double m_peak = 0;
    std::vector<int> m_scratch;
};

} // namespace

void findImpacts(const Motion &m, const std::vector<int> &raw, double threshold, std::vector<Detection> &found)
{
    ImpactScan(m, raw, threshold).run(found);
}

} // namespace EventDetection::Internal
