#pragma once

#include <QRectF>

class QPainter;
struct ExportPlan;

// Drawings of an exported range for its printed document, in any painter's units.
namespace SegmentCharts {

// The range's route: one line per stretch with a GPS fix, its start (green), end (red) and the
// page's moment (orange ring), north up, with a scale bar; a note when the range has no position.
void paintRoute(QPainter &painter, const QRectF &box, const ExportPlan &plan);

// Speed (left scale) and the three G-forces (right scale) along the range's time line, the page's
// moment as a dashed line and the driving events as marks with their names.
void paintChart(QPainter &painter, const QRectF &box, const ExportPlan &plan);

} // namespace SegmentCharts
