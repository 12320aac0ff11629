#pragma once

// The renderer of one video channel: an appsink taking RGBx pictures. The streaming thread only
// keeps a reference to the newest sample and posts one queued call; the GUI thread wraps it as an
// image and draws it, scaled, into the rectangle the view gave, inside the view's widget.
#include "playback/gsthandles_p.h"

#include <gst/app/gstappsink.h>

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <atomic>

class QPainter;

class VideoRenderer : public QObject
{
public:
    // Takes the pictures of `appsink` (which the pipeline owns and keeps alive). Lives on the GUI
    // thread; destroy it only after the pipeline has stopped streaming.
    explicit VideoRenderer(GstElement *appsink);
    ~VideoRenderer() override;

    bool show(QWidget *window, const QRect &rect);
    void move(QWidget *window, const QPoint &topLeft);
    void resize(QWidget *window, const QSize &size);
    void hide();
    bool isVisible() const { return m_visible; }
    QRect rect() const { return m_rect; }

    // Draws the latest picture when shown inside `window`, clipped to the widget.
    void paint(QPainter &painter, const QWidget *window) const;

    // The latest picture that reached the GUI thread (RGBX8888); null before the first.
    QImage picture() const { return m_picture; }
    // Pictures handed over by the streaming thread so far. Thread-safe.
    quint64 deliveredCount() const { return m_delivered.load(); }

private:
    static GstFlowReturn onPreroll(GstAppSink *sink, gpointer self);
    static GstFlowReturn onSample(GstAppSink *sink, gpointer self);
    void deliver(GstSample *sample);
    void takeLatest();
    void setWindow(QWidget *window);
    void repaint();

    GstAppSink *m_sink = nullptr;
    QMutex m_mutex;            // guards m_pending and m_posted
    Gst::SamplePtr m_pending;  // newest sample not yet taken by the GUI thread
    bool m_posted = false;
    std::atomic<quint64> m_delivered{0};

    QImage m_picture;
    QPointer<QWidget> m_window;
    QRect m_rect;
    bool m_visible = false;
};
