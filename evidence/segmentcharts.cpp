#include "evidence/segmentcharts.h"

#include "evidence/exportplan.h"
#include "telemetry/cliptelemetry.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace {

constexpr double kRawPerG = 128.0;
constexpr double kMinimumExtentM = 100; // a car standing still still gets a readable map
constexpr double kMetresPerDegree = 111195.0;
const QColor kRouteColour(30, 90, 200);
const QColor kSpeedColour(30, 90, 200);
const QColor kAxisColours[3] = {QColor(200, 30, 30), QColor(230, 140, 0), QColor(120, 120, 120)};

// A sample placed on the range's time line.
struct Point
{
    qint64 rangeMs = 0;
    TelemetrySample sample;
};

QList<Point> pointsOf(const ExportPlan &plan)
{
    QList<Point> points;
    for (int i = 0; i < plan.parts.size(); ++i) {
        const ExportPart &part = plan.parts.at(i);
        for (const TelemetrySample &sample : part.telemetry.samples) {
            if (sample.timeMs >= part.media.fromMs && sample.timeMs < part.media.toMs)
                points << Point{plan.partStartMs(i) + sample.timeMs - part.media.fromMs, sample};
        }
    }
    return points;
}

// 1, 2 or 5 times a power of ten, about `rough`.
double niceStep(double rough)
{
    const double power = std::pow(10.0, std::floor(std::log10(std::max(rough, 1e-9))));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough)
            return factor * power;
    }
    return 10 * power;
}

// Map projection of the route's neighbourhood: metres east and north of its centre.
struct Projection
{
    GeoPoint centre;
    QPointF toMetres(const GeoPoint &p) const
    {
        const double east = (p.longitude - centre.longitude) * kMetresPerDegree
                            * std::cos(centre.latitude * std::numbers::pi / 180.0);
        return {east, (p.latitude - centre.latitude) * kMetresPerDegree};
    }
};

// The range's positions as runs of fixes: a sample without a fix ends a run.
QList<QList<GeoPoint>> routeRuns(const ExportPlan &plan)
{
    QList<QList<GeoPoint>> runs{{}};
    for (const Point &point : pointsOf(plan)) {
        if (point.sample.hasUsablePosition())
            runs.last() << GeoPoint{point.sample.latitude, point.sample.longitude};
        else if (!runs.last().isEmpty())
            runs << QList<GeoPoint>();
    }
    if (runs.last().isEmpty())
        runs.removeLast();
    return runs;
}

// Where the route's points go in a box: north up, the route's extent (at least 100 m) filling the
// box's smaller side less a margin.
struct RouteFrame
{
    Projection projection;
    QPointF centre;
    double metresPerUnit = 1;

    RouteFrame(const QList<QList<GeoPoint>> &runs, const QRectF &box)
    {
        double south = 90, north = -90, west = 180, east = -180;
        for (const QList<GeoPoint> &run : runs) {
            for (const GeoPoint &p : run) {
                south = std::min(south, p.latitude), north = std::max(north, p.latitude);
                west = std::min(west, p.longitude), east = std::max(east, p.longitude);
            }
        }
        projection = Projection{{(south + north) / 2, (west + east) / 2}};
        const QPointF span = projection.toMetres({north, east}) - projection.toMetres({south, west});
        const double extent = std::max({span.x(), span.y(), kMinimumExtentM});
        const QRectF inner = box.adjusted(box.width() * 0.08, box.height() * 0.08, -box.width() * 0.08, -box.height() * 0.08);
        centre = inner.center();
        metresPerUnit = extent / std::min(inner.width(), inner.height());
    }

    QPointF place(const GeoPoint &p) const
    {
        const QPointF m = projection.toMetres(p);
        return centre + QPointF(m.x() / metresPerUnit, -m.y() / metresPerUnit);
    }
};

