#pragma once

#include "playback/player.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QSize>

#include <memory>

class Clip;
class Player;

// Shows a clip's pictures: owns the player of its clip, fits the renderer pictures into itself with
// side margins, zooms and pans them, and draws the loading picture over the first picture after an
// open (and while the open is under way). The player turns the pictures by its rotation as they
// are drawn. A second view can show channel 1 of another view's player next to its own channel 0.
class VideoView : public QLabel
{
    Q_OBJECT

public:
    explicit VideoView(QWidget *parent = nullptr);
    ~VideoView() override;

    // Starts opening `clip` on the view's player; false for a null clip. fileOpened() or
    // openFailed() follows, unless a later open or close cancels it.
    bool openClip(Clip *clip);
    void close();
    bool isOpening() const { return m_player->isOpening(); }
    // The loading picture is drawn over the view.
    bool isLoadingShown() const;
    Player *player() const { return m_player.get(); }

    void setVideoSize(const QSize &size) { m_videoSize = size; }
    QSize videoSize() const { return m_videoSize; }
    void setPanEnabled(bool enabled) { m_panEnabled = enabled; }
    bool isPanEnabled() const { return m_panEnabled; }
    void setSecondChannelPlayer(Player *player);
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

signals:
    void clicked();
    void doubleClicked();
    void fileOpened();
    void openFailed(const QString &reason);
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
    void onOpened();
    void onPictureShown(Player *player, int channel);
    QRect loadingArea() const;

    std::unique_ptr<Player> m_player;
    QPointer<Player> m_secondChannelPlayer;
    QMetaObject::Connection m_secondChannelPictures;
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
    bool m_showLoading = false; // from an open until the second picture of channel 0
};
