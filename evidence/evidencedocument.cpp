#include "evidence/evidencedocument.h"

#include "evidence/evidencepage.h"
#include "evidence/exportplan.h"
#include "evidence/segmentcharts.h"
#include "telemetry/recorderclock.h"

#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>

namespace {

constexpr int kResolution = 300; // dots per inch of the page's drawings
constexpr double kMarginMm = 15;
constexpr int kTitlePoints = 14;
constexpr int kTextPoints = 9;

QString momentTime(const ShownMoment &moment)
{
    if (!moment.recordedAt.isValid())
        return QStringLiteral("unknown");
    return moment.recordedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")) +
           RecorderClock::offsetText(moment.recordedAt.offsetFromUtc() * qint64(1000)) +
           (moment.timeFromGps ? QString() : QStringLiteral(", by the recorder's clock"));
}

QStringList rangeLines(const ExportPlan &plan)
{
    const ExportPart &first = plan.parts.first();
    const ExportPart &last = plan.parts.last();
    QStringList clips;
    for (const ExportPart &part : plan.parts)
        clips << QStringLiteral("%1 (%2 to %3)").arg(part.name(), ExportPlanning::rangeTime(part.media.fromMs),
                                                     ExportPlanning::rangeTime(part.media.toMs));
    QStringList lines{QStringLiteral("From %1").arg(momentTime(plan.momentAt(0, first.media.fromMs))),
                      QStringLiteral("to %1").arg(momentTime(plan.momentAt(int(plan.parts.size()) - 1, last.media.toMs))),
                      QStringLiteral("Length: %1").arg(ExportPlanning::rangeTime(plan.lengthMs())),
                      QStringLiteral("Clips: %1").arg(clips.join(QStringLiteral(", "))),
                      QStringLiteral("The first page shows the pictures at %1 into the range.")
                          .arg(ExportPlanning::rangeTime(plan.partStartMs(plan.momentPart) + plan.momentMs
                                                         - plan.parts.value(plan.momentPart).media.fromMs))};
    return lines;
}

QStringList eventLines(const ExportPlan &plan)
{
    if (plan.events.isEmpty())
        return {QStringLiteral("Driving events in the range: none found")};
    QStringList lines{QStringLiteral("Driving events in the range:")};
    for (const DrivingEvent &event : plan.events) {
        const QString speeds = event.speedBeforeKmh && event.speedAfterKmh
                                   ? QStringLiteral(", %1 -> %2 km/h").arg(*event.speedBeforeKmh).arg(*event.speedAfterKmh)
                                   : QString();
        lines << QStringLiteral("  %1  %2, peak %3 g%4 (%5 at %6)")
                     .arg(event.timeUtc.isValid() ? RecorderClock::isoUtc(event.timeUtc.toMSecsSinceEpoch(), true)
                                                  : QStringLiteral("time unknown"),
                          eventKindName(event.kind), QString::number(event.peakG, 'f', 2), speeds,
                          QFileInfo(event.clip).fileName(), ExportPlanning::rangeTime(event.offsetMs));
    }
    return lines;
}

// Text lines from `top` down; returns where the next line would start.
double paintLines(QPainter &painter, const QStringList &lines, double left, double top)
{
    const QFontMetricsF metrics = painter.fontMetrics();
    for (const QString &line : lines) {
        painter.drawText(QPointF(left, top + metrics.ascent()), line);
        top += metrics.lineSpacing();
    }
    return top;
}

void paintRangePage(QPainter &painter, const QRectF &page, const ExportPlan &plan)
{
    QFont font = painter.font();
    font.setPointSize(kTitlePoints);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    double top = paintLines(painter, {plan.title}, page.left(), page.top());
    font.setPointSize(kTextPoints);
    font.setBold(false);
    painter.setFont(font);
    top = paintLines(painter, rangeLines(plan), page.left(), top + painter.fontMetrics().lineSpacing() / 2);
    const double gap = painter.fontMetrics().lineSpacing();
    const QRectF route(page.left(), top + gap, page.width(), page.height() * 0.42);
    SegmentCharts::paintRoute(painter, route, plan);
    const QRectF chart(page.left(), route.bottom() + gap, page.width(), page.height() * 0.28);
    SegmentCharts::paintChart(painter, chart, plan);
    paintLines(painter, eventLines(plan), page.left(), chart.bottom() + gap);
}

} // namespace

namespace EvidenceDocument {

bool write(const QString &path, const ExportPlan &plan, const QList<QImage> &pictures, QString *error)
{
    if (plan.parts.isEmpty()) {
        *error = QStringLiteral("nothing to write");
        return false;
    }
    QPdfWriter writer(path);
    writer.setTitle(plan.title);
    writer.setCreator(QStringLiteral("QRD-7700 companion"));
    writer.setResolution(kResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer)) {
        *error = QStringLiteral("%1: cannot be written").arg(path);
        return false;
    }
    const int channels = int(std::min<qsizetype>(pictures.size(), 2));
    EvidencePage::paint(painter, writer, {pictures.value(0), pictures.value(1)}, channels, plan.moment());
    writer.newPage();
    const QRect paintable = writer.pageLayout().paintRectPixels(kResolution);
    paintRangePage(painter, QRectF(0, 0, paintable.width(), paintable.height()), plan); // the painter starts at the margin
    if (!painter.end() || QFileInfo(path).size() == 0) {
        *error = QStringLiteral("%1: cannot be written").arg(path);
        return false;
    }
    return true;
}

} // namespace EvidenceDocument
