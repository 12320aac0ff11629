#include "generators/clipwriter/telemetrysynthesis.h"

#include <algorithm>
#include <cmath>

namespace ClipWriter {
namespace {

template<typename T>
T perSecond(const QList<T> &values, int second, T fallback)
{
    if (values.isEmpty())
        return fallback;
    return values.at(std::min<qsizetype>(second, values.size() - 1));
}

char accelByte(int value)
{
    return char(128 - std::clamp(value, -127, 128));
}

QByteArray withChecksum(const QByteArray &body)
{
    // The checksum covers the characters between "$" and "*".
    quint8 sum = 0;
    for (qsizetype i = 1; i < body.size(); ++i)
        sum ^= quint8(body.at(i));
    return body + '*' + QByteArray::number(sum, 16).rightJustified(2, '0').toUpper();
}

QByteArray ggaSentence(const QDateTime &timeUtc)
{
    return withChecksum("$GPGGA," + timeUtc.toString(QStringLiteral("hhmmss.zzz")).toLatin1()
                        + ",,,,,0,00,,,M,,M,,");
}

QByteArray makeOdd(QByteArray payload)
{
    // A trailing zero leaves the sentence text and the acceleration bytes as they were.
    if (payload.size() % 2 == 0)
        payload.append('\0');
    return payload;
}

} // namespace

QByteArray accelPayload(const GForce &force)
{
    QByteArray payload(1, 'M');
    payload.append(accelByte(force.x));
    payload.append(accelByte(force.y));
    payload.append(accelByte(force.z));
    return payload;
}

QByteArray nmeaCoordinate(double degrees, int degreeDigits)
{
    // Work in ten-thousandths of a minute so that rounding never produces "60.0000" minutes.
    const qint64 units = std::llround(std::fabs(degrees) * 60.0 * 10000.0);
    const qint64 whole = units / 600000;
    const qint64 minuteUnits = units % 600000;
    return QByteArray::number(whole).rightJustified(degreeDigits, '0')
           + QByteArray::number(minuteUnits / 10000).rightJustified(2, '0') + '.'
           + QByteArray::number(minuteUnits % 10000).rightJustified(4, '0');
}

QByteArray rmcSentence(const QDateTime &timeUtc, const std::optional<RoutePoint> &fix, double speedKnots)
{
    const QByteArray time = timeUtc.toString(QStringLiteral("hhmmss.zzz")).toLatin1();
    const QByteArray date = timeUtc.toString(QStringLiteral("ddMMyy")).toLatin1();
    if (!fix)
        return withChecksum("$GPRMC," + time + ",V,,,,,,," + date + ",,,N");
    return withChecksum("$GPRMC," + time + ",A," + nmeaCoordinate(fix->latitude, 2) + ','
                        + (fix->latitude < 0 ? 'S' : 'N') + ',' + nmeaCoordinate(fix->longitude, 3) + ','
                        + (fix->longitude < 0 ? 'W' : 'E') + ',' + QByteArray::number(speedKnots, 'f', 2)
                        + ",0.00," + date + ",,,A");
}

namespace {

// Hands out the "M" payloads of the route's samples in order, cycling its G values.
class AccelSource
{
public:
    explicit AccelSource(const QList<GForce> &forces) : m_forces(forces) {}
    QList<QByteArray> take(int count)
    {
        QList<QByteArray> chunks;
        for (int i = 0; i < count; ++i, ++m_next)
            chunks.append(accelPayload(m_forces.isEmpty() ? GForce() : m_forces.at(m_next % m_forces.size())));
        return chunks;
    }

private:
    const QList<GForce> &m_forces;
    qsizetype m_next = 0;
};

// The sentence (or lost-fix marker) that closes one second.
QByteArray closingChunk(const TelemetryRoute &route, int second)
{
    const QDateTime time = route.startUtc.addSecs(second);
    const bool lost = route.lostFixSeconds.contains(second);
    if (lost && route.lostFixAsMarker)
        return QByteArray("T");
    std::optional<RoutePoint> fix;
    if (!lost)
        fix = perSecond(route.positions, second, RoutePoint());
    const QByteArray sentence = rmcSentence(time, fix, perSecond(route.speedKnots, second, 0.0));
    return route.gPrefixedSentences ? 'G' + sentence : sentence;
}

} // namespace

QList<QList<QByteArray>> synthesizeTelemetry(const TelemetryRoute &route, int seconds)
{
    QList<QList<QByteArray>> groups;
    AccelSource accels(route.gForces);
    for (int second = 0; second < seconds; ++second) {
        QList<QByteArray> chunks = accels.take(route.accelSamplesPerSecond);
        if (route.otherSentences)
            chunks.append(ggaSentence(route.startUtc.addSecs(second)));
        chunks.append(closingChunk(route, second));
        groups.append(chunks);
    }
    if (route.trailingAccelSamples)
        groups.append(accels.take(route.accelSamplesPerSecond));
    if (route.oddSizedChunks) {
        for (QList<QByteArray> &group : groups)
            for (QByteArray &payload : group)
                payload = makeOdd(payload);
    }
    return groups;
}

} // namespace ClipWriter
