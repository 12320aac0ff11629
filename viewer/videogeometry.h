#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// The arithmetic of the video view: fitting the picture, zoom steps and limits, panning limits and
// the place of the loading picture. Single-precision values where the view keeps them that way.
namespace VideoGeometry {

// The largest 16:9 box inside width × height.
QSize boxForArea(int width, int height);

// The rectangle the picture is shown in: equal side margins for a relatively taller video, the
// whole view (less a 1-pixel frame) otherwise. Nothing when the video size is not known yet.
std::optional<QRect> fittedRect(const QSize &view, const QSize &video);

// The largest zoom factor for a reference box of this width.
float maxZoom(int boxWidth);

// The zoom after one step (+1 in, −1 out), clamped to 1 … maxZoom.
float steppedZoom(float zoom, int step, int boxWidth);

// Size and top-left corner of the zoomed picture, centred on the reference box.
QRect zoomedRect(const QSize &view, float zoom, const QSize &box);

enum class PanVerdict { Accepted, NotZoomed, TooFarRightOrDown, UncoversRight, UncoversBottom };

// Whether the zoomed picture may move its top-left corner to (dx, dy).
PanVerdict checkPan(int dx, int dy, const QSize &view, float zoom, const QSize &box);

// The zoomed picture `rect` moved by `delta`: each axis on its own goes as far as checkPan allows,
// so a drag moves the picture wherever the pointer moved and an axis at its limit holds the other
// back in nothing.
QRect pannedRect(const QRect &rect, const QPoint &delta, const QSize &view, float zoom, const QSize &box);

// The picture shown in `current` zoomed to `zoom` about `anchor` (a point of the view): the point
// of the picture under the anchor stays under it as far as the pan limits allow.
QRect zoomedRectAt(const QRect &current, const QPointF &anchor, const QSize &view, float zoom, const QSize &box);

// Where the loading picture of size `loading` goes on a decoded picture of size `picture`.
QRect loadingRect(const QSize &picture, const QSize &loading);

} // namespace VideoGeometry
