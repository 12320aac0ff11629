#pragma once

#include "telemetry/telemetrysample.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// A clip's telemetry track written out for other programs: the route as GPX 1.1 or KML 2.2, every
// sample as CSV. The viewer and the command-line tool share these writers, so both give the same
// files. Coordinates go out as decoded (micro-degrees, six decimals), not as the dashboard shows
// them. Point times are the recording start from the clip's name plus the sample's time; without a
// start in the name the times are left out. Plain functions, safe on any thread.
namespace TrackExport {

enum class Format { Gpx, Kml, Csv };

// Recording start from a recorder file name: the date and time after its "REC_"/"EVS_" prefix,
// whatever follows them (extension, cause marker), as local time. Invalid when the name has none.
QDateTime recordingStartFromName(const QString &fileName);

// ISO 8601 local time with milliseconds and UTC offset, e.g. 2012-05-14T10:20:30.500+09:00.
QString isoTimeWithOffset(const QDateTime &time);

// The runs of consecutive samples with a usable position; a sample without one ends a run, so
// that a stretch without fix stays a gap instead of becoming a straight line across it.
QList<QList<TelemetrySample>> routeSegments(const QList<TelemetrySample> &samples);

// Whether any sample has a usable position (a route can be exported).
bool hasPositions(const QList<TelemetrySample> &samples);

// One GPX track named `name` with one segment per run of positions, each point with its time and
// speed (m/s, Garmin track point extension).
QByteArray toGpx(const QList<TelemetrySample> &samples, const QDateTime &start, const QString &name);

// One KML placemark named `name`: a line per run of positions (a point for a run of one), in
// lon,lat order, with the time span of the route.
QByteArray toKml(const QList<TelemetrySample> &samples, const QDateTime &start, const QString &name);

// Every sample, one line each, under the header
// time_ms,accel_x,accel_y,accel_z,latitude,longitude,speed_kmh,time
QByteArray toCsv(const QList<TelemetrySample> &samples, const QDateTime &start);

// The document of `format` for the samples of the clip file named `clipName`.
QByteArray document(Format format, const QList<TelemetrySample> &samples, const QString &clipName);

// The usual file name extension of `format`, with its dot.
QString extension(Format format);

// The track of a clip file as the viewer places it on the clip's time line, stretched over
// `durationMs` or, when that is not given, over the duration the clip's AVI main header states.
// Nothing when there is no duration (the file has no AVI main header).
std::optional<QList<TelemetrySample>> readClipTrack(const QString &path, std::optional<qint64> durationMs = {});

} // namespace TrackExport
