#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

// Timing helpers shared by the benchmarks.
namespace Bench {

// Wall-clock milliseconds `job` takes.
inline double elapsedMs(const std::function<void()> &job)
{
    QElapsedTimer timer;
    timer.start();
    job();
    return double(timer.nsecsElapsed()) / 1e6;
}

// The median of `times`; -1 when there are none.
inline double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times.empty() ? -1 : times[times.size() / 2];
}

} // namespace Bench
