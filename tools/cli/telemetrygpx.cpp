#include "tools/cli/telemetrygpx.h"

#include <QRegularExpression>
#include <QXmlStreamWriter>

namespace {

constexpr double kKmhPerMetreSecond = 3.6;
const QString kGpxNamespace = QStringLiteral("http://www.topografix.com/GPX/1/1");
const QString kExtensionNamespace = QStringLiteral("http://www.garmin.com/xmlschemas/TrackPointExtension/v2");

QString isoWithOffset(const QDateTime &time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + (offset < 0 ? '-' : '+')
           + QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QChar('0')).arg(minutes % 60, 2, 10, QChar('0'));
}

void writePoint(QXmlStreamWriter &xml, const TelemetrySample &sample, const QDateTime &start)
{
    xml.writeStartElement(QStringLiteral("trkpt"));
    xml.writeAttribute(QStringLiteral("lat"), QString::number(sample.latitude, 'f', 6));
    xml.writeAttribute(QStringLiteral("lon"), QString::number(sample.longitude, 'f', 6));
    if (start.isValid())
        xml.writeTextElement(QStringLiteral("time"), isoWithOffset(start.addMSecs(sample.timeMs)));
    xml.writeStartElement(QStringLiteral("extensions"));
    xml.writeStartElement(kExtensionNamespace, QStringLiteral("TrackPointExtension"));
    // Speed in metres per second, the unit of this extension.
    xml.writeTextElement(kExtensionNamespace, QStringLiteral("speed"),
                         QString::number(sample.speedKmh / kKmhPerMetreSecond, 'f', 3));
    xml.writeEndElement();
    xml.writeEndElement();
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

QByteArray trackToGpx(const QList<TelemetrySample> &samples, const QDateTime &start, const QString &name)
{
    QByteArray document;
    QXmlStreamWriter xml(&document);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("gpx"));
    xml.writeDefaultNamespace(kGpxNamespace);
    xml.writeNamespace(kExtensionNamespace, QStringLiteral("gpxtpx"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), QStringLiteral("qrd7700-cli"));
    xml.writeStartElement(QStringLiteral("trk"));
    xml.writeTextElement(QStringLiteral("name"), name);
    xml.writeStartElement(QStringLiteral("trkseg"));
    for (const TelemetrySample &sample : samples) {
        if (sample.hasUsablePosition())
            writePoint(xml, sample, start);
    }
    xml.writeEndDocument();
    return document;
}
