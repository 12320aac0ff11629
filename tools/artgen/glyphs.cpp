#include "glyphs.h"

#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <initializer_list>

namespace Glyphs {

namespace {

// Point at unit coordinates (u, v) of the box.
QPointF at(const QRectF &b, qreal u, qreal v)
{
    return {b.left() + u * b.width(), b.top() + v * b.height()};
}

QRectF unitRect(const QRectF &b, qreal u, qreal v, qreal w, qreal h)
{
    return {at(b, u, v), QSizeF(w * b.width(), h * b.height())};
}

void fillPolygon(QPainter &p, const QRectF &b, const QColor &c, std::initializer_list<QPointF> unitPoints)
{
    QPolygonF poly;
    for (const QPointF &u : unitPoints)
        poly << at(b, u.x(), u.y());
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(poly);
}

// Stroke width that stays crisp from 11-pixel to 18-pixel glyphs.
qreal strokeFor(const QRectF &b)
{
    return qMax(1.3, qMin(b.width(), b.height()) / 8.5);
}

QPen strokePen(const QRectF &b, const QColor &c, qreal factor = 1.0)
{
    QPen pen(c, strokeFor(b) * factor);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void magnifier(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(strokePen(b, c));
    const QRectF lens = unitRect(b, 0.06, 0.06, 0.62, 0.62);
    p.drawEllipse(lens);
    p.setPen(strokePen(b, c, 1.6));
    p.drawLine(at(b, 0.64, 0.64), at(b, 0.92, 0.92));
}

} // namespace

void play(QPainter &p, const QRectF &b, const QColor &c)
{
    fillPolygon(p, b, c, {{0.22, 0.06}, {0.22, 0.94}, {0.94, 0.5}});
}

void pause(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(unitRect(b, 0.16, 0.08, 0.24, 0.84), 1, 1);
    p.drawRoundedRect(unitRect(b, 0.60, 0.08, 0.24, 0.84), 1, 1);
}

void stop(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(unitRect(b, 0.12, 0.12, 0.76, 0.76), 1.5, 1.5);
}

void previousFile(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(unitRect(b, 0.04, 0.12, 0.14, 0.76));
    fillPolygon(p, b, c, {{0.18, 0.5}, {0.58, 0.12}, {0.58, 0.88}});
    fillPolygon(p, b, c, {{0.56, 0.5}, {0.96, 0.12}, {0.96, 0.88}});
}

void nextFile(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(unitRect(b, 0.82, 0.12, 0.14, 0.76));
    fillPolygon(p, b, c, {{0.82, 0.5}, {0.42, 0.12}, {0.42, 0.88}});
    fillPolygon(p, b, c, {{0.44, 0.5}, {0.04, 0.12}, {0.04, 0.88}});
}

void frameBack(QPainter &p, const QRectF &b, const QColor &c)
{
    // One step back: a triangle against a single frame bar.
    fillPolygon(p, b, c, {{0.08, 0.5}, {0.62, 0.1}, {0.62, 0.9}});
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(unitRect(b, 0.74, 0.1, 0.16, 0.8));
}

void frameForward(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(unitRect(b, 0.1, 0.1, 0.16, 0.8));
    fillPolygon(p, b, c, {{0.92, 0.5}, {0.38, 0.1}, {0.38, 0.9}});
}

void zoomIn(QPainter &p, const QRectF &b, const QColor &c)
{
    magnifier(p, b, c);
    p.setPen(strokePen(b, c, 0.9));
    p.drawLine(at(b, 0.22, 0.37), at(b, 0.52, 0.37));
    p.drawLine(at(b, 0.37, 0.22), at(b, 0.37, 0.52));
}

void zoomOut(QPainter &p, const QRectF &b, const QColor &c)
{
    magnifier(p, b, c);
    p.setPen(strokePen(b, c, 0.9));
    p.drawLine(at(b, 0.22, 0.37), at(b, 0.52, 0.37));
}

void actualSize(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(strokePen(b, c, 0.8));
    p.drawRoundedRect(unitRect(b, 0.0, 0.14, 1.0, 0.72), 2, 2);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qRound(b.height() * 0.46));
    font.setBold(true);
    p.setFont(font);
    p.setPen(c);
    p.drawText(b, Qt::AlignCenter, QStringLiteral("1:1"));
}

void fitWindow(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(strokePen(b, c));
    const qreal l = 0.3;
    p.drawPolyline(QPolygonF{at(b, 0.02, l), at(b, 0.02, 0.02), at(b, l, 0.02)});
    p.drawPolyline(QPolygonF{at(b, 1 - l, 0.02), at(b, 0.98, 0.02), at(b, 0.98, l)});
    p.drawPolyline(QPolygonF{at(b, 0.98, 1 - l), at(b, 0.98, 0.98), at(b, 1 - l, 0.98)});
    p.drawPolyline(QPolygonF{at(b, l, 0.98), at(b, 0.02, 0.98), at(b, 0.02, 1 - l)});
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(unitRect(b, 0.32, 0.32, 0.36, 0.36));
}

void pan(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setPen(strokePen(b, c, 0.9));
    p.drawLine(at(b, 0.5, 0.12), at(b, 0.5, 0.88));
    p.drawLine(at(b, 0.12, 0.5), at(b, 0.88, 0.5));
    fillPolygon(p, b, c, {{0.5, 0.0}, {0.32, 0.2}, {0.68, 0.2}});
    fillPolygon(p, b, c, {{0.5, 1.0}, {0.32, 0.8}, {0.68, 0.8}});
    fillPolygon(p, b, c, {{0.0, 0.5}, {0.2, 0.32}, {0.2, 0.68}});
    fillPolygon(p, b, c, {{1.0, 0.5}, {0.8, 0.32}, {0.8, 0.68}});
}

void rotate(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(strokePen(b, c));
    const QRectF ring = unitRect(b, 0.1, 0.1, 0.8, 0.8);
    p.drawArc(ring, 100 * 16, 290 * 16);   // open at the top right
    // Arrow head at the arc's start (the top), pointing clockwise into the gap.
    fillPolygon(p, b, c, {{0.72, 0.10}, {0.40, -0.10}, {0.40, 0.30}});
}

void volume(QPainter &p, const QRectF &b, const QColor &c)
{
    fillPolygon(p, b, c, {{0.0, 0.34}, {0.22, 0.34}, {0.5, 0.06}, {0.5, 0.94}, {0.22, 0.66}, {0.0, 0.66}});
    p.setBrush(Qt::NoBrush);
    QPen pen(c, 1.2);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawArc(unitRect(b, 0.38, 0.28, 0.32, 0.44), -50 * 16, 100 * 16);
    p.drawArc(unitRect(b, 0.34, 0.06, 0.62, 0.88), -50 * 16, 100 * 16);
}

void gear(QPainter &p, const QRectF &b, const QColor &c)
{
    const QPointF centre = b.center();
    const qreal outer = qMin(b.width(), b.height()) / 2, inner = outer * 0.72, hole = outer * 0.34;
    QPainterPath path;
    constexpr int kTeeth = 8;
    for (int i = 0; i < kTeeth * 4; ++i) {
        const qreal angle = (i - 0.5) * M_PI * 2 / (kTeeth * 4);
        const qreal r = (i % 4 == 0 || i % 4 == 1) ? outer : inner;
        const QPointF pt = centre + QPointF(std::cos(angle) * r, std::sin(angle) * r);
        i == 0 ? path.moveTo(pt) : path.lineTo(pt);
    }
    path.closeSubpath();
    path.addEllipse(centre, hole, hole);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
}

void camera(QPainter &p, const QRectF &b, const QColor &c)
{
    QPainterPath body;
    body.addRoundedRect(unitRect(b, 0.0, 0.22, 1.0, 0.78), 1.5, 1.5);
    body.addRect(unitRect(b, 0.28, 0.04, 0.36, 0.22));
    QPainterPath lens;
    lens.addEllipse(at(b, 0.5, 0.6), b.height() * 0.26, b.height() * 0.26);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(body.simplified().subtracted(lens));
    p.drawEllipse(at(b, 0.5, 0.6), b.height() * 0.12, b.height() * 0.12);
}

void printer(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    QPainterPath body;
    body.addRoundedRect(unitRect(b, 0.0, 0.32, 1.0, 0.44), 1.5, 1.5);
    QPainterPath slot;
    slot.addRect(unitRect(b, 0.2, 0.6, 0.6, 0.4));
    p.drawPath(body.subtracted(slot));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 1.1));
    p.drawRect(unitRect(b, 0.24, 0.02, 0.52, 0.26));   // paper in
    p.drawRect(unitRect(b, 0.24, 0.66, 0.52, 0.3));    // paper out
}

