#include "telemetry/trackexport.h"

#include <QXmlStreamWriter>

#include <algorithm>

namespace TrackExport {

namespace {

constexpr double kKmhPerMetreSecond = 3.6;
const QString kGpxNamespace = QStringLiteral("http://www.topografix.com/GPX/1/1");
const QString kGpxExtensionNamespace = QStringLiteral("http://www.garmin.com/xmlschemas/TrackPointExtension/v2");
const QString kKmlNamespace = QStringLiteral("http://www.opengis.net/kml/2.2");

// A sample of the track with its place on the track's time line and its true time.
struct Point
{
    TelemetrySample sample;
    qint64 lineMs = 0;
    QDateTime time;     // invalid when the clip's start is unknown
    bool newFix = true; // the first sample of its GPS sentence
};

bool sameReading(const TelemetrySample &a, const TelemetrySample &b)
{
    return a.latitude == b.latitude && a.longitude == b.longitude && a.speedKmh == b.speedKmh;
}

// Marks the first sample of each GPS sentence: where the position or the speed changes, or where
// the next fix time is reached (a car standing still sends the same reading every second). The
// copies of the first sample that fill the clip's first moments belong to its first sentence.
void markFixes(const Piece &piece, QList<Point> &points, qsizetype first)
{
    qsizetype fixesReached = 0;
    qsizetype previousReached = 0;
    for (qsizetype i = first; i < points.size(); ++i) {
        Point &point = points[i];
        while (fixesReached < piece.fixes.size() && piece.fixes.at(fixesReached).clipMs <= point.sample.timeMs)
            ++fixesReached;
        point.newFix = i == first || !sameReading(points.at(i - 1).sample, point.sample)
                       || (fixesReached != previousReached && previousReached > 0);
        previousReached = fixesReached;
    }
}

QList<Point> pointsOf(const QList<Piece> &pieces)
{
    QList<Point> points;
    for (const Piece &piece : pieces) {
        const qsizetype first = points.size();
        for (const TelemetrySample &sample : piece.samples)
            points.append({sample, piece.offsetMs + sample.timeMs,
                           piece.start.isValid() ? piece.start.addMSecs(sample.timeMs) : QDateTime()});
        markFixes(piece, points, first);
    }
    return points;
}

QList<QList<Point>> pointRuns(const QList<Piece> &pieces)
{
    QList<QList<Point>> runs;
    bool inRun = false;
    for (const Point &point : pointsOf(pieces)) {
        if (!point.sample.hasUsablePosition()) {
            inRun = false;
            continue;
        }
        if (!inRun)
            runs.append(QList<Point>());
        runs.last().append(point);
        inRun = true;
    }
    return runs;
}

// Six decimals keep every micro-degree the recorder stored; never "-0.000000".
QString degrees(double value)
{
    const QString text = QString::number(value, 'f', 6);
    return text == QLatin1String("-0.000000") ? QStringLiteral("0.000000") : text;
}

QString utcText(const QDateTime &time)
{
    return time.isValid() ? time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QLatin1Char('Z')
                          : QString();
}

void startDocument(QXmlStreamWriter &xml)
{
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
}

void writeGpxPoint(QXmlStreamWriter &xml, const Point &point)
{
    xml.writeStartElement(QStringLiteral("trkpt"));
    xml.writeAttribute(QStringLiteral("lat"), degrees(point.sample.latitude));
    xml.writeAttribute(QStringLiteral("lon"), degrees(point.sample.longitude));
    if (point.time.isValid())
        xml.writeTextElement(QStringLiteral("time"), utcText(point.time));
    xml.writeStartElement(QStringLiteral("extensions"));
    xml.writeStartElement(kGpxExtensionNamespace, QStringLiteral("TrackPointExtension"));
    // Speed in metres per second, the unit of this extension.
    xml.writeTextElement(kGpxExtensionNamespace, QStringLiteral("speed"),
                         QString::number(point.sample.speedKmh / kKmhPerMetreSecond, 'f', 3));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
}

QString kmlCoordinates(const QList<Point> &run)
{
    QStringList pairs;
    pairs.reserve(run.size());
    for (const Point &point : run)
        pairs.append(degrees(point.sample.longitude) + QLatin1Char(',') + degrees(point.sample.latitude));
    return pairs.join(QLatin1Char(' '));
}

void writeKmlGeometry(QXmlStreamWriter &xml, const QList<QList<Point>> &runs)
{
    xml.writeStartElement(QStringLiteral("MultiGeometry"));
    for (const QList<Point> &run : runs) {
        // A line needs two coordinates; a lone fix between gaps stays a point.
        const bool line = run.size() > 1;
        xml.writeStartElement(line ? QStringLiteral("LineString") : QStringLiteral("Point"));
        if (line)
            xml.writeTextElement(QStringLiteral("tessellate"), QStringLiteral("1"));
        xml.writeTextElement(QStringLiteral("coordinates"), kmlCoordinates(run));
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

QList<Piece> onePiece(const QList<TelemetrySample> &samples, const QDateTime &start)
{
    return {Piece{samples, 0, start}};
}

} // namespace

QList<QList<TelemetrySample>> routeSegments(const QList<TelemetrySample> &samples)
{
    QList<QList<TelemetrySample>> segments;
    for (const QList<Point> &run : pointRuns(onePiece(samples, QDateTime()))) {
        segments.append(QList<TelemetrySample>());
        for (const Point &point : run)
            segments.last().append(point.sample);
    }
    return segments;
}

bool hasPositions(const QList<TelemetrySample> &samples)
{
    return std::any_of(samples.cbegin(), samples.cend(), [](const TelemetrySample &s) { return s.hasUsablePosition(); });
}

bool hasPositions(const QList<Piece> &pieces)
{
    return std::any_of(pieces.cbegin(), pieces.cend(), [](const Piece &p) { return hasPositions(p.samples); });
}

QByteArray toGpx(const QList<Piece> &pieces, const QString &name)
{
    QByteArray document;
    QXmlStreamWriter xml(&document);
    startDocument(xml);
    xml.writeStartElement(QStringLiteral("gpx"));
    xml.writeDefaultNamespace(kGpxNamespace);
    xml.writeNamespace(kGpxExtensionNamespace, QStringLiteral("gpxtpx"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), QStringLiteral("qrd7700"));
    xml.writeStartElement(QStringLiteral("trk"));
    xml.writeTextElement(QStringLiteral("name"), name);
    for (const QList<Point> &run : pointRuns(pieces)) {
        xml.writeStartElement(QStringLiteral("trkseg"));
        for (const Point &point : run) {
            if (point.newFix)
                writeGpxPoint(xml, point);
        }
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return document;
}

QByteArray toKml(const QList<Piece> &pieces, const QString &name)
{
    const QList<QList<Point>> runs = pointRuns(pieces);
    QByteArray document;
    QXmlStreamWriter xml(&document);
    startDocument(xml);
    xml.writeStartElement(QStringLiteral("kml"));
    xml.writeDefaultNamespace(kKmlNamespace);
    xml.writeStartElement(QStringLiteral("Document"));
    xml.writeTextElement(QStringLiteral("name"), name);
    xml.writeStartElement(QStringLiteral("Placemark"));
    xml.writeTextElement(QStringLiteral("name"), name);
    if (!runs.isEmpty() && runs.first().first().time.isValid() && runs.last().last().time.isValid()) {
        xml.writeStartElement(QStringLiteral("TimeSpan"));
        xml.writeTextElement(QStringLiteral("begin"), utcText(runs.first().first().time));
        xml.writeTextElement(QStringLiteral("end"), utcText(runs.last().last().time));
        xml.writeEndElement();
    }
    writeKmlGeometry(xml, runs);
    xml.writeEndDocument();
    return document;
}

QByteArray toCsv(const QList<Piece> &pieces)
{
    QString text = QStringLiteral("time_ms,accel_x,accel_y,accel_z,latitude,longitude,speed_kmh,time\n");
    for (const Point &point : pointsOf(pieces)) {
        const TelemetrySample &s = point.sample;
        text += QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8\n")
                    .arg(point.lineMs).arg(s.accelX).arg(s.accelY).arg(s.accelZ)
                    .arg(degrees(s.latitude), degrees(s.longitude)).arg(s.speedKmh)
                    .arg(utcText(point.time));
    }
    return text.toUtf8();
}

QByteArray toGpx(const QList<TelemetrySample> &samples, const QDateTime &start, const QString &name)
{
    return toGpx(onePiece(samples, start), name);
}

QByteArray toKml(const QList<TelemetrySample> &samples, const QDateTime &start, const QString &name)
{
    return toKml(onePiece(samples, start), name);
}

QByteArray toCsv(const QList<TelemetrySample> &samples, const QDateTime &start)
{
    return toCsv(onePiece(samples, start));
}

QByteArray document(Format format, const QList<Piece> &pieces, const QString &name)
{
    switch (format) {
    case Format::Gpx:
        return toGpx(pieces, name);
    case Format::Kml:
        return toKml(pieces, name);
    case Format::Csv:
        break;
    }
    return toCsv(pieces);
}

QString extension(Format format)
{
    switch (format) {
    case Format::Gpx:
        return QStringLiteral(".gpx");
    case Format::Kml:
        return QStringLiteral(".kml");
    case Format::Csv:
        break;
    }
    return QStringLiteral(".csv");
}

} // namespace TrackExport
