#pragma once

// Shared helpers of the playback benchmarks: clip generation with timing, process CPU time, the
// player run to the end of a clip the way the viewer shows it, and a bare pipeline with the same
// demuxing and decoding for comparison.
#include "generators/mediagen/mediagen.h"

#include <QSize>
#include <QString>

namespace Bench {

// The boxes the viewer draws the two channels in at its default size.
constexpr QSize kLargeBox(628, 359);
constexpr QSize kSmallBox(318, 178);

// Before the application object: offscreen widgets unless a platform is chosen, sound into a fake
// sink, the media framework started. False when the framework cannot start.
bool prepare();

double cpuSeconds();
// Prints the machine's load average: the figures mean little on a machine busy with other work.
void printLoad();
// The recorder's pair of channels as the benchmarks play them: 1920x1080 and 1280x720, 30 fps,
// with sound, camera-like pictures (H.264 at 8 Mbit/s in an MP4).
MediaGen::ClipDesign recorderPair(int seconds);
// Writes an MP4 or, for a name ending in ".avi", an AVI clip; prints how long it took.
bool writeClip(const QString &path, const MediaGen::ClipDesign &design);

struct RunResult
{
    bool ok = false;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    quint64 pictures[2] = {0, 0};
    double picturesPerSecond(int channel) const { return wallSeconds > 0 ? pictures[channel] / wallSeconds : 0; }
};

// Opens `path` with the player, shows its channels in video views of the viewer's box sizes, and
// plays it from the start to its end.
RunResult playToEnd(const QString &path, bool clockSync);
// filesrc -> demuxer -> one queue and decoder per stream -> fake sinks, to the end; the clip has
// `channels` video streams and, with `audio`, a sound stream.
RunResult bareToEnd(const QString &path, bool clockSync, int channels, bool audio);

} // namespace Bench
