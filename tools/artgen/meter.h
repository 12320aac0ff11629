#pragma once

#include <QPainter>
#include <QPainterPath>
#include <QPointF>

// The speed meter's geometry, fitted to the dashboard's 24 segment rectangles, and its painting.
// Coordinates are those of the dashboard skin (panel at x0 = 0).
namespace Meter {

struct Geometry
{
    QPointF centre;
    qreal radius = 0;       // middle of the segment ring
    qreal startAngle = 0;   // screen angle (radians, clockwise from +x) of segment 0's centre
    qreal step = 0;         // angle between neighbouring segments
};

const Geometry &geometry();

// The ring piece of segment k (0-based) in skin coordinates.
QPainterPath segmentPath(int k);

// The meter face: bezel, scale, unlit segments, GPS place. `active` is the lit face shown
// while playing; otherwise the dimmed one that the skin shows underneath.
void drawFace(QPainter &p, bool active);

// A lit segment k.
void drawLitSegment(QPainter &p, int k);

// A seven-segment digit into a 20 x 23 box at `origin`.
void drawDigit(QPainter &p, QPointF origin, int digit, const QColor &colour);

// How far each lit segment's ring piece reaches outside its picture (pixels, worst side), as a
// review line; 0 everywhere means no segment is cut by its rectangle.
QString segmentFitReport();

} // namespace Meter
