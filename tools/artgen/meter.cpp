#include "meter.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>

#include "glyphs.h"
#include "skin/skingeometry.h"
#include "theme.h"

namespace Meter {

namespace {

constexpr qreal kHalfThickness = 12.5;
constexpr qreal kGapPixels = 2.2;

// Least-squares circle through the segment centres (algebraic fit).
Geometry fit()
{
    double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0, sxz = 0, syz = 0, sz = 0;
    std::array<QPointF, 24> centres;
    for (int k = 0; k < 24; ++k) {
        const QPointF c = QRectF(SkinGeometry::segmentRect(k)).center();
        centres[k] = c;
        const double z = c.x() * c.x() + c.y() * c.y();
        sx += c.x(); sy += c.y(); sxx += c.x() * c.x(); syy += c.y() * c.y(); sxy += c.x() * c.y();
        sxz += c.x() * z; syz += c.y() * z; sz += z;
    }
    // Solve [sxx sxy sx; sxy syy sy; sx sy n] [D E F]' = -[sxz syz sz]' by Cramer's rule.
    const double n = 24;
    const double a[3][3] = {{sxx, sxy, sx}, {sxy, syy, sy}, {sx, sy, n}};
    const double b[3] = {-sxz, -syz, -sz};
    const auto det = [](const double m[3][3]) {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0])
               + m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    double sol[3];
    for (int col = 0; col < 3; ++col) {
        double m[3][3];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                m[r][c] = c == col ? b[r] : a[r][c];
        sol[col] = det(m) / det(a);
    }
    Geometry g;
    g.centre = QPointF(-sol[0] / 2, -sol[1] / 2);
    g.radius = std::sqrt(g.centre.x() * g.centre.x() + g.centre.y() * g.centre.y() - sol[2]);
    const auto angleOf = [&](QPointF p) { return std::atan2(p.y() - g.centre.y(), p.x() - g.centre.x()); };
    g.startAngle = angleOf(centres[0]);
    qreal end = angleOf(centres[23]);
    while (end < g.startAngle)
        end += 2 * M_PI;
    g.step = (end - g.startAngle) / 23;
    return g;
}

QPointF polar(qreal angle, qreal r)
{
    const Geometry &g = geometry();
    return g.centre + QPointF(std::cos(angle) * r, std::sin(angle) * r);
}

// Annular wedge between radii r1 < r2 and screen angles a1 < a2 (clockwise).
QPainterPath wedge(qreal r1, qreal r2, qreal a1, qreal a2)
{
    const QPointF c = geometry().centre;
    const auto deg = [](qreal rad) { return -rad * 180 / M_PI; };   // Qt arcs turn anticlockwise
    QPainterPath path;
    path.arcMoveTo(QRectF(c.x() - r2, c.y() - r2, 2 * r2, 2 * r2), deg(a1));
    path.arcTo(QRectF(c.x() - r2, c.y() - r2, 2 * r2, 2 * r2), deg(a1), deg(a2) - deg(a1));
    path.arcTo(QRectF(c.x() - r1, c.y() - r1, 2 * r1, 2 * r1), deg(a2), deg(a1) - deg(a2));
    path.closeSubpath();
    return path;
}

void drawScale(QPainter &p, bool active)
{
    const Geometry &g = geometry();
    const qreal r = g.radius + kHalfThickness;
    const QColor minor = active ? QColor(120, 122, 128) : QColor(50, 51, 55);
    const QColor major = active ? QColor(210, 212, 216) : QColor(70, 72, 76);
    QFont font = Theme::uiFont(8, QFont::Bold);
    p.setFont(font);
    for (int i = 0; i <= 24; ++i) {
        const qreal angle = g.startAngle + (i - 0.5) * g.step;
        const bool isMajor = i % 4 == 0;
        p.setPen(QPen(isMajor ? major : minor, isMajor ? 1.6 : 1.0));
        p.drawLine(polar(angle, r + 2), polar(angle, r + (isMajor ? 8 : 5)));
        if (isMajor) {
            const QPointF at = polar(angle, r + 15);
            p.setPen(major);
            p.drawText(QRectF(at.x() - 10, at.y() - 6, 20, 12), Qt::AlignCenter, QString::number(i * 10));
        }
    }
}

void drawBezel(QPainter &p, bool active)
{
    const QRectF face = QRectF(SkinGeometry::kMeterFace);
    const QPointF c = geometry().centre;
    const qreal outer = 90;
    QRadialGradient dial(c, outer);
    dial.setColorAt(0, active ? QColor(30, 30, 33) : QColor(17, 17, 19));
    dial.setColorAt(0.85, active ? QColor(14, 14, 16) : QColor(11, 11, 12));
    dial.setColorAt(1, QColor(8, 8, 9));
    p.setPen(Qt::NoPen);
    p.setBrush(dial);
    p.drawEllipse(c, outer, outer);
    QLinearGradient rim(face.topLeft(), face.bottomLeft());
    rim.setColorAt(0, active ? QColor(96, 98, 104) : QColor(44, 45, 48));
    rim.setColorAt(1, active ? QColor(30, 31, 34) : QColor(20, 20, 22));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(rim), 2.2));
    p.drawEllipse(c, outer - 1.5, outer - 1.5);
    if (active) {
        p.setPen(QPen(QColor(255, 152, 32, 70), 1));
        p.drawEllipse(c, outer - 4, outer - 4);
    }
}

} // namespace

