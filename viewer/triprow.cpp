#include "viewer/triprow.h"

#include "base/messages.h"
#include "telemetry/recorderclock.h"
#include "telemetry/trips.h"

#include <QDateTime>

namespace TripRow {

namespace {

QDateTime localTime(qint64 utcMs, qint64 zoneMs)
{
    return RecorderClock::naiveDateTime(utcMs + zoneMs);
}

} // namespace

QString text(const Trip &trip)
{
    const QDateTime start = localTime(trip.startUtcMs, trip.zoneMs);
    const QDateTime end = localTime(trip.endUtcMs, trip.zoneMs);
    return QStringLiteral("%1 %2\u2013%3 \u00b7 %4 \u00b7 %5 km")
        .arg(start.toString(QStringLiteral("yyyy-MM-dd")), start.toString(QStringLiteral("HH:mm")),
             end.toString(QStringLiteral("HH:mm")), Messages::tripDuration(trip.durationMs),
             QString::number(trip.distanceM / 1000.0, 'f', 1));
}

QString toolTip(const Trip &trip)
{
    QStringList lines;
    lines << QStringLiteral("%1 clips, %2 event clips").arg(trip.clips.size()).arg(trip.events.size());
    if (trip.maxSpeedKmh)
        lines << QStringLiteral("top speed %1 km/h").arg(*trip.maxSpeedKmh);
    lines << QStringLiteral("UTC%1").arg(RecorderClock::offsetText(trip.zoneMs));
    if (trip.clockErrorMs) {
        const QString clock = Messages::recorderClockError(*trip.clockErrorMs / 1000);
        if (!clock.isEmpty())
            lines << clock;
    }
    return lines.join(QLatin1Char('\n'));
}

QString exportName(const Trip &trip)
{
    return QStringLiteral("Trip ") + localTime(trip.startUtcMs, trip.zoneMs).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString exportFileBase(const Trip &trip)
{
    return QStringLiteral("trip_") + localTime(trip.startUtcMs, trip.zoneMs).toString(QStringLiteral("yyyy-MM-dd_HHmm"));
}

} // namespace TripRow
