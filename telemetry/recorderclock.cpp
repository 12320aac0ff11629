#include "telemetry/recorderclock.h"

#include <QDateTime>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace RecorderClock {

namespace {

constexpr qint64 kSecondMs = 1000;

// Rounds to the nearest multiple of `step`, halves away from zero.
qint64 roundedTo(qint64 value, qint64 step)
{
    const qint64 half = step / 2;
    return (value >= 0 ? (value + half) / step : -((-value + half) / step)) * step;
}

// "+09:00", "-0530", "+9", "UTC+9", "GMT-03:30" → seconds east of UTC.
std::optional<int> fixedOffsetSeconds(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(?:UTC|GMT)?([+-])(\\d{1,2})(?::?(\\d{2}))?$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int hours = match.captured(2).toInt();
    const int minutes = match.captured(3).isEmpty() ? 0 : match.captured(3).toInt();
    if (hours > 14 || minutes > 59)
        return std::nullopt;
    const int seconds = (hours * 60 + minutes) * 60;
    return match.captured(1) == QLatin1String("-") ? -seconds : seconds;
}

} // namespace

std::optional<qint64> stampFromName(const QString &fileName)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(?:REC|EVS)_(\\d{4})_(\\d{2})_(\\d{2})_(\\d{2})_(\\d{2})_(\\d{2})"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return std::nullopt;
    const auto field = [&match](int i) { return match.captured(i).toInt(); };
    const QDate date(field(1), field(2), field(3));
    const QTime time(field(4), field(5), field(6));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return naiveMs(QDateTime(date, time, Qt::UTC));
}

QDateTime naiveDateTime(qint64 recorderMs)
{
    return QDateTime::fromMSecsSinceEpoch(recorderMs, Qt::UTC);
}

qint64 naiveMs(const QDateTime &wallClock)
{
    return QDateTime(wallClock.date(), wallClock.time(), Qt::UTC).toMSecsSinceEpoch();
}

std::optional<qint64> offsetFromFixes(qint64 recorderStartMs, const QList<FixTime> &fixes)
{
    if (fixes.isEmpty())
        return std::nullopt;
    QList<qint64> offsets;
    offsets.reserve(fixes.size());
    for (const FixTime &fix : fixes)
        offsets.append(recorderStartMs + fix.clipMs - fix.utcMs);
    std::sort(offsets.begin(), offsets.end());
    const qsizetype middle = offsets.size() / 2;
    const qint64 median = offsets.size() % 2 ? offsets.at(middle) : (offsets.at(middle - 1) + offsets.at(middle)) / 2;
    return roundedTo(median, kSecondMs);
}

qint64 zonePart(qint64 offsetMs)
{
    return roundedTo(offsetMs, kZoneStepMs);
}

qint64 clockError(qint64 offsetMs)
{
    return offsetMs - zonePart(offsetMs);
}

FallbackZone::FallbackZone() : m_zone(QTimeZone::systemTimeZone()) {}

std::optional<FallbackZone> FallbackZone::fromText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.compare(QLatin1String("system"), Qt::CaseInsensitive) == 0)
        return FallbackZone();
    if (trimmed.compare(QLatin1String("UTC"), Qt::CaseInsensitive) == 0 || trimmed == QLatin1String("Z"))
        return FallbackZone(QTimeZone(0));
    if (const std::optional<int> seconds = fixedOffsetSeconds(trimmed))
        return FallbackZone(QTimeZone(*seconds));
    const QTimeZone named(trimmed.toUtf8());
    if (!named.isValid())
        return std::nullopt;
    return FallbackZone(named);
}

FallbackZone FallbackZone::fromSetting(const QString &text)
{
    if (std::optional<FallbackZone> zone = fromText(text))
        return *zone;
    qWarning("time zone setting \"%s\" names no zone; using the computer's", qPrintable(text));
    return FallbackZone();
}

qint64 FallbackZone::offsetAt(qint64 recorderMs) const
{
    const QDateTime naive = naiveDateTime(recorderMs);
    return QDateTime(naive.date(), naive.time(), m_zone).offsetFromUtc() * kSecondMs;
}

QList<Offset> resolveOffsets(const QList<qint64> &recorderStartsMs, const QList<std::optional<qint64>> &ownOffsetsMs,
                             const FallbackZone &fallback)
{
    QList<Offset> resolved;
    resolved.reserve(recorderStartsMs.size());
    for (qsizetype i = 0; i < recorderStartsMs.size(); ++i) {
        const std::optional<qint64> own = ownOffsetsMs.value(i);
        if (own) {
            resolved.append({*own, Source::Gps});
            continue;
        }
        std::optional<qint64> nearest;
        qint64 nearestDistance = 0;
        qint64 nearestStart = 0;
        for (qsizetype j = 0; j < recorderStartsMs.size(); ++j) {
            const std::optional<qint64> other = ownOffsetsMs.value(j);
            if (!other)
                continue;
            const qint64 distance = std::abs(recorderStartsMs.at(j) - recorderStartsMs.at(i));
            const bool nearer = !nearest || distance < nearestDistance
                                || (distance == nearestDistance && recorderStartsMs.at(j) < nearestStart);
            if (nearer) {
                nearest = other;
                nearestDistance = distance;
                nearestStart = recorderStartsMs.at(j);
            }
        }
        if (nearest)
            resolved.append({*nearest, Source::Borrowed});
        else
            resolved.append({fallback.offsetAt(recorderStartsMs.at(i)), Source::Assumed});
    }
    return resolved;
}

qint64 utcOf(qint64 recorderMs, const Offset &offset)
{
    return recorderMs - offset.ms;
}

QDateTime localTimeOf(qint64 recorderMs, const Offset &offset)
{
    const qint64 zone = zonePart(offset.ms);
    return QDateTime::fromMSecsSinceEpoch(utcOf(recorderMs, offset), Qt::OffsetFromUTC, int(zone / kSecondMs));
}

QString isoUtc(qint64 utcMs, bool withMs)
{
    return naiveDateTime(utcMs).toString(withMs ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")
                                                : QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
           + QLatin1Char('Z');
}

QString offsetText(qint64 offsetMs)
{
    const qint64 minutes = std::abs(offsetMs) / 60000;
    return QLatin1Char(offsetMs < 0 ? '-' : '+')
           + QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace RecorderClock
