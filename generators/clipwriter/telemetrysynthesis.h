#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSet>

#include <optional>

// Builds the recorder's telemetry chunk payloads from a route: per second of recording a number of
// "M" acceleration chunks followed by one "$GPRMC" position sentence.
namespace ClipWriter {

struct RoutePoint
{
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
};

// One acceleration sample in decoded units (-127 … 128, 0 is rest); stored as the byte 128 - value.
struct GForce
{
    int x = 0;
    int y = 0;
    int z = 0;
};

struct TelemetryRoute
{
    QList<RoutePoint> positions; // one per second; the last repeats when the list is shorter
    QList<double> speedKnots;    // one per second; the last repeats; empty means standing still
    QList<GForce> gForces;       // cycled over all samples of the clip; empty means rest
    int accelSamplesPerSecond = 20;
    QDateTime startUtc = QDateTime(QDate(2012, 5, 14), QTime(10, 20, 30), Qt::UTC);

    bool gPrefixedSentences = false;   // "G$GPRMC" instead of "$GPRMC"
    QSet<int> lostFixSeconds;          // seconds without a fix
    bool lostFixAsMarker = false;      // those seconds close with a "T" chunk instead of a "V" sentence
    bool otherSentences = false;       // a "$GPGGA" sentence before each position sentence
    bool oddSizedChunks = false;       // every payload padded to an odd size (the reader skips a pad byte)
    bool trailingAccelSamples = false; // "M" chunks after the last sentence, in one more group
};

// The payloads of `seconds` seconds, one group per second (plus the trailing group when asked).
QList<QList<QByteArray>> synthesizeTelemetry(const TelemetryRoute &route, int seconds);

// "M" chunk payload of one sample.
QByteArray accelPayload(const GForce &force);

// An RMC sentence with checksum: status "A" with the position and speed, or "V" with empty fields.
QByteArray rmcSentence(const QDateTime &timeUtc, const std::optional<RoutePoint> &fix, double speedKnots);

// ddmm.mmmm (degreeDigits 2) or dddmm.mmmm (degreeDigits 3) of the magnitude of `degrees`.
QByteArray nmeaCoordinate(double degrees, int degreeDigits);

} // namespace ClipWriter
