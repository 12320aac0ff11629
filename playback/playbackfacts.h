#pragma once

#include <QSize>

// What opening a clip found out that its viewers need: how many channels it has and the decoded
// size of each. A value: the player answers its own, the session keeps those of the clip on screen.
struct PlaybackFacts
{
    int channelCount = 0; // 0 while nothing is open
    QSize videoSizes[2] = {QSize(0, 0), QSize(0, 0)};

    // Size of channel 1, or of channel 0 for any other number; (0, 0) when unknown.
    QSize videoSize(int channel) const { return videoSizes[channel == 1 ? 1 : 0]; }

    friend bool operator==(const PlaybackFacts &a, const PlaybackFacts &b)
    {
        return a.channelCount == b.channelCount && a.videoSizes[0] == b.videoSizes[0]
               && a.videoSizes[1] == b.videoSizes[1];
    }
};