void restoreWindow(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 1));
    const QRect r = b.toRect();
    const int s = qMin(r.width(), r.height()) * 2 / 3;
    p.drawRect(r.right() - s, r.top(), s, s);
    p.fillRect(r.left(), r.bottom() - s, s + 1, s + 1, QColor(24, 24, 27));
    p.drawRect(r.left(), r.bottom() - s, s, s);
    p.fillRect(r.left(), r.bottom() - s, s + 1, 2, c);
    p.fillRect(r.right() - s, r.top(), s + 1, 2, c);
    p.setRenderHint(QPainter::Antialiasing, true);
}

void maximizeWindow(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect r = b.toRect();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 1));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.fillRect(r.left(), r.top(), r.width(), 2, c);
    p.setRenderHint(QPainter::Antialiasing, true);
}

void minimizeWindow(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect r = b.toRect();
    p.fillRect(r.left(), r.bottom() - 2, r.width(), 2, c);
    p.setRenderHint(QPainter::Antialiasing, true);
}

void closeWindow(QPainter &p, const QRectF &b, const QColor &c)
{
    QPen pen(c, 1.6);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(at(b, 0.08, 0.08), at(b, 0.92, 0.92));
    p.drawLine(at(b, 0.92, 0.08), at(b, 0.08, 0.92));
}

