#include "viewer/dashboardgeometry.h"

#include <QFontMetrics>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace Dashboard {

namespace {

constexpr int kMsPerMinute = 60000;
constexpr int kMsPerSecond = 1000;
constexpr int kMsPerSlot = 100;
constexpr int kSegmentYOffset = 394;
constexpr int kMeterOffsetX = -23;
constexpr double kRawPerG = 128.0;

struct SegmentPlace
{
    int x, y, w, h;
};

// The segments follow the meter's arc from low to high speed.
constexpr SegmentPlace kSegments[kSegmentCount] = {
    {312, 593, 20, 31}, {300, 589, 25, 31}, {290, 583, 28, 29}, {282, 577, 30, 26}, {277, 570, 30, 21},
    {273, 562, 31, 17}, {273, 552, 30, 14}, {273, 539, 31, 15}, {275, 526, 31, 21}, {280, 514, 30, 25},
    {287, 504, 29, 28}, {296, 496, 26, 30}, {307, 490, 22, 32}, {320, 487, 17, 31}, {334, 487, 13, 30},
    {345, 487, 16, 31}, {352, 489, 21, 32}, {360, 494, 25, 31}, {367, 501, 28, 29}, {373, 511, 30, 26},
    {377, 522, 31, 22}, {381, 534, 31, 17}, {382, 548, 30, 13}, {381, 559, 31, 16},
};

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

int panelX0(int width)
{
    return width > kCentringWidth ? (width - kCentringWidth) / 2 : 0;
}

int displaySpeed(int speedKmh, bool unitKm)
{
    if (unitKm || speedKmh <= 0)
        return speedKmh;
    return static_cast<int>(std::floor(speedKmh / kKmPerMile));
}

int litSegments(int shownSpeed)
{
    return std::clamp(shownSpeed / 10, 0, kSegmentCount);
}

QRect segmentRect(int k, int x0)
{
    const SegmentPlace &s = kSegments[std::clamp(k, 0, kSegmentCount - 1)];
    return QRect(x0 + kMeterOffsetX + s.x, s.y - kSegmentYOffset, s.w, s.h);
}

SpeedDigits speedDigits(int shownSpeed)
{
    const int d = std::max(shownSpeed, 0);
    SpeedDigits digits;
    digits.units = d % 10;
    if (d / 100 != 0)
        digits.hundreds = (d / 100) % 10;
    if ((d / 10) % 10 != 0 || digits.hundreds >= 0)
        digits.tens = (d / 10) % 10;
    return digits;
}

QString timeText(int positionMs, int rangeEndMs)
{
    return QStringLiteral("%1:%2/%3:%4")
        .arg(twoDigits(positionMs / kMsPerMinute), twoDigits(positionMs % kMsPerMinute / kMsPerSecond),
             twoDigits(rangeEndMs / kMsPerMinute), twoDigits(rangeEndMs % kMsPerMinute / kMsPerSecond));
}

int markerX(int positionMs, int rangeEndMs, int width)
{
    if (rangeEndMs > 0 && positionMs == rangeEndMs)
        return width - 3;
    if (rangeEndMs > 0 && positionMs > 0)
        return 2 + static_cast<int>(qint64(positionMs) * (width - 2) / rangeEndMs);
    return 2;
}

int graphSlots(int rangeEndMs, int sampleCount)
{
    const int n = rangeEndMs > 0 ? rangeEndMs / kMsPerSlot : sampleCount;
    return std::min(n, sampleCount);
}

int graphX(qint64 i, int w, int n)
{
    if (n <= 0)
        return 0;
    return static_cast<int>((2 * i * w + n) / (2 * qint64(n)));
}

int graphY(int value)
{
    constexpr double kRowsPerG = 12;
    const double rows = std::round(value / kRawPerG * kRowsPerG);
    return std::clamp(kGraphRest - static_cast<int>(std::clamp(rows, -100.0, 100.0)), kGraphTop, kGraphBottom);
}

QRect markRect(const EventMark &mark, int rangeEndMs, int width)
{
    if (rangeEndMs <= 0 || width <= 4)
        return QRect();
    const auto xOf = [rangeEndMs, width](qint64 ms) {
        return 2 + std::min<qint64>(ms, rangeEndMs) * (width - 2) / rangeEndMs;
    };
    const qint64 start = std::clamp<qint64>(mark.startMs, 0, rangeEndMs);
    const qint64 end = start + std::clamp<qint64>(mark.durationMs, 0, rangeEndMs);
    const qint64 left = std::min<qint64>(xOf(start), width - kMarkMinWidth);
    const qint64 right = std::max(xOf(end), left + kMarkMinWidth);
    return QRect(int(left), kMarkTop, int(std::min<qint64>(right, width) - left), kMarkHeight);
}

QColor eventColour(EventKind kind)
{
    switch (kind) {
    case EventKind::HardBrake:
        return QColor(255, 72, 48);
    case EventKind::HardAcceleration:
        return QColor(64, 208, 96);
    case EventKind::SharpTurn:
        return QColor(72, 168, 255);
    case EventKind::Impact:
        break;
    }
    return QColor(232, 72, 255);
}

QRect stripArea(const QRect &widgetRect)
{
    return widgetRect.adjusted(2, 1, -12, -1);
}

int releasePosition(int rangeStartMs, int rangeEndMs, int releaseX, int width)
{
    const qint64 span = width - 14;
    if (span <= 0)
        return 0;
    const qint64 position = (qint64(rangeEndMs) - rangeStartMs) * (releaseX - 2) / span;
    return static_cast<int>(std::clamp<qint64>(position, INT_MIN, INT_MAX));
}

int clampToStrip(int x, const QRect &widgetRect)
{
    const QRect strip = stripArea(widgetRect);
    return std::clamp(x, strip.left(), std::max(strip.left(), strip.right()));
}

QString pointerTimeText(int positionMs)
{
    const int ms = std::max(positionMs, 0);
    return twoDigits(ms / kMsPerMinute) + QLatin1Char(':') + twoDigits(ms % kMsPerMinute / kMsPerSecond);
}

QRect pointerLabelRect(int x, int width, const QSize &label)
{
    constexpr int kGap = 6;
    const int y = std::max(0, (kStripHeight - label.height()) / 2);
    const int right = x + kGap;
    const int left = right + label.width() <= width ? right : std::max(0, x - kGap - label.width());
    return QRect(QPoint(left, y), label);
}

QRect textBox(TextField field, int x0)
{
    constexpr QSize kBox(82, 16);
    switch (field) {
    case TextField::PlayTime: return QRect(QPoint(x0 + 20, 86), kBox);
    case TextField::Rate: return QRect(x0 + 96, 86, 29, 16);
    case TextField::Model: return QRect(QPoint(x0 + 21, 127), kBox);
    case TextField::Date: return QRect(QPoint(x0 + 556, 102), kBox);
    case TextField::AccelX: return QRect(QPoint(x0 + 36, 174), kBox);
    case TextField::AccelY: return QRect(QPoint(x0 + 36, 193), kBox);
    case TextField::AccelZ: return QRect(QPoint(x0 + 36, 212), kBox);
    case TextField::Latitude: return QRect(QPoint(x0 + 560, 188), kBox);
    case TextField::Longitude: break;
    }
    return QRect(QPoint(x0 + 560, 216), kBox);
}

QFont fittedFont(const QFont &font, const QString &text, const QSize &box)
{
    constexpr double kSmallest = 6.0;
    QFont fitted = font;
    while (fitted.pointSizeF() > kSmallest) {
        const QFontMetrics metrics(fitted);
        if (metrics.height() <= box.height() && metrics.horizontalAdvance(text) <= box.width())
            break;
        fitted.setPointSizeF(fitted.pointSizeF() - 0.5);
    }
    return fitted;
}

QString rateText(double rate)
{
    if (rate == 1.0 || rate <= 0)
        return {};
    return QStringLiteral("\u00d7") + QString::number(rate, 'g', 3);
}

QString accelerationText(int raw)
{
    return QStringLiteral("%1").arg(raw * 4 / 512.0, 0, 'g', 3);
}

QString coordinateText(double degrees)
{
    return QStringLiteral("%1").arg(degrees, 0, 'g', 6);
}

} // namespace Dashboard
