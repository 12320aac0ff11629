#include "viewer/videogeometry.h"

#include <algorithm>
#include <cmath>

namespace VideoGeometry {

namespace {
constexpr int kReferenceBoxWidth = 640;
constexpr float kZoomStep = 0.3f;
} // namespace

QSize boxForArea(int width, int height)
{
    if (width * 9 - height * 16 <= 0)
        return {width, width * 9 / 16};
    return {height * 16 / 9, height};
}

std::optional<QRect> fittedRect(const QSize &view, const QSize &video)
{
    if (view.width() <= 0 || view.height() <= 0)
        return std::nullopt;
    const float rx = float(video.width()) / float(view.width());
    const float ry = float(video.height()) / float(view.height());
    if (rx <= 0.0f || ry <= 0.0f)
        return std::nullopt;
    const float r = std::max(rx, ry);
    // Two decimals, truncated: 1.8 stays 1.80 (the float 1.7999999 plus 0.01 stays below 1.81).
    const float rounded = float(int((double(r) + 0.01) * 100)) / 100.0f;
    const int fittedWidth = int(float(video.width()) / rounded);
    const int margin = (view.width() - fittedWidth) / 2;
    if (margin != 0)
        return QRect(margin, 1, view.width() - 2 * margin, view.height() - 1);
    return QRect(1, 1, view.width() - 2, view.height() - 2);
}

float maxZoom(int boxWidth)
{
    if (boxWidth == kReferenceBoxWidth)
        return 4.0f;
    return 4.0f - float(int(float(boxWidth) / float(kReferenceBoxWidth) + 0.5f));
}

float steppedZoom(float zoom, int step, int boxWidth)
{
    zoom += float(step) * kZoomStep;
    return std::clamp(zoom, 1.0f, std::max(1.0f, maxZoom(boxWidth)));
}

QRect zoomedRect(const QSize &view, float zoom, const QSize &box)
{
    const float w = float(view.width()) * zoom;
    const float h = float(view.height()) * zoom;
    return QRect(int(-(w - float(box.width())) / 2), int(-(h - float(box.height())) / 2), int(w), int(h));
}

PanVerdict checkPan(int dx, int dy, const QSize &view, float zoom, const QSize &box)
{
    if (zoom <= 1.0f)
        return PanVerdict::NotZoomed;
    if (dx - 20 > 0 || dy - 20 > 0)
        return PanVerdict::TooFarRightOrDown;
    const bool referenceBox = box.width() == kReferenceBoxWidth;
    const int marginX = 20 + (referenceBox ? 0 : box.width() - view.width());
    if (float(box.width()) > float(view.width()) * zoom + float(dx) + float(marginX))
        return PanVerdict::UncoversRight;
    const int marginY = 20 + (referenceBox ? 0 : box.height() - view.height());
    if (float(box.height()) > float(view.height()) * zoom + float(dy) + float(marginY))
        return PanVerdict::UncoversBottom;
    return PanVerdict::Accepted;
}

namespace {

// The corner positions checkPan accepts on one axis: from the one that keeps the far edge of the
// picture in reach up to 20 pixels past the near edge.
int clampCorner(int corner, int boxExtent, float zoomedExtent, int margin)
{
    constexpr int kNearMargin = 20;
    const int lowest = int(std::ceil(float(boxExtent) - zoomedExtent - float(margin)));
    return std::clamp(corner, std::min(lowest, kNearMargin), kNearMargin);
}

QPoint clampedCorner(const QPoint &corner, const QSize &view, float zoom, const QSize &box)
{
    const bool referenceBox = box.width() == kReferenceBoxWidth;
    const int marginX = 20 + (referenceBox ? 0 : box.width() - view.width());
    const int marginY = 20 + (referenceBox ? 0 : box.height() - view.height());
    return {clampCorner(corner.x(), box.width(), float(view.width()) * zoom, marginX),
            clampCorner(corner.y(), box.height(), float(view.height()) * zoom, marginY)};
}

} // namespace

QRect pannedRect(const QRect &rect, const QPoint &delta, const QSize &view, float zoom, const QSize &box)
{
    if (zoom <= 1.0f)
        return rect;
    return QRect(clampedCorner(rect.topLeft() + delta, view, zoom, box), rect.size());
}

QRect zoomedRectAt(const QRect &current, const QPointF &anchor, const QSize &view, float zoom, const QSize &box)
{
    const QRect zoomed = zoomedRect(view, zoom, box);
    if (current.isEmpty())
        return zoomed;
    const double fx = (anchor.x() - current.x()) / current.width();
    const double fy = (anchor.y() - current.y()) / current.height();
    const QPoint corner(int(std::lround(anchor.x() - fx * zoomed.width())),
                        int(std::lround(anchor.y() - fy * zoomed.height())));
    return QRect(clampedCorner(corner, view, zoom, box), zoomed.size());
}

QRect loadingRect(const QSize &picture, const QSize &loading)
{
    int lw = loading.width();
    int lh = loading.height();
    if (picture.width() == 1280) {
        lw = lw * 1280 / 1920;
        lh = lh * 720 / 1080;
    } else if (picture.width() == 720) {
        lw = lw * 640 / 1920;
        lh = lh * 480 / 1080;
    }
    return QRect(picture.width() / 2 - lw / 2, picture.height() / 2 - lh / 2, lw, lh);
}

} // namespace VideoGeometry
