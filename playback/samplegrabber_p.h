#pragma once

// The grabber of one video channel: a pad probe behind the YUY2 conversion. Every picture that
// passes is made writable, handed to the channel's SampleHandler (which may rewrite it), and kept
// referenced as the channel's last picture for frame capture.
#include "playback/gsthandles_p.h"

#include <gst/video/video.h>

#include <QImage>
#include <QMutex>
#include <QSize>

#include <atomic>

class SampleHandler;

class SampleGrabber
{
public:
    // Installs the probe on the source pad of `element` (the pipeline keeps the element alive).
    explicit SampleGrabber(GstElement *element);
    ~SampleGrabber();
    SampleGrabber(const SampleGrabber &) = delete;
    SampleGrabber &operator=(const SampleGrabber &) = delete;

    // Thread-safe. Null detaches the callback.
    void setCallback(SampleHandler *handler) { m_handler.store(handler); }

    // Size of the negotiated pictures; empty until the format is known. Thread-safe.
    QSize videoSize() const;
    // True once pictures are negotiated as YUY2 video. Thread-safe.
    bool isYuy2() const;
    // The last picture that passed, converted to 24-bit RGB; a null image when none passed.
    QImage currentPicture() const;

private:
    static GstPadProbeReturn onData(GstPad *pad, GstPadProbeInfo *info, gpointer self);
    void takeEvent(GstEvent *event);
    void takeBuffer(GstPadProbeInfo *info);

    Gst::PadPtr m_pad;
    gulong m_probe = 0;
    std::atomic<SampleHandler *> m_handler{nullptr};
    GstSegment m_segment; // streaming thread only

    mutable QMutex m_mutex; // guards the members below
    GstVideoInfo m_info;
    bool m_hasInfo = false;
    Gst::BufferPtr m_last;
};
