#pragma once

#include <QList>
#include <QPixmap>
#include <QRect>
#include <QWidget>

// One piece of the skin image and where the maximized layout draws it.
struct SkinRegion
{
    QRect source;   // in the skin image
    QRect target;   // in the window
};

// The pieces of a window skin of size `image`, cut to fit a window of size `window`: fixed
// corners, stretched edges, the right panel in three parts and the strip beside the video area.
// The video area itself is not among them. Pure; the order is the drawing order.
QList<SkinRegion> maximizedSkinRegions(QSize window, QSize image);

// Width of the viewer's video area for a window `windowWidth` wide (snapped to 10 pixels).
int snappedVideoWidth(int windowWidth);
// Height of the viewer's video area for a window `windowHeight` high (snapped to 10 pixels).
int snappedVideoHeight(int windowHeight);

// Paints a window skin image: whole at (0, 0), or cut into regions for the maximized layout.
class Background : public QWidget
{
    Q_OBJECT

public:
    Background(QWidget *parent, const QString &imagePath);

    void setMaximizedLayout(bool maximized);
    bool isMaximizedLayout() const;
    const QPixmap &image() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_image;
    bool m_maximizedLayout = false;
};
