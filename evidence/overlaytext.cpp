#include "evidence/overlaytext.h"

#include "evidence/exportplan.h"
#include "telemetry/recorderclock.h"

namespace {

constexpr double kKmhPerMph = 1.609;
constexpr double kRawPerG = 128.0;
const QString kSeparator = QStringLiteral("   ");

QString clockText(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.")) + QString::number(time.time().msec() / 100);
}

QString timeText(const ShownMoment &moment)
{
    if (!moment.recordedAt.isValid())
        return QStringLiteral("time unknown");
    const QString local = clockText(moment.recordedAt) + QLatin1Char(' ')
                          + RecorderClock::offsetText(moment.recordedAt.offsetFromUtc() * qint64(1000));
    const QString utc = clockText(moment.recordedAt.toUTC()) + QStringLiteral(" UTC");
    return local + kSeparator + utc + (moment.timeFromGps ? QString() : QStringLiteral(" (recorder's clock)"));
}

QString speedText(const ShownMoment &moment)
{
    if (!moment.sample.hasUsablePosition())
        return QStringLiteral("speed: no GPS fix");
    const int kmh = moment.sample.speedKmh;
    return moment.speedUnitKm ? QStringLiteral("%1 km/h").arg(kmh)
                              : QStringLiteral("%1 mph (%2 km/h)").arg(int(kmh / kKmhPerMph)).arg(kmh);
}

QString gText(const TelemetrySample &sample)
{
    if (sample.isNone())
        return QStringLiteral("G: no data");
    auto g = [](qint16 raw) {
        const QString value = QString::number(raw / kRawPerG, 'f', 2);
        return raw >= 0 ? QLatin1Char('+') + value : value;
    };
    return QStringLiteral("G  X %1  Y %2  Z %3").arg(g(sample.accelX), g(sample.accelY), g(sample.accelZ));
}

QString positionText(const TelemetrySample &sample)
{
    if (!sample.hasUsablePosition())
        return QStringLiteral("no position");
    auto coordinate = [](double degrees, char positive, char negative) {
        return QString::number(qAbs(degrees), 'f', 6) + QLatin1Char(' ') + QLatin1Char(degrees < 0 ? negative : positive);
    };
    return coordinate(sample.latitude, 'N', 'S') + QLatin1String("  ") + coordinate(sample.longitude, 'E', 'W');
}

} // namespace

namespace OverlayText {

QStringList lines(const ShownMoment &moment)
{
    return {timeText(moment) + kSeparator + speedText(moment),
            gText(moment.sample) + kSeparator + positionText(moment.sample) + kSeparator + moment.clipName + QLatin1Char(' ')
                + ExportPlanning::rangeTime(moment.positionMs)};
}

} // namespace OverlayText
