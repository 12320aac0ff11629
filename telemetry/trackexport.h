#pragma once

#include "telemetry/recorderclock.h"
#include "telemetry/telemetrysample.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// A track written out for other programs: the route as GPX 1.1 or KML 2.2, every sample as CSV. A
// track is one clip or a trip's clips one after the other. The viewer and the command-line tool
// share these writers, so both give the same files. Coordinates go out as decoded (micro-degrees,
// six decimals), not as the dashboard shows them. Point times are true UTC, written with "Z": the
// true start of each clip plus the sample's time; without a start (a name without a stamp) the
// times are left out. Plain functions, safe on any thread.
namespace TrackExport {

enum class Format { Gpx, Kml, Csv };

// The samples of one clip, where they begin on the track's time line, the true moment the clip
// began (invalid when unknown), and the clip's GPS fixes on its own time line (see toGpx).
struct Piece
{
    QList<TelemetrySample> samples;
    qint64 offsetMs = 0;
    QDateTime start;
    QList<RecorderClock::FixTime> fixes;
};

// The runs of consecutive samples with a usable position; a sample without one ends a run, so
// that a stretch without fix stays a gap instead of becoming a straight line across it.
QList<QList<TelemetrySample>> routeSegments(const QList<TelemetrySample> &samples);

// Whether any sample has a usable position (a route can be exported).
bool hasPositions(const QList<TelemetrySample> &samples);
bool hasPositions(const QList<Piece> &pieces);

// One GPX track named `name` with one segment per run of positions (runs go on across the clips'
// boundaries), each point with its time and speed (m/s, Garmin track point extension). The
// recorder repeats each GPS sentence over the ten samples of its second: a point is written per
// sentence, from its first sample (with the piece's fix times, a car standing still keeps a point
// per second; without them, a point wherever the position or the speed changes).
QByteArray toGpx(const QList<Piece> &pieces, const QString &name);
// One KML placemark named `name`: a line per run of positions (a point for a run of one), in
// lon,lat order, with the time span of the route.
QByteArray toKml(const QList<Piece> &pieces, const QString &name);
// Every sample, one line each, under the header
// time_ms,accel_x,accel_y,accel_z,latitude,longitude,speed_kmh,time
// time_ms is the position on the track's time line.
QByteArray toCsv(const QList<Piece> &pieces);

// The same for the samples of one clip that began at `start`.
QByteArray toGpx(const QList<TelemetrySample> &samples, const QDateTime &start, const QString &name);
QByteArray toKml(const QList<TelemetrySample> &samples, const QDateTime &start, const QString &name);
QByteArray toCsv(const QList<TelemetrySample> &samples, const QDateTime &start);

// The document of `format`.
QByteArray document(Format format, const QList<Piece> &pieces, const QString &name);

// The usual file name extension of `format`, with its dot.
QString extension(Format format);

} // namespace TrackExport
