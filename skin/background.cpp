#include "skin/background.h"

#include <QPainter>

namespace {

constexpr QColor kWindowColour(9, 9, 9);
constexpr int kPanelWidth = 344;     // the right panel, 1 pixel in from the right edge
constexpr int kPanelStart = 345;     // its left edge, counted from the right edge

// x mod 10 that stays in 0..9 for negative x too.
int floorMod10(int x)
{
    return ((x % 10) + 10) % 10;
}

} // namespace

int snappedVideoWidth(int windowWidth)
{
    return windowWidth - floorMod10(windowWidth - 384) - 384;
}

int snappedVideoHeight(int windowHeight)
{
    return windowHeight - floorMod10(windowHeight - 285) - 285;
}

QList<SkinRegion> maximizedSkinRegions(QSize window, QSize image)
{
    const int W = window.width(), H = window.height();
    const int w = image.width(), h = image.height();
    const int k = snappedVideoWidth(W);
    return {
        {{0, 0, 22, 32}, {0, 0, 22, 32}},                                             // top-left corner
        {{22, 0, w - 46, 31}, {22, 0, W - 46, 31}},                                   // top edge
        {{w - 24, 0, 24, 32}, {W - 24, 0, 24, 32}},                                   // top-right corner
        {{0, 32, 22, h - 32}, {0, 32, 22, H - 32}},                                   // left edge
        {{w - kPanelStart, 32, kPanelWidth, 438}, {W - kPanelStart, 32, kPanelWidth, 438}},
        {{w - kPanelStart, 470, kPanelWidth, h - 500}, {W - kPanelStart, 470, kPanelWidth, H - 500}},
        {{w - kPanelStart, h - 30, kPanelWidth, 30}, {W - kPanelStart, H - 30, kPanelWidth, 30}},
        {{661, 31, w - 1006, 320}, {k + 21, 31, W - k - 366, snappedVideoHeight(H)}}, // strip
    };
}

Background::Background(QWidget *parent, const QString &imagePath)
    : QWidget(parent)
    , m_image(imagePath)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kWindowColour);
    setPalette(palette);
    setAutoFillBackground(true);
}

void Background::setMaximizedLayout(bool maximized)
{
    if (m_maximizedLayout == maximized)
        return;
    m_maximizedLayout = maximized;
    update();
}

bool Background::isMaximizedLayout() const
{
    return m_maximizedLayout;
}

const QPixmap &Background::image() const
{
    return m_image;
}

void Background::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    if (!m_maximizedLayout) {
        painter.drawPixmap(0, 0, m_image);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const SkinRegion &region : maximizedSkinRegions(size(), m_image.size())) {
        // A window smaller than the skin leaves some pieces with no room; a negative size
        // would mirror the piece instead of leaving it out.
        if (region.target.isValid() && region.source.isValid())
            painter.drawPixmap(region.target, m_image, region.source);
    }
}