const Geometry &geometry()
{
    static const Geometry g = fit();
    return g;
}

QPainterPath segmentPath(int k)
{
    const Geometry &g = geometry();
    const qreal gap = kGapPixels / g.radius;
    const qreal centre = g.startAngle + k * g.step;
    return wedge(g.radius - kHalfThickness, g.radius + kHalfThickness, centre - g.step / 2 + gap / 2,
                 centre + g.step / 2 - gap / 2);
}

void drawFace(QPainter &p, bool active)
{
    p.save();
    drawBezel(p, active);
    drawScale(p, active);
    for (int k = 0; k < 24; ++k) {
        p.setPen(QPen(active ? QColor(70, 52, 30) : QColor(40, 33, 26), 1));
        p.setBrush(active ? QColor(36, 27, 17) : QColor(22, 19, 16));
        p.drawPath(segmentPath(k));
    }
    // A dim location mark where the GPS indicator lights up.
    Glyphs::satellite(p, QRectF(353, 197, 31, 31), active ? QColor(46, 46, 50) : QColor(30, 30, 33));
    p.restore();
}

void drawLitSegment(QPainter &p, int k)
{
    const Geometry &g = geometry();
    p.save();
    QRadialGradient glow(g.centre, g.radius + kHalfThickness);
    glow.setColorAt((g.radius - kHalfThickness) / (g.radius + kHalfThickness), Theme::kAccentDeep);
    glow.setColorAt(0.8, Theme::kAccent);
    glow.setColorAt(1, Theme::kAccentBright);
    p.setPen(QPen(Theme::kAccentBright, 0.8));
    p.setBrush(glow);
    p.drawPath(segmentPath(k));
    p.restore();
}

QString segmentFitReport()
{
    QStringList parts;
    for (int k = 0; k < 24; ++k) {
        const QRectF bounds = segmentPath(k).boundingRect();
        const QRectF r = QRectF(SkinGeometry::segmentRect(k));
        const qreal over = std::max({r.left() - bounds.left(), bounds.right() - r.right(), r.top() - bounds.top(),
                                     bounds.bottom() - r.bottom(), 0.0});
        parts << QString::number(over, 'f', 1);
    }
    const Geometry &g = geometry();
    return QStringLiteral("meter centre (%1, %2) radius %3; segment overhang: %4")
        .arg(g.centre.x(), 0, 'f', 1).arg(g.centre.y(), 0, 'f', 1).arg(g.radius, 0, 'f', 1).arg(parts.join(QLatin1Char(' ')));
}

void drawDigit(QPainter &p, QPointF o, int digit, const QColor &colour)
{
    // Segments a..g as bevelled bars in a 20 x 23 box.
    static const char *const kLit[10] = {"abcdef", "bc", "abdeg", "abcdg", "bcfg",
                                         "acdfg", "acdefg", "abc", "abcdefg", "abcdfg"};
    const qreal t = 3.2, l = 3, r = 17, top = 1.5, mid = 11.5, bot = 21.5;
    const auto horizontal = [&](qreal y) {
        return QPolygonF{{l + 1, y}, {l + 2.6, y - t / 2}, {r - 2.6, y - t / 2}, {r - 1, y},
                         {r - 2.6, y + t / 2}, {l + 2.6, y + t / 2}};
    };
    const auto vertical = [&](qreal x, qreal y1, qreal y2) {
        return QPolygonF{{x, y1 + 1}, {x + t / 2, y1 + 2.6}, {x + t / 2, y2 - 2.6}, {x, y2 - 1},
                         {x - t / 2, y2 - 2.6}, {x - t / 2, y1 + 2.6}};
    };
    const QPolygonF segments[7] = {horizontal(top + t / 2 - 0.5), vertical(r, top, mid), vertical(r, mid, bot),
                                   horizontal(bot - t / 2 + 0.5), vertical(l, mid, bot), vertical(l, top, mid),
                                   horizontal(mid)};
    p.save();
    p.translate(o);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (const char *s = kLit[digit]; *s; ++s)
        p.drawPolygon(segments[*s - 'a']);
    p.restore();
}

} // namespace Meter
