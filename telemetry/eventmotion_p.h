#pragma once

#include "telemetry/drivingevent.h"
#include "telemetry/telemetrysample.h"

#include <QList>

#include <algorithm>
#include <array>
#include <vector>

// The event detection's view of a clip's samples: in time order, accelerations clamped to the
// sensor's range, the longitudinal and lateral forces in g without the mounting's offset.
// Private to the telemetry library.
namespace EventDetection::Internal {

constexpr double kRawPerG = 128; // the dashboard's scale: 128 raw units are 1 g
constexpr int kRawMinimum = -127; // the sensor's range
constexpr int kRawMaximum = 128;
// Samples within 0.2 g of the mounting's offset count as calm driving.
constexpr int kCalmRaw = 26;

// The median of a sliding set of raw acceleration values (-127 … 128), kept as counts per value:
// adding and removing cost nothing, reading the median costs the distance it moved since.
class RunningMedian
{
public:
    void add(int raw)
    {
        const int bin = std::clamp(raw, kRawMinimum, kRawMaximum) + kOffset;
        ++m_counts[bin];
        ++m_size;
        m_below += bin < m_bin;
    }
    void remove(int raw)
    {
        const int bin = std::clamp(raw, kRawMinimum, kRawMaximum) + kOffset;
        if (m_counts[bin] == 0)
            return;
        --m_counts[bin];
        --m_size;
        m_below -= bin < m_bin;
    }
    int size() const { return m_size; }
    int median(); // the lower median; 0 when empty

private:
    static constexpr int kOffset = 127; // bin of raw value 0
    std::array<int, 256> m_counts{};
    int m_size = 0;
    int m_bin = kOffset; // where the median was last found
    int m_below = 0;     // values in the bins below m_bin
};

// The lower median of values[first, last), which must not be empty; `scratch` is working space.
int medianOf(const std::vector<int> &values, size_t first, size_t last, std::vector<int> &scratch);

struct Motion
{
    std::vector<qint64> timeMs;
    std::vector<char> startsStretch;     // 1 where a gap in time (or the start) comes before the sample
    std::array<std::vector<int>, 3> raw; // X, Y, Z in raw units, clamped to the sensor's range
    std::vector<float> longitudinal;     // X in g, offset removed
    std::vector<float> lateral;          // Y in g, offset removed
    std::vector<int> speedKmh;           // -1 without a usable fix, or with an impossible speed
    qint64 stepMs = 100;                 // the usual time from one sample to the next
};

Motion motionOf(const QList<TelemetrySample> &samples);

// One kind of event found between two samples' times, before detections close together merge.
struct Detection
{
    EventKind kind;
    qint64 startMs;
    qint64 endMs; // time of its last sample
    double peakG;
};

// The impacts on one axis (eventimpacts.cpp).
void findImpacts(const Motion &m, const std::vector<int> &raw, double threshold, std::vector<Detection> &found);

} // namespace EventDetection::Internal
