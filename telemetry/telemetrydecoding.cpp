#include "telemetry/telemetrydecoding.h"

#include <QByteArray>
#include <QDate>
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

// An empty hemisphere field stays 0 (the track then drops the position); any letter but the two
// of its axis can only come from a damaged sentence.
bool knownHemisphere(const QByteArray &field, char positive, char negative)
{
    const char letter = firstCharacter(field);
    return letter == 0 || letter == positive || letter == negative;
}

// The number written by `count` decimal digits of `text` from `from` on, or -1.
int digits(QByteArrayView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Milliseconds of a fraction of a second written after a point: ".5" → 500, ".123456" → 123.
int fractionMs(QByteArrayView text)
{
    if (text.isEmpty())
        return 0;
    if (text.front() != '.')
        return -1;
    int ms = 0;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        if (i <= 3)
            ms += (text[i] - '0') * (i == 1 ? 100 : i == 2 ? 10 : 1);
    }
    return ms;
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
    const float knots = floatOrZero(text);
    if (knots < 0.0f)
        return 0;
    const float kmh = float(double(knots) * 1.852);
    return truncatedOrZero(double(kmh) + 0.5);
}

std::optional<qint64> decodeFixTime(QByteArrayView time, QByteArrayView date)
{
    constexpr qint64 kMsPerDay = 86400000;
    constexpr qint64 kJulianDayOfEpoch = 2440588; // 1970-01-01
    const int hours = digits(time, 0, 2);
    const int minutes = digits(time, 2, 2);
    const int seconds = digits(time, 4, 2);
    const int ms = fractionMs(time.size() > 6 ? time.sliced(6) : QByteArrayView());
    const int day = digits(date, 0, 2);
    const int month = digits(date, 2, 2);
    const int year = digits(date, 4, 2);
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59 || ms < 0
        || date.size() != 6 || year < 0)
        return std::nullopt;
    const QDate calendarDay(year < 80 ? 2000 + year : 1900 + year, month, day);
    if (!calendarDay.isValid())
        return std::nullopt;
    return (calendarDay.toJulianDay() - kJulianDayOfEpoch) * kMsPerDay
           + ((hours * 60 + minutes) * 60 + seconds) * qint64(1000) + ms;
}

bool decodePositionSentence(QByteArrayView text, TelemetryPosition *position)
{
    const qsizetype end = text.indexOf('\0');
    if (end >= 0)
        text = text.first(end);
    QList<QByteArray> fields = text.toByteArray().split(',');
    if (fields.first() != "$GPRMC" && fields.first() != "G$GPRMC")
        return false;
    constexpr int kUsedFields = 10; // up to the date in field 9
    while (fields.size() < kUsedFields)
        fields.append(QByteArray());
    if (fields.at(2) != "A") {
        *position = TelemetryPosition();
        return true;
    }
    // A position off the globe can only come from a damaged sentence: it counts as a lost fix.
    if (!onGlobe(fields.at(3), 90) || !onGlobe(fields.at(5), 180) || !knownHemisphere(fields.at(4), 'N', 'S')
        || !knownHemisphere(fields.at(6), 'E', 'W')) {
        *position = TelemetryPosition();
        return true;
    }
    position->latMicro = parseCoordinate(fields.at(3));
    position->latHemisphere = firstCharacter(fields.at(4));
    position->lonMicro = parseCoordinate(fields.at(5));
    position->lonHemisphere = firstCharacter(fields.at(6));
    position->speedKmh = knotsToKmh(fields.at(7));
    position->utcMs = decodeFixTime(fields.at(1), fields.at(9));
    return true;
}
