#pragma once

#include "playback/player.h"
#include "playback/samplefilter.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QSize>

#include <atomic>
#include <memory>
#include <vector>

class Clip;
class Player;

// Shows a clip's pictures: owns the player of its clip and the per-channel picture callbacks, fits
// the renderer pictures into itself with side margins, zooms and pans them, and rewrites pictures
// on the streaming threads (rotation, the loading picture on the first picture after an open).
// A second view can show channel 1 of another view's player next to its own channel 0.
class VideoView : public QLabel, public SampleFilter
{
    Q_OBJECT

public:
    explicit VideoView(QWidget *parent = nullptr);
    ~VideoView() override;

    bool openClip(Clip *clip);
    void close();
    Player *player() const { return m_player.get(); }

    void setVideoSize(const QSize &size) { m_videoSize = size; }
    QSize videoSize() const { return m_videoSize; }
    void setPanEnabled(bool enabled) { m_panEnabled = enabled; }
    bool isPanEnabled() const { return m_panEnabled; }
    void setSecondChannelPlayer(Player *player) { m_secondChannelPlayer = player; }
    Player *secondChannelPlayer() const { return m_secondChannelPlayer; }

    // The largest 16:9 box inside width × height, the reference of the zoom and pan limits.
    void setBoxForArea(int width, int height);
    QSize box() const { return m_box; }
    void setVideoVisible(bool visible);

    void layoutRenderers();
    void zoomBy(int step);
    bool panTo(int dx, int dy);
    float zoom() const { return m_zoom; }
    // The rectangle the shown picture currently takes inside the view (after fit, zoom and pan).
    QRect rendererRect() const { return m_rendererRect; }

    int heightForWidth(int width) const override { return width / 2; }

    // Streaming thread: rewrites the picture in place when it must (see the class comment).
    void processSample(int channel, double seconds, uchar *bytes, int length) override;

signals:
    void clicked();
    void doubleClicked();
    void fileOpened();
    void fileDropped(Clip *clip);
    void playingUpdated(bool playing);
    void clipStopped(const Clip *clip);
    void clipJustPaused();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    Player *zoomTarget(int *channel) const;
    void paintLoading(uchar *bytes, const QSize &size);
    void rotatePicture(int channel, uchar *bytes, int length, const QSize &size, int rotation);
    void requestVideoVisible();

    std::unique_ptr<Player> m_player;
    QPointer<Player> m_secondChannelPlayer;
    std::unique_ptr<SampleHandler> m_handlers[2];
    bool m_rendererVisible[2] = {true, true};
    float m_zoom = 1.0f;
    QSize m_box{640, 360};
    QSize m_videoSize;
    bool m_panEnabled = false;
    QPoint m_press;
    QPoint m_last;
    QPixmap m_background;
    QImage m_loading;
    QRect m_rendererRect;
    std::atomic<bool> m_showLoading{true};
    std::atomic<bool> m_somethingHidden{false}; // a renderer is hidden: the next picture shows it again
    std::atomic<bool> m_visibilityRequested{false};
    // Per channel, touched only by that channel's streaming thread.
    int m_rotateToggle[2] = {0, 0};
    std::vector<uchar> m_rotatedCopy[2];
    QSize m_copySize[2] = {QSize(-1, -1), QSize(-1, -1)};
};
