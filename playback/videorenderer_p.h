#pragma once

// The renderer of one video channel: an appsink taking BGRx pictures at the size they are shown.
// The streaming thread only keeps a reference to the newest sample and posts one queued call; the
// GUI thread wraps it as an image (no copy) and hands it to the picture callback. The pipeline
// delivers the pictures at the size they are drawn at (never above the decoded size), so that
// drawing them is a plain copy: the converter in front of the renderer is told through its caps
// filter.
#include "playback/gsthandles_p.h"

#include <gst/app/gstappsink.h>

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QSize>

#include <atomic>
#include <functional>

class VideoRenderer : public QObject
{
public:
    // Takes the pictures of `appsink` and bounds their size through `format`, the caps filter in
    // front of it (adds references to both, so they may outlive the pipeline), starting with
    // `bound`. Lives on the GUI thread; destroy it only after the pipeline has stopped streaming.
    VideoRenderer(GstElement *appsink, GstElement *format, const QSize &bound = QSize());
    ~VideoRenderer() override;

    GstElement *sink() const { return m_sink.get(); }

    // Asks the pipeline for pictures of exactly `bound` (stretched), or with `exact` false for the
    // largest that fit in it keeping their shape (while the decoded size is not known yet); an empty
    // bound asks for the decoded size. Answers whether the request changed; the pictures follow
    // from the next one decoded.
    bool setDisplayBound(const QSize &bound, bool exact = true);
    QSize displayBound() const { return m_displayBound; }
    static QString boundCaps(const QSize &bound, bool exact);

    // The latest picture that reached the GUI thread (RGB32); null before the first.
    QImage picture() const { return m_picture; }
    // Pictures taken over on the GUI thread since the renderer was made: 1 for the first.
    quint64 pictureSerial() const { return m_serial; }
    // Pictures handed over by the streaming thread so far. Thread-safe.
    quint64 deliveredCount() const { return m_delivered.load(); }
    // Called on the GUI thread with each new picture taken over and its serial.
    using PictureCallback = std::function<void(const QImage &picture, quint64 serial)>;
    void setPictureCallback(PictureCallback callback) { m_onPicture = std::move(callback); }

    // A decoded picture as the sink handed it over.
    struct Picture
    {
        Gst::BufferPtr buffer;
        Gst::CapsPtr caps;
    };

private:
    static GstFlowReturn onPreroll(GstAppSink *sink, gpointer self);
    static GstFlowReturn onSample(GstAppSink *sink, gpointer self);
    void deliver(GstSample *sample);
    void takeLatest();

    Gst::ElementPtr m_sink;
    Gst::ElementPtr m_format;
    QMutex m_mutex;    // guards m_pending and m_posted
    Picture m_pending; // newest picture not yet taken by the GUI thread
    bool m_posted = false;
    std::atomic<quint64> m_delivered{0};

    QImage m_picture;
    quint64 m_serial = 0;
    PictureCallback m_onPicture;
    QSize m_displayBound;
    bool m_exact = false;
    bool m_boundSet = false; // the caps filter has been given a bound at least once
};
