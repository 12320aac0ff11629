#pragma once

#include <QtGlobal>

// Receiver of decoded pictures. Called on the channel's streaming thread with the very buffer that
// travels on to the renderer: whatever the filter writes into it is what gets displayed. The buffer
// holds one YUY2 picture of the channel's video size (rows packed, 2 bytes per pixel).
class SampleFilter
{
public:
    virtual ~SampleFilter() = default;
    virtual void processSample(int channel, double seconds, uchar *bytes, int length) = 0;
};

// The per-channel picture callback the player installs on a channel's grabber. It forwards every
// picture to its filter together with its channel number. Owned by whoever created it (the video
// view); it must outlive every player it is given to while that player has the clip open.
class SampleHandler
{
public:
    explicit SampleHandler(SampleFilter *sink) : m_sink(sink) {}

    void setChannel(int channel) { m_channel = channel; }
    int channel() const { return m_channel; }
    SampleFilter *sink() const { return m_sink; }

    // Streaming thread: hands one picture to the filter. Always answers 0 (success).
    int bufferCB(double seconds, uchar *bytes, int length)
    {
        if (m_sink)
            m_sink->processSample(m_channel, seconds, bytes, length);
        return 0;
    }

private:
    SampleFilter *m_sink = nullptr;
    int m_channel = -1;
};
