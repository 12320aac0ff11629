#pragma once

#include "playback/videooutput.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QSize>

class Clip;
class PlaybackSession;

// Shows one channel of the clip a playback session plays: takes the engine's pictures of that
// channel, fits them into itself with side margins, zooms, pans and turns them as it draws them,
// and draws the loading picture while a clip opens and over its first picture. It tells the session
// the size it draws the pictures at, so that the pipeline scales them to it.
class VideoView : public QLabel, public VideoOutput
{
    Q_OBJECT

public:
    explicit VideoView(QWidget *parent = nullptr);
    ~VideoView() override;

    // Shows `channel` of what `session` plays: takes its pictures, tells it the size they are drawn
    // at, and follows its rotation.
    void showChannel(PlaybackSession *session, int channel);

    // The loading picture is drawn over the view.
    bool isLoadingShown() const;
    // The decoded size of the clip's pictures, which the fitting keeps the shape of; forgotten when
    // another clip starts opening.
    void setVideoSize(const QSize &size) { m_videoSize = size; }
    QSize videoSize() const { return m_videoSize; }
    void setPanEnabled(bool enabled) { m_panEnabled = enabled; }
    bool isPanEnabled() const { return m_panEnabled; }

    // The largest 16:9 box inside width × height, the reference of the zoom and pan limits.
    void setBoxForArea(int width, int height);
    QSize box() const { return m_box; }
    void setVideoVisible(bool visible);
    // The pictures are drawn turned by `degrees` about their centre.
    void setRotation(int degrees);

    void layoutRenderers();
    void zoomBy(int step);
    // One zoom step (+1 in, −1 out) about `anchor`, a point of the view: what is under it stays.
    void zoomAt(int step, const QPointF &anchor);
    bool panTo(int dx, int dy);
    float zoom() const { return m_zoom; }
    // The rectangle the shown picture currently takes inside the view (after fit, zoom and pan).
    QRect rendererRect() const { return m_rendererRect; }

    int heightForWidth(int width) const override { return width / 2; }

    void presentPicture(int channel, const QImage &picture, quint64 serial) override;
    void resetPictures(bool opening) override;

signals:
    void clicked();
    void doubleClicked();
    void fileDropped(Clip *clip);
    void playingUpdated(bool playing);
    void clipStopped(const Clip *clip);
    void clipJustPaused();
    // The pictures are drawn at this size now (fitted or zoomed).
    void displaySizeChanged(const QSize &size);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    class PictureSurface;

    void panBy(const QPoint &delta);
    void showZoomed(const QRect &rect);
    void paintPicture(QPainter &painter) const;
    void paintLoading(QPainter &painter) const;
    void placeSurface();
    // Places the picture's surface and repaints the whole view.
    void refresh();
    QRect loadingArea() const;

    QPointer<PlaybackSession> m_session;
    int m_channel = 0;
    QImage m_picture; // the latest picture of the channel, at the size the pipeline scaled it to
    bool m_videoVisible = true;
    int m_rotation = 0;
    float m_zoom = 1.0f;
    QSize m_box{640, 360};
    QSize m_videoSize;
    bool m_panEnabled = false;
    QPoint m_press;
    QPoint m_last;
    QPixmap m_background;
    QImage m_loading;
    QRect m_rendererRect;
    bool m_showLoading = false; // from an open until the second picture of the channel
    PictureSurface *m_surface;
};