void paintScaleBar(QPainter &painter, const QRectF &box, double metresPerUnit)
{
    const double metres = niceStep(box.width() / 4 * metresPerUnit);
    const double length = metres / metresPerUnit;
    const QPointF left(box.left() + box.width() * 0.05, box.bottom() - box.height() * 0.05);
    painter.drawLine(left, left + QPointF(length, 0));
    const QString label = metres >= 1000 ? QStringLiteral("%1 km").arg(metres / 1000) : QStringLiteral("%1 m").arg(metres);
    painter.drawText(left - QPointF(0, painter.fontMetrics().descent() * 2), label);
    painter.drawText(QPointF(box.right() - box.width() * 0.06, box.top() + painter.fontMetrics().height()), QStringLiteral("N ↑"));
}

void paintMark(QPainter &painter, const QPointF &at, const QColor &colour, double radius, bool ring)
{
    painter.setPen(QPen(colour, radius / 2));
    painter.setBrush(ring ? Qt::NoBrush : QBrush(colour));
    painter.drawEllipse(at, radius, radius);
}


// The chart's plot area and its scales.
struct Chart
{
    QRectF plot;
    qint64 lengthMs = 1;
    double topKmh = 20;
    double maxG = 1;

    double x(qint64 rangeMs) const { return plot.left() + plot.width() * double(rangeMs) / double(lengthMs); }
    double ySpeed(double kmh) const { return plot.bottom() - plot.height() * kmh / topKmh; }
    double yG(double g) const { return plot.center().y() - plot.height() / 2 * g / maxG; }
};

Chart chartFor(const QRectF &box, const ExportPlan &plan, const QList<Point> &points)
{
    Chart chart;
    chart.plot = box.adjusted(box.width() * 0.09, box.height() * 0.06, -box.width() * 0.09, -box.height() * 0.16);
    chart.lengthMs = std::max<qint64>(1, plan.lengthMs());
    int fastest = 0;
    double strongest = 0;
    for (const Point &point : points) {
        if (point.sample.hasUsablePosition())
            fastest = std::max(fastest, point.sample.speedKmh);
        for (const qint16 raw : {point.sample.accelX, point.sample.accelY, point.sample.accelZ})
            strongest = std::max(strongest, std::abs(raw / kRawPerG));
    }
    const double step = niceStep(std::max(fastest, 20) / 4.0);
    chart.topKmh = std::ceil(std::max(fastest, 20) / step) * step;
    chart.maxG = std::max(1.0, std::ceil(strongest * 2) / 2);
    return chart;
}

void paintAxes(QPainter &painter, const Chart &chart)
{
    const QFontMetricsF metrics = painter.fontMetrics();
    const QRectF &plot = chart.plot;
    painter.setPen(QPen(QColor(200, 200, 200), 0));
    const double speedStep = niceStep(chart.topKmh / 4);
    for (double kmh = 0; kmh <= chart.topKmh + 0.01; kmh += speedStep) {
        painter.drawLine(QPointF(plot.left(), chart.ySpeed(kmh)), QPointF(plot.right(), chart.ySpeed(kmh)));
        painter.setPen(kSpeedColour);
        painter.drawText(QPointF(plot.left() - metrics.horizontalAdvance(QStringLiteral("000 ")), chart.ySpeed(kmh)),
                         QString::number(kmh));
        painter.setPen(QPen(QColor(200, 200, 200), 0));
    }
    const qint64 timeStep = std::max<qint64>(1, qint64(niceStep(chart.lengthMs / 1000.0 / 6)) * 1000);
    for (qint64 ms = 0; ms <= chart.lengthMs; ms += timeStep) {
        painter.drawLine(QPointF(chart.x(ms), plot.top()), QPointF(chart.x(ms), plot.bottom()));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(chart.x(ms), plot.bottom() + metrics.height()), QStringLiteral("%1 s").arg(ms / 1000));
        painter.setPen(QPen(QColor(200, 200, 200), 0));
    }
    painter.setPen(Qt::black);
    for (const double g : {-chart.maxG, 0.0, chart.maxG})
        painter.drawText(QPointF(plot.right() + metrics.averageCharWidth(), chart.yG(g)), QStringLiteral("%1 g").arg(g));
    painter.drawRect(plot);
    painter.drawText(QPointF(plot.left(), plot.bottom() + 2.4 * metrics.height()),
                     QStringLiteral("speed in km/h (blue, left scale); G-forces X (red), Y (orange), Z (grey), right scale"));
}

