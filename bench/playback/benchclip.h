#pragma once

// Shared helpers of the playback benchmarks: clip generation with timing, process CPU time, and a
// player run to the end of the clip.
#include "playback/player.h"
#include "playback/samplefilter.h"
#include "tools/mediagen/mediagen.h"

#include <QString>

#include <atomic>

namespace Bench {

// Counts the pictures of each channel; rewrites nothing.
class CountingFilter : public SampleFilter
{
public:
    void processSample(int channel, double, uchar *bytes, int length) override
    {
        if (length > 0)
            m_checksum += bytes[length / 2]; // touch the picture as a real sink would
        ++m_count[channel == 1 ? 1 : 0];
    }
    int count(int channel) const { return m_count[channel].load(); }

private:
    std::atomic<int> m_count[2] = {0, 0};
    std::atomic<unsigned> m_checksum{0};
};

double cpuSeconds();
// Prints the machine's load average: the figures mean little on a machine busy with other work.
void printLoad();
bool writeClip(const QString &path, const MediaGen::ClipSpec &clipSpec);

struct RunResult
{
    bool ok = false;
    double wallSeconds = 0;
    double cpuSeconds = 0;
};

// Opens `path` with both channel handlers on `filter`, plays it from the start to its end.
RunResult playToEnd(const QString &path, CountingFilter &filter, bool clockSync);

} // namespace Bench
