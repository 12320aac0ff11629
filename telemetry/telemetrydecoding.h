#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <optional>

// Decoding of the values inside the recorder's telemetry chunks. All functions are total: malformed
// text decodes to 0, never to an error.

// Acceleration byte of an "M" chunk: 128 is rest, smaller bytes are positive (0 → 128, 255 → -127).
constexpr qint16 decodeAccel(quint8 raw)
{
    return qint16(128 - int(raw));
}

// ddmm.mmmm / dddmm.mmmm text → magnitude in millionths of a degree. The minutes fraction is
// rounded to single precision as the recorder's software did ("3723.4567" → 37390944).
qint32 parseCoordinate(QByteArrayView text);

// Speed over ground in knots → whole km/h, rounded half up after a single-precision product. A
// negative speed is no speed at all and decodes to 0, as malformed text does.
qint32 knotsToKmh(QByteArrayView text);

// The UTC moment of an RMC sentence from its time field (hhmmss or hhmmss.sss) and date field
// (ddmmyy; years 80 … 99 are 1980 … 1999, the others 2000 … 2079), in milliseconds since
// 1970-01-01T00:00:00Z. Nothing when either field is empty, malformed or out of range.
std::optional<qint64> decodeFixTime(QByteArrayView time, QByteArrayView date);

// The position a "$GPRMC" sentence carries, or the no-fix values.
struct TelemetryPosition
{
    qint32 latMicro = 0;
    char latHemisphere = 'N';
    qint32 lonMicro = 0;
    char lonHemisphere = 'E';
    qint32 speedKmh = 0;
    // The sentence's own UTC time and date, kept only with a fix (a receiver without a fix may still
    // send its free-running clock).
    std::optional<qint64> utcMs;
};

// Decodes the sentence text (up to its first zero byte). Returns false, leaving *position alone,
// when the first field is neither "$GPRMC" nor "G$GPRMC". Missing fields count as empty. A fix whose
// coordinates leave the globe (minutes of 60 or more, latitude beyond 90 or longitude beyond 180
// degrees) or whose hemisphere letter is neither N/S nor E/W decodes as no fix, like status "V"; an
// empty hemisphere field is kept as 0.
bool decodePositionSentence(QByteArrayView text, TelemetryPosition *position);