void file(QPainter &p, const QRectF &b, const QColor &c)
{
    const qreal fold = b.width() * 0.36;
    QPolygonF sheet{b.topLeft(), QPointF(b.right() - fold, b.top()), QPointF(b.right(), b.top() + fold),
                    b.bottomRight(), b.bottomLeft()};
    p.setPen(QPen(c, 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(sheet);
    p.drawPolyline(QPolygonF{QPointF(b.right() - fold, b.top()), QPointF(b.right() - fold, b.top() + fold),
                             QPointF(b.right(), b.top() + fold)});
    for (qreal v : {0.5, 0.68, 0.86})
        p.drawLine(at(b, 0.22, v), at(b, 0.78, v));
}

void folder(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    QPainterPath back;
    back.moveTo(at(b, 0.0, 0.06));
    back.lineTo(at(b, 0.38, 0.06));
    back.lineTo(at(b, 0.48, 0.2));
    back.lineTo(at(b, 1.0, 0.2));
    back.lineTo(at(b, 1.0, 1.0));
    back.lineTo(at(b, 0.0, 1.0));
    back.closeSubpath();
    QPainterPath front;
    front.addRect(unitRect(b, 0.08, 0.34, 0.84, 0.06));   // the opening line
    p.drawPath(back.subtracted(front));
}

void swapViews(QPainter &p, const QRectF &b, const QColor &c, bool frontBig)
{
    // Two pictures, one above the other, with arrows between them: the large and small views trade places.
    const QRectF top = unitRect(b, frontBig ? 0.0 : 0.14, 0.0, frontBig ? 1.0 : 0.72, frontBig ? 0.26 : 0.2);
    const QRectF bottom = unitRect(b, frontBig ? 0.14 : 0.0, frontBig ? 0.8 : 0.74, frontBig ? 0.72 : 1.0,
                                   frontBig ? 0.2 : 0.26);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(top);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 1));
    p.drawRect(bottom.adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(QPen(c, 1.1));
    p.drawLine(at(b, 0.3, 0.36), at(b, 0.3, 0.64));
    p.drawLine(at(b, 0.7, 0.36), at(b, 0.7, 0.64));
    fillPolygon(p, b, c, {{0.3, 0.32}, {0.06, 0.44}, {0.54, 0.44}});
    fillPolygon(p, b, c, {{0.7, 0.68}, {0.46, 0.56}, {0.94, 0.56}});
}

void trip(QPainter &p, const QRectF &b, const QColor &c)
{
    // A winding road from a start dot to a flag: one drive, whatever files it was cut into.
    QPainterPath road(at(b, 0.1, 0.86));
    road.cubicTo(at(b, 0.62, 0.96), at(b, 0.7, 0.5), at(b, 0.34, 0.46));
    road.cubicTo(at(b, 0.0, 0.42), at(b, 0.3, 0.08), at(b, 0.74, 0.16));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(road);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(at(b, 0.1, 0.86), b.width() * 0.1, b.width() * 0.1);
    p.setPen(QPen(c, 1.1));
    p.drawLine(at(b, 0.76, 0.2), at(b, 0.76, -0.08));
    fillPolygon(p, b, c, {{0.76, -0.08}, {1.0, 0.02}, {0.76, 0.12}});
}

void satellite(QPainter &p, const QRectF &b, const QColor &c)
{
    // A location pin with signal arcs.
    QPainterPath pin;
    const QPointF tip = at(b, 0.5, 0.96);
    const qreal r = b.width() * 0.2;
    const QPointF centre = at(b, 0.5, 0.5);
    pin.moveTo(tip);
    pin.arcTo(QRectF(centre - QPointF(r, r), QSizeF(2 * r, 2 * r)), -60, 300);
    pin.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(centre, r * 0.42, r * 0.42);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(pin.subtracted(hole));
    QPen pen(c, qMax(1.2, b.width() / 18));
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    for (qreal k : {0.5, 0.78}) {
        const qreal a = b.width() * k;
        p.drawArc(QRectF(centre.x() - a / 2, centre.y() - a / 2 - r * 0.2, a, a), 35 * 16, 110 * 16);
    }
}

void clock(QPainter &p, const QRectF &b, const QColor &c)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(strokePen(b, c, 0.8));
    p.drawEllipse(b.adjusted(1, 1, -1, -1));
    p.drawLine(b.center(), at(b, 0.5, 0.22));
    p.drawLine(b.center(), at(b, 0.72, 0.6));
}

void battery(QPainter &p, const QRectF &b, const QColor &c, int bars)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 1.4));
    p.drawRoundedRect(unitRect(b, 0.02, 0.22, 0.86, 0.6), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(unitRect(b, 0.88, 0.38, 0.1, 0.28));
    for (int i = 0; i < bars; ++i)
        p.drawRect(unitRect(b, 0.1 + i * 0.22, 0.32, 0.16, 0.4));
}

void triangle(QPainter &p, const QRectF &b, const QColor &c, bool up)
{
    if (up)
        fillPolygon(p, b, c, {{0.5, 0.0}, {1.0, 1.0}, {0.0, 1.0}});
    else
        fillPolygon(p, b, c, {{0.0, 0.0}, {1.0, 0.0}, {0.5, 1.0}});
}

void tick(QPainter &p, const QRectF &b, const QColor &c, qreal width)
{
    QPen pen(c, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{at(b, 0.08, 0.55), at(b, 0.4, 0.86), at(b, 0.94, 0.14)});
}

} // namespace Glyphs
