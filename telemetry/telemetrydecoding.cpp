#include "telemetry/telemetrydecoding.h"

#include <QByteArray>
#include <QList>

#include <cmath>
#include <limits>

namespace {

// Truncates toward zero; values that do not fit (or are not numbers at all) decode as 0.
qint32 truncatedOrZero(double value)
{
    if (!std::isfinite(value) || value >= 2147483648.0 || value <= -2147483649.0)
        return 0;
    return qint32(value);
}

float floatOrZero(QByteArrayView text)
{
    bool ok = false;
    const float value = text.toByteArray().toFloat(&ok);
    return ok && std::isfinite(value) ? value : 0.0f;
}

// Whether a ddmm.mmmm / dddmm.mmmm text names a place on the globe: minutes from 0 up to (not
// including) 60 and a value of at most `maxDegrees`. Text without a decimal point decodes to 0, as
// any malformed coordinate does, and so stays on the globe.
bool onGlobe(QByteArrayView text, qint32 maxDegrees)
{
    const qsizetype k = text.indexOf('.') - 2;
    if (k < 0)
        return true;
    const float minutes = floatOrZero(text.sliced(k));
    const qint32 micro = parseCoordinate(text);
    return minutes >= 0.0f && minutes < 60.0f && micro >= -maxDegrees * 1000000 && micro <= maxDegrees * 1000000;
}

char firstCharacter(const QByteArray &field)
{
    return field.isEmpty() ? char(0) : field.at(0);
}

} // namespace

qint32 parseCoordinate(QByteArrayView text)
{
    if (text.isEmpty())
        return 0;
    const qsizetype k = text.indexOf('.') - 2;
    if (k < 0)
        return 0;
    bool ok = false;
    int degrees = k > 0 ? text.first(k).toByteArray().toInt(&ok, 10) : 0;
    if (!ok)
        degrees = 0;
    const float minutes = floatOrZero(text.sliced(k));
    const float fraction = minutes / 60.0f;
    return truncatedOrZero((double(degrees) + double(fraction)) * 1000000.0);
}

qint32 knotsToKmh(QByteArrayView text)
{
    const float kmh = float(double(floatOrZero(text)) * 1.852);
    return truncatedOrZero(double(kmh) + 0.5);
}

bool decodePositionSentence(QByteArrayView text, TelemetryPosition *position)
{
    const qsizetype end = text.indexOf('\0');
    if (end >= 0)
        text = text.first(end);
    QList<QByteArray> fields = text.toByteArray().split(',');
    if (fields.first() != "$GPRMC" && fields.first() != "G$GPRMC")
        return false;
    constexpr int kUsedFields = 8;
    while (fields.size() < kUsedFields)
        fields.append(QByteArray());
    if (fields.at(2) != "A") {
        *position = TelemetryPosition();
        return true;
    }
    // A position off the globe can only come from a damaged sentence: it counts as a lost fix.
    if (!onGlobe(fields.at(3), 90) || !onGlobe(fields.at(5), 180)) {
        *position = TelemetryPosition();
        return true;
    }
    position->latMicro = parseCoordinate(fields.at(3));
    position->latHemisphere = firstCharacter(fields.at(4));
    position->lonMicro = parseCoordinate(fields.at(5));
    position->lonHemisphere = firstCharacter(fields.at(6));
    position->speedKmh = knotsToKmh(fields.at(7));
    return true;
}
