#include "telemetry/trackexport.h"

#include "telemetry/avimainheader.h"
#include "telemetry/telemetryreader.h"
#include "telemetry/telemetrytrack.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamWriter>

#include <algorithm>
#include <memory>

namespace TrackExport {

namespace {

constexpr double kKmhPerMetreSecond = 3.6;
const QString kGpxNamespace = QStringLiteral("http://www.topografix.com/GPX/1/1");
const QString kGpxExtensionNamespace = QStringLiteral("http://www.garmin.com/xmlschemas/TrackPointExtension/v2");
const QString kKmlNamespace = QStringLiteral("http://www.opengis.net/kml/2.2");

// Six decimals keep every micro-degree the recorder stored; never "-0.000000".
QString degrees(double value)
{
    const QString text = QString::number(value, 'f', 6);
    return text == QLatin1String("-0.000000") ? QStringLiteral("0.000000") : text;
}

QString pointTime(const QDateTime &start, const TelemetrySample &sample)
{
    return start.isValid() ? isoTimeWithOffset(start.addMSecs(sample.timeMs)) : QString();
}

void startDocument(QXmlStreamWriter &xml)
{
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
}

void writeGpxPoint(QXmlStreamWriter &xml, const TelemetrySample &sample, const QDateTime &start)
{
    xml.writeStartElement(QStringLiteral("trkpt"));
    xml.writeAttribute(QStringLiteral("lat"), degrees(sample.latitude));
    xml.writeAttribute(QStringLiteral("lon"), degrees(sample.longitude));
    if (start.isValid())
        xml.writeTextElement(QStringLiteral("time"), pointTime(start, sample));
    xml.writeStartElement(QStringLiteral("extensions"));
    xml.writeStartElement(kGpxExtensionNamespace, QStringLiteral("TrackPointExtension"));
    // Speed in metres per second, the unit of this extension.
    xml.writeTextElement(kGpxExtensionNamespace, QStringLiteral("speed"),
                         QString::number(sample.speedKmh / kKmhPerMetreSecond, 'f', 3));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
}

QString kmlCoordinates(const QList<TelemetrySample> &segment)
{
    QStringList pairs;
    pairs.reserve(segment.size());
    for (const TelemetrySample &sample : segment)
        pairs.append(degrees(sample.longitude) + QLatin1Char(',') + degrees(sample.latitude));
    return pairs.join(QLatin1Char(' '));
}

void writeKmlGeometry(QXmlStreamWriter &xml, const QList<QList<TelemetrySample>> &segments)
{
    xml.writeStartElement(QStringLiteral("MultiGeometry"));
    for (const QList<TelemetrySample> &segment : segments) {
        // A line needs two coordinates; a lone fix between gaps stays a point.
        const bool line = segment.size() > 1;
        xml.writeStartElement(line ? QStringLiteral("LineString") : QStringLiteral("Point"));
        if (line)
            xml.writeTextElement(QStringLiteral("tessellate"), QStringLiteral("1"));
        xml.writeTextElement(QStringLiteral("coordinates"), kmlCoordinates(segment));
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

} // namespace

QDateTime recordingStartFromName(const QString &fileName)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(?:REC|EVS)_(\\d{4})_(\\d{2})_(\\d{2})_(\\d{2})_(\\d{2})_(\\d{2})"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return QDateTime();
    const auto field = [&match](int i) { return match.captured(i).toInt(); };
    const QDate date(field(1), field(2), field(3));
    const QTime time(field(4), field(5), field(6));
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, Qt::LocalTime);
}

QString isoTimeWithOffset(const QDateTime &time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QLatin1Char(offset < 0 ? '-' : '+')
           + QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QList<QList<TelemetrySample>> routeSegments(const QList<TelemetrySample> &samples)
{
    QList<QList<TelemetrySample>> segments;
    bool inRun = false;
    for (const TelemetrySample &sample : samples) {
        if (!sample.hasUsablePosition()) {
            inRun = false;
            continue;
        }
        if (!inRun)
            segments.append(QList<TelemetrySample>());
        segments.last().append(sample);
        inRun = true;
    }
    return segments;
}

bool hasPositions(const QList<TelemetrySample> &samples)
{
    return std::any_of(samples.cbegin(), samples.cend(), [](const TelemetrySample &s) { return s.hasUsablePosition(); });
}

QByteArray toGpx(const QList<TelemetrySample> &samples, const QDateTime &start, const QString &name)
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
    for (const QList<TelemetrySample> &segment : routeSegments(samples)) {
        xml.writeStartElement(QStringLiteral("trkseg"));
        for (const TelemetrySample &sample : segment)
            writeGpxPoint(xml, sample, start);
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return document;
}

QByteArray toKml(const QList<TelemetrySample> &samples, const QDateTime &start, const QString &name)
{
    const QList<QList<TelemetrySample>> segments = routeSegments(samples);
    QByteArray document;
    QXmlStreamWriter xml(&document);
    startDocument(xml);
    xml.writeStartElement(QStringLiteral("kml"));
    xml.writeDefaultNamespace(kKmlNamespace);
    xml.writeStartElement(QStringLiteral("Document"));
    xml.writeTextElement(QStringLiteral("name"), name);
    xml.writeStartElement(QStringLiteral("Placemark"));
    xml.writeTextElement(QStringLiteral("name"), name);
    if (start.isValid() && !segments.isEmpty()) {
        xml.writeStartElement(QStringLiteral("TimeSpan"));
        xml.writeTextElement(QStringLiteral("begin"), pointTime(start, segments.first().first()));
        xml.writeTextElement(QStringLiteral("end"), pointTime(start, segments.last().last()));
        xml.writeEndElement();
    }
    writeKmlGeometry(xml, segments);
    xml.writeEndDocument();
    return document;
}

QByteArray toCsv(const QList<TelemetrySample> &samples, const QDateTime &start)
{
    QString text = QStringLiteral("time_ms,accel_x,accel_y,accel_z,latitude,longitude,speed_kmh,time\n");
    for (const TelemetrySample &s : samples) {
        text += QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8\n")
                    .arg(s.timeMs).arg(s.accelX).arg(s.accelY).arg(s.accelZ)
                    .arg(degrees(s.latitude), degrees(s.longitude)).arg(s.speedKmh)
                    .arg(pointTime(start, s));
    }
    return text.toUtf8();
}

QByteArray document(Format format, const QList<TelemetrySample> &samples, const QString &clipName)
{
    const QDateTime start = recordingStartFromName(clipName);
    switch (format) {
    case Format::Gpx:
        return toGpx(samples, start, clipName);
    case Format::Kml:
        return toKml(samples, start, clipName);
    case Format::Csv:
        break;
    }
    return toCsv(samples, start);
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

std::optional<QList<TelemetrySample>> readClipTrack(const QString &path, std::optional<qint64> durationMs)
{
    if (!durationMs)
        durationMs = aviHeaderDurationMs(path);
    if (!durationMs)
        return std::nullopt;
    auto records = std::make_unique<TelemetryRecords>();
    const int count = *durationMs > 0 ? readTelemetryFile(path, *records) : 0;
    return TelemetryTrack::placeRecords(records->data(), count, *durationMs);
}

} // namespace TrackExport
