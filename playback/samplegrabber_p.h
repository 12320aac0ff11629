#pragma once

// The grabber of one video channel: a pad probe in front of the display converter, where the
// decoded pictures still have their full size. It rewrites nothing and copies nothing: it keeps a
// reference to the last picture that passed, with its format and time, so that a snapshot can
// convert that one picture at full size when it is asked for.
#include "playback/gsthandles_p.h"

#include <gst/video/video.h>

#include <QImage>
#include <QMutex>
#include <QSize>

class SampleGrabber
{
public:
    // Installs the probe on the sink pad of `element` (the pipeline keeps the element alive).
    explicit SampleGrabber(GstElement *element);
    ~SampleGrabber();
    SampleGrabber(const SampleGrabber &) = delete;
    SampleGrabber &operator=(const SampleGrabber &) = delete;

    // Size of the decoded pictures; empty until the format is known. Thread-safe.
    QSize videoSize() const;
    // Duration of one picture in ns from the stream's frame rate; 0 when the rate is unknown.
    qint64 frameDuration() const;
    // Stream time in ns of the last picture that passed; -1 before the first.
    qint64 lastPictureTime() const;
    // The last picture that passed, converted at full size to 24-bit RGB; a null image when none
    // passed or it cannot be converted.
    QImage currentPicture() const;

private:
    static GstPadProbeReturn onData(GstPad *pad, GstPadProbeInfo *info, gpointer self);
    void takeEvent(GstEvent *event);
    void takeBuffer(GstBuffer *buffer);

    Gst::PadPtr m_pad;
    gulong m_probe = 0;
    GstSegment m_segment; // streaming thread only

    mutable QMutex m_mutex; // guards the members below
    GstVideoInfo m_info;
    bool m_hasInfo = false;
    Gst::BufferPtr m_last;
    qint64 m_lastTime = -1;
};