void paintLines(QPainter &painter, const Chart &chart, const QList<Point> &points)
{
    const double width = chart.plot.width() / 500;
    QList<QPolygonF> speed{{}};
    QPolygonF g[3];
    for (const Point &point : points) {
        const double x = chart.x(point.rangeMs);
        if (point.sample.hasUsablePosition())
            speed.last() << QPointF(x, chart.ySpeed(point.sample.speedKmh));
        else if (!speed.last().isEmpty())
            speed << QPolygonF();
        const qint16 raw[3] = {point.sample.accelX, point.sample.accelY, point.sample.accelZ};
        for (int axis = 0; axis < 3; ++axis)
            g[axis] << QPointF(x, chart.yG(raw[axis] / kRawPerG));
    }
    for (int axis = 0; axis < 3; ++axis) {
        painter.setPen(QPen(kAxisColours[axis], width));
        painter.drawPolyline(g[axis]);
    }
    painter.setPen(QPen(kSpeedColour, width * 2));
    for (const QPolygonF &run : speed)
        painter.drawPolyline(run);
}

// The page's moment and the events in the range.
void paintMarks(QPainter &painter, const Chart &chart, const ExportPlan &plan)
{
    const qint64 moment = plan.partStartMs(plan.momentPart) + plan.momentMs - plan.parts.value(plan.momentPart).media.fromMs;
    painter.setPen(QPen(QColor(240, 140, 0), chart.plot.width() / 400, Qt::DashLine));
    painter.drawLine(QPointF(chart.x(moment), chart.plot.top()), QPointF(chart.x(moment), chart.plot.bottom()));
    painter.setPen(Qt::black);
    for (const DrivingEvent &event : plan.events) {
        for (int i = 0; i < plan.parts.size(); ++i) {
            if (plan.parts.at(i).media.path != event.clip)
                continue;
            const double x = chart.x(plan.partStartMs(i) + event.offsetMs - plan.parts.at(i).media.fromMs);
            painter.drawLine(QPointF(x, chart.plot.top()), QPointF(x, chart.plot.top() + chart.plot.height() / 12));
            painter.drawText(QPointF(x + 2, chart.plot.top() - painter.fontMetrics().descent()), eventKindName(event.kind));
        }
    }
}

} // namespace

namespace SegmentCharts {

void paintRoute(QPainter &painter, const QRectF &box, const ExportPlan &plan)
{
    painter.save();
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(box);
    const QList<QList<GeoPoint>> runs = routeRuns(plan);
    if (runs.isEmpty()) {
        painter.drawText(box, Qt::AlignCenter, QStringLiteral("No GPS position in this stretch"));
        painter.restore();
        return;
    }
    const RouteFrame frame(runs, box);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kRouteColour, box.width() / 250, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const QList<GeoPoint> &run : runs) {
        QPolygonF line;
        for (const GeoPoint &p : run)
            line << frame.place(p);
        painter.drawPolyline(line);
    }
    const double radius = box.width() / 90;
    paintMark(painter, frame.place(runs.first().first()), QColor(20, 150, 40), radius, false);
    paintMark(painter, frame.place(runs.last().last()), QColor(200, 30, 30), radius, false);
    const ShownMoment moment = plan.moment();
    if (moment.sample.hasUsablePosition())
        paintMark(painter, frame.place({moment.sample.latitude, moment.sample.longitude}), QColor(240, 140, 0),
                  radius * 1.6, true);
    painter.setPen(QPen(Qt::black, 0));
    paintScaleBar(painter, box, frame.metresPerUnit);
    painter.restore();
}

void paintChart(QPainter &painter, const QRectF &box, const ExportPlan &plan)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QList<Point> points = pointsOf(plan);
    const Chart chart = chartFor(box, plan, points);
    paintAxes(painter, chart);
    painter.setClipRect(chart.plot);
    paintLines(painter, chart, points);
    painter.setClipping(false);
    paintMarks(painter, chart, plan);
    painter.restore();
}

} // namespace SegmentCharts
