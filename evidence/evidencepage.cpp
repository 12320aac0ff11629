#include "evidence/evidencepage.h"

#include "telemetry/recorderclock.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

namespace EvidencePage {

namespace {

constexpr int kCaptionGap = 30;   // between the last picture and the caption, as between pictures
constexpr int kCaptionPointSize = 10;
constexpr double kKmhPerMph = 1.609;
constexpr double kRawPerG = 128.0; // acceleration units per g

QString playTime(qint64 positionMs)
{
    const qint64 ms = std::max<qint64>(0, positionMs);
    return QStringLiteral("%1:%2.%3")
        .arg(ms / 60000, 2, 10, QLatin1Char('0'))
        .arg(ms % 60000 / 1000, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

// Local time with its UTC offset; a time that rests on the recorder's clock alone says so.
QString recordedLine(const ShownMoment &moment)
{
    QString when = QStringLiteral("unknown");
    if (moment.recordedAt.isValid()) {
        when = moment.recordedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss "))
               + RecorderClock::offsetText(moment.recordedAt.offsetFromUtc() * qint64(1000));
        if (!moment.timeFromGps)
            when += QStringLiteral(", by the recorder's clock");
    }
    return QStringLiteral("Recorded: %1 (%2 into the clip)").arg(when, playTime(moment.positionMs));
}

QString speedLine(const ShownMoment &moment)
{
    if (!moment.sample.hasUsablePosition())
        return QStringLiteral("Speed: no GPS fix");
    const int kmh = moment.sample.speedKmh;
    if (moment.speedUnitKm)
        return QStringLiteral("Speed: %1 km/h").arg(kmh);
    return QStringLiteral("Speed: %1 mph (%2 km/h)").arg(int(kmh / kKmhPerMph)).arg(kmh);
}

QString gForce(const char *axis, qint16 raw)
{
    return QStringLiteral("%1 %2 g").arg(QLatin1String(axis), QString::number(raw / kRawPerG, 'f', 2));
}

QString gForceLine(const TelemetrySample &sample)
{
    if (sample.isNone())
        return QStringLiteral("G-forces: no data");
    return QStringLiteral("G-forces: %1, %2, %3")
        .arg(gForce("X", sample.accelX), gForce("Y", sample.accelY), gForce("Z", sample.accelZ));
}

QString positionLine(const TelemetrySample &sample)
{
    if (!sample.hasUsablePosition())
        return QStringLiteral("Latitude/longitude: no position");
    return QStringLiteral("Latitude/longitude: %1, %2")
        .arg(QString::number(sample.latitude, 'f', 6), QString::number(sample.longitude, 'f', 6));
}

} // namespace

QStringList captionLines(const ShownMoment &moment)
{
    return {QStringLiteral("Clip: %1").arg(moment.clipName),
            recordedLine(moment),
            speedLine(moment),
            gForceLine(moment.sample),
            positionLine(moment.sample),
            QStringLiteral("Recorder: %1").arg(moment.model)};
}

namespace {

QRect placeOnPage(const QRect &page, const QSize &picture, int top)
{
    if (picture.isEmpty())
        return QRect(page.left() + page.width() / 2, top, 0, 0);
    const double scale = std::min(double(page.width()) / picture.width(), double(page.height()) / picture.height());
    const int width = int(picture.width() * scale);
    const int height = int(picture.height() * scale);
    return QRect(page.left() + (page.width() - width) / 2, top, width, height);
}

} // namespace

PrintPlacement printPlacement(const QRect &page, const QSize &first, const QSize &second, int channels)
{
    PrintPlacement placement;
    placement.first = placeOnPage(page, first, 20);
    if (channels > 1)
        placement.second = placeOnPage(page, second, placement.first.height() + 30);
    return placement;
}

void paint(QPainter &painter, QPagedPaintDevice &device, const std::array<QImage, 2> &images, int channels,
           const ShownMoment &moment)
{
    painter.save();
    // The painter's origin is the paintable area's corner, so the page is that area at the origin
    // (with the margins counted again the pictures ran off the right edge of the paper).
    const QRect page(QPoint(0, 0), device.pageLayout().paintRectPixels(device.logicalDpiX()).size());
    const PrintPlacement placement = printPlacement(page, images[0].size(), images[1].size(), channels);
    painter.drawImage(placement.first, images[0]);
    int bottom = placement.first.bottom();
    if (channels > 1) {
        painter.drawImage(placement.second, images[1]);
        bottom = std::max(bottom, placement.second.bottom());
    }

    QFont font = painter.font();
    font.setPointSize(kCaptionPointSize);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QStringList lines = captionLines(moment);
    const QFontMetrics metrics(font, &device);
    const int height = int(lines.size()) * metrics.lineSpacing();
    int top = bottom + kCaptionGap;
    if (top + height > device.height()) {
        device.newPage();
        top = placement.first.top();
    }
    const int left = placement.first.isEmpty() ? page.left() : placement.first.left();
    for (const QString &line : lines) {
        painter.drawText(QPoint(left, top + metrics.ascent()), line);
        top += metrics.lineSpacing();
    }
    painter.restore();
}

} // namespace EvidencePage
