// The export writers read back by other programs' parsers: GPX by GPSBabel, KML by an XML parser,
// CSV by a plain split; and the atomic writer against what may stand at the target path.
#include "telemetry/cliptelemetry.h"
#include "telemetry/exportfile.h"
#include "telemetry/telemetrytrack.h"
#include "telemetry/trackexport.h"
#include "generators/clipwriter/aviclipwriter.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using TrackExport::Format;
Q_DECLARE_METATYPE(TelemetrySample)

namespace {

TelemetrySample sample(int timeMs, double latitude, double longitude, int speedKmh = 0, qint16 accelX = 0)
{
    TelemetrySample s;
    s.timeMs = timeMs;
    s.latitude = latitude;
    s.longitude = longitude;
    s.speedKmh = speedKmh;
    s.accelX = accelX;
    s.accelY = qint16(-accelX);
    s.accelZ = 128;
    return s;
}

// Degrees as the decoder makes them: whole micro-degrees divided by a million.
double micro(qint64 microDegrees)
{
    return microDegrees / 1000000.0;
}

// A drive south-west of the equator and the date line, with micro-degree detail, a lost fix in the
// middle and one lone fix between two gaps.
QList<TelemetrySample> driveWithGaps()
{
    QList<TelemetrySample> samples;
    for (int i = 0; i < 5; ++i)
        samples << sample(i * 100, micro(-33868801 - i * 11), micro(-70648312 + i * 13), 40 + i, qint16(i));
    samples << sample(500, 0, 0) << sample(600, 0, 0);
    samples << sample(700, micro(-33869000), micro(-70648000), 52);
    samples << sample(800, 0, 0);
    for (int i = 9; i < 12; ++i)
        samples << sample(i * 100, micro(-33869100 - i), micro(-70647900), 60, qint16(-i));
    return samples;
}

const QDateTime kStart(QDate(2012, 5, 14), QTime(10, 20, 30), Qt::LocalTime);

QString at6(double value)
{
    return QString::number(value, 'f', 6);
}

} // namespace

class TestTrackExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The computer's zone plays no part: times go out in UTC.
        qputenv("TZ", "KST-9");
        QVERIFY(m_dir.isValid());
    }

    void routeSegments_data()
    {
        QTest::addColumn<QList<TelemetrySample>>("samples");
        QTest::addColumn<QList<int>>("runLengths");
        QTest::newRow("no samples") << QList<TelemetrySample>{} << QList<int>{};
        QTest::newRow("gaps without fix split the route") << driveWithGaps() << QList<int>{5, 1, 3};
        QTest::newRow("latitude 0 alone is no fix")
            << QList<TelemetrySample>{sample(0, 1, 2), sample(100, 0, 2), sample(200, 1, 2)} << QList<int>{1, 1};
        QTest::newRow("coordinates off the globe are no fix")
            << QList<TelemetrySample>{sample(0, 91, 2), sample(100, 1, 181), sample(200, 1, 2)} << QList<int>{1};
        QTest::newRow("no fix at all") << QList<TelemetrySample>{sample(0, 0, 0), sample(100, 0, 0)} << QList<int>{};
    }
    void routeSegments()
    {
        QFETCH(QList<TelemetrySample>, samples);
        QFETCH(QList<int>, runLengths);
        QList<int> lengths;
        for (const QList<TelemetrySample> &run : TrackExport::routeSegments(samples))
            lengths << int(run.size());
        QCOMPARE(lengths, runLengths);
        QCOMPARE(TrackExport::hasPositions(samples), !runLengths.isEmpty());
    }

    // GPSBabel reads the GPX 1.1 back with the same points, in order, with their times.
    void gpxReadByGpsBabel()
    {
        const QString gpsbabel = QStandardPaths::findExecutable(QStringLiteral("gpsbabel"));
        if (gpsbabel.isEmpty())
            QSKIP("gpsbabel is not installed (scripts/install-deps installs it)");
        const QList<TelemetrySample> samples = driveWithGaps();
        const QString gpx = m_dir.filePath(QStringLiteral("drive.gpx"));
        QVERIFY(::writeExportFile(gpx, TrackExport::toGpx(samples, kStart, QStringLiteral("drive"))));
        const QString csv = m_dir.filePath(QStringLiteral("drive-babel.csv"));
        QProcess babel;
        // unicsv with utc=0 writes UTC date and time: the +09:00 of the points must have been read.
        babel.start(gpsbabel, {QStringLiteral("-t"), QStringLiteral("-i"), QStringLiteral("gpx"), QStringLiteral("-f"), gpx,
                               QStringLiteral("-o"), QStringLiteral("unicsv,utc=0"), QStringLiteral("-F"), csv});
        QVERIFY(babel.waitForFinished(30000));
        QVERIFY2(babel.exitCode() == 0, babel.readAllStandardError().constData());
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList header = QString::fromUtf8(file.readLine()).trimmed().split(QLatin1Char(','));
        const qsizetype lat = header.indexOf(QStringLiteral("Latitude"));
        const qsizetype lon = header.indexOf(QStringLiteral("Longitude"));
        const qsizetype date = header.indexOf(QStringLiteral("Date"));
        const qsizetype time = header.indexOf(QStringLiteral("Time"));
        QVERIFY2(lat >= 0 && lon >= 0 && date >= 0 && time >= 0, qPrintable(header.join(QLatin1Char(','))));
        QStringList read;
        while (!file.atEnd()) {
            const QStringList fields = QString::fromUtf8(file.readLine()).trimmed().split(QLatin1Char(','));
            read << at6(fields.value(lat).toDouble()) + ' ' + at6(fields.value(lon).toDouble()) + ' '
                        + fields.value(date) + ' ' + fields.value(time);
        }
        QStringList expected;
        for (const TelemetrySample &s : samples) {
            if (s.hasUsablePosition())
                expected << at6(s.latitude) + ' ' + at6(s.longitude) + ' '
                                + kStart.addMSecs(s.timeMs).toUTC().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss.zzz"));
        }
        QCOMPARE(read.size(), 9);
        for (qsizetype i = 0; i < read.size(); ++i) // GPSBabel may leave out a zero millisecond part
            QVERIFY2(read.at(i) == expected.at(i) || read.at(i) + QStringLiteral(".000") == expected.at(i),
                     qPrintable(read.at(i) + QStringLiteral(" vs ") + expected.at(i)));
        // One track segment per stretch with fix.
        QCOMPARE(TrackExport::toGpx(samples, kStart, QStringLiteral("drive")).count("<trkseg>"), 3);
    }

    // A real XML parser finds the KML namespace, one geometry per stretch and lon,lat pairs.
    void kmlParsedAsXml()
    {
        const QList<TelemetrySample> samples = driveWithGaps();
        QXmlStreamReader xml(TrackExport::toKml(samples, kStart, QStringLiteral("drive <&> \"1\"")));
        QStringList geometries;
        QStringList coordinates;
        QString name;
        QString begin;
        QString end;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("kml"))
                QCOMPARE(xml.namespaceUri(), QLatin1String("http://www.opengis.net/kml/2.2"));
            else if (xml.name() == QLatin1String("LineString") || xml.name() == QLatin1String("Point"))
                geometries << xml.name().toString();
            else if (xml.name() == QLatin1String("coordinates"))
                coordinates << xml.readElementText();
            else if (xml.name() == QLatin1String("name"))
                name = xml.readElementText();
            else if (xml.name() == QLatin1String("begin"))
                begin = xml.readElementText();
            else if (xml.name() == QLatin1String("end"))
                end = xml.readElementText();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(name, QStringLiteral("drive <&> \"1\""));
        QCOMPARE(geometries, QStringList({"LineString", "Point", "LineString"}));
        QStringList expected;
        for (const QList<TelemetrySample> &run : TrackExport::routeSegments(samples)) {
            QStringList pairs;
            for (const TelemetrySample &s : run)
                pairs << at6(s.longitude) + ',' + at6(s.latitude);
            expected << pairs.join(QLatin1Char(' '));
        }
        QCOMPARE(coordinates, expected);
        QVERIFY(coordinates.first().startsWith(QLatin1String("-70.648312,-33.868801 ")));
        QCOMPARE(begin, QStringLiteral("2012-05-14T01:20:30.000Z"));
        QCOMPARE(end, QStringLiteral("2012-05-14T01:20:31.100Z"));
    }

    // Every sample comes back from the CSV as it went in, with its wall-clock time.
    void csvRoundTrip_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::newRow("start known") << kStart;
        QTest::newRow("no start in the name") << QDateTime();
    }
    void csvRoundTrip()
    {
        QFETCH(QDateTime, start);
        const QList<TelemetrySample> samples = driveWithGaps();
        const QStringList lines = QString::fromUtf8(TrackExport::toCsv(samples, start)).split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), QStringLiteral("time_ms,accel_x,accel_y,accel_z,latitude,longitude,speed_kmh,time"));
        QCOMPARE(lines.last(), QString()); // ends with a line feed
        QList<TelemetrySample> read;
        for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
            const QStringList f = lines.at(i).split(QLatin1Char(','));
            QCOMPARE(f.size(), 8);
            TelemetrySample s;
            s.timeMs = f[0].toInt();
            s.accelX = qint16(f[1].toShort());
            s.accelY = qint16(f[2].toShort());
            s.accelZ = qint16(f[3].toShort());
            s.latitude = f[4].toDouble();
            s.longitude = f[5].toDouble();
            s.speedKmh = f[6].toInt();
            read << s;
            const QDateTime time = QDateTime::fromString(f[7], Qt::ISODateWithMs);
            QCOMPARE(time, start.isValid() ? start.addMSecs(s.timeMs) : QDateTime());
            QVERIFY(f[7].isEmpty() || f[7].endsWith(QLatin1Char('Z')));
        }
        QCOMPARE(read, samples);
    }

    // A clip as the recorder writes it repeats each GPS sentence over the ten samples of its second:
    // the GPX has a point per fix, at the fix's time with the fix's speed. With the clip's fix times
    // a car standing still keeps its point every second; without them (an exporter that has none)
    // a standstill is one point. A second without fix is a gap; the CSV keeps every sample.
    void gpxHasOnePointPerFix_data()
    {
        QTest::addColumn<bool>("withFixTimes");
        QTest::addColumn<int>("points");
        QTest::newRow("with the clip's fix times") << true << 16;
        QTest::newRow("without fix times") << false << 13;
    }
    void gpxHasOnePointPerFix()
    {
        QFETCH(bool, withFixTimes);
        QFETCH(int, points);
        constexpr int kSeconds = 17;
        ClipWriter::TelemetryRoute route;
        for (int second = 0; second < kSeconds; ++second) {
            const int moved = second <= 5 ? second : second <= 8 ? 5 : second - 3; // stands still 5 … 8
            route.positions << ClipWriter::RoutePoint{37.5 + moved * 0.0003, 127.0 + moved * 0.0004};
            route.speedKnots << (second >= 5 && second <= 8 ? 0.0 : 10.0 + second);
        }
        route.lostFixSeconds = {12};
        route.accelSamplesPerSecond = 10;
        ClipWriter::ClipDescription d;
        d.durationMs = kSeconds * 1000;
        d.videoStreams = {ClipWriter::VideoStream{QSize(16, 16), {}, 50, 1}};
        d.route = route;
        const QString path = m_dir.filePath(QStringLiteral("REC_2012_05_14_10_20_31.avi"));
        QVERIFY(ClipWriter::writeAviClip(path, d));
        const ClipTelemetry clip = readClipTelemetry(path);
        QCOMPARE(clip.fixes.size(), kSeconds - 1);
        const TrackExport::Piece piece{clip.samples, 0, kStart,
                                       withFixTimes ? clip.fixes : QList<RecorderClock::FixTime>()};
        QXmlStreamReader xml(TrackExport::toGpx({piece}, QStringLiteral("drive")));
        QList<double> speedsKmh;
        QStringList times;
        int segments = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            segments += xml.name() == QLatin1String("trkseg");
            if (xml.name() == QLatin1String("speed"))
                speedsKmh << xml.readElementText().toDouble() * 3.6;
            else if (xml.name() == QLatin1String("time"))
                times << xml.readElementText();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(segments, 2);
        QCOMPARE(speedsKmh.size(), points);
        QCOMPARE(times.size(), points);
        QList<double> expected; // the speed of each fix, in km/h
        for (int second = 0; second < kSeconds; ++second) {
            const bool repeated = !withFixTimes && second >= 6 && second <= 8;
            if (second != 12 && !repeated)
                expected << route.speedKnots[second] * 1.852;
        }
        for (int i = 0; i < points; ++i)
            QVERIFY2(qAbs(speedsKmh[i] - expected[i]) < 0.6, qPrintable(QString::number(i)));
        // A point per second of the drive (the clip's samples are 101 ms apart), each at the start of
        // its sentence.
        QCOMPARE(times.first(), kStart.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QLatin1Char('Z'));
        const qint64 apart = QDateTime::fromString(times.at(1), Qt::ISODateWithMs).toMSecsSinceEpoch()
                             - QDateTime::fromString(times.at(0), Qt::ISODateWithMs).toMSecsSinceEpoch();
        QCOMPARE(apart, 1010);
        const QStringList csv = QString::fromUtf8(TrackExport::toCsv({piece})).trimmed().split(QLatin1Char('\n'));
        QCOMPARE(csv.size(), clip.samples.size() + 1);
    }

    // A real clip: the exports carry the decoded micro-degrees, not the dashboard's six digits.
    void clipExportsKeepMicroDegrees()
    {
        ClipWriter::ClipDescription d;
        d.durationMs = 3000;
        ClipWriter::TelemetryRoute route;
        route.positions = {{37.5331234, 126.9501234}, {37.5332345, 126.9502345}, {37.5333456, 126.9503456}};
        route.lostFixSeconds = {1};
        d.route = route;
        const QString clip = m_dir.filePath(QStringLiteral("REC_2012_05_14_10_20_30.avi"));
        QVERIFY(ClipWriter::writeAviClip(clip, d));
        const std::optional<QList<TelemetrySample>> samples = readClipTelemetry(clip).samples;
        TelemetryTrack track;
        track.setClipPath(clip);
        track.loadTrack(3000);
        QCOMPARE(*samples, track.samples()); // the same placing as the viewer, from the header's duration
        QCOMPARE(TrackExport::routeSegments(*samples).size(), 2);
        const TelemetrySample first = TrackExport::routeSegments(*samples).first().first();
        const QByteArray kml = TrackExport::document(Format::Kml, {{*samples, 0, QDateTime()}}, QFileInfo(clip).fileName());
        QVERIFY(kml.contains((at6(first.longitude) + ',' + at6(first.latitude)).toLatin1()));
        // The dashboard's six significant digits would be tens of micro-degrees off.
        const double shown = QString::number(first.latitude, 'g', 6).toDouble();
        QVERIFY(qAbs(shown - first.latitude) > 1e-5);
        QVERIFY(qAbs(at6(first.latitude).toDouble() - first.latitude) < 5e-7);
        const ClipTelemetry missing = readClipTelemetry(m_dir.filePath(QStringLiteral("missing.avi")));
        QVERIFY(!missing.summary.durationMs && missing.samples.isEmpty());
    }

    // A trip's clips as one track: a run of fixes goes on across a boundary (and stops where a
    // clip has none); time_ms runs on along the trip while each point keeps its own clip's true time.
    void piecesMakeOneTrack()
    {
        const QDateTime first(QDate(2025, 7, 2), QTime(0, 0, 14), Qt::UTC);
        const QList<TelemetrySample> fix{sample(0, 37.5, 127.0), sample(500, 37.5001, 127.0)};
        const QList<TelemetrySample> lost{sample(0, 0, 0), sample(500, 0, 0)};
        const QList<TrackExport::Piece> joined{{fix, 0, first}, {fix, 1000, first.addMSecs(1002)}, {lost, 2000, first.addSecs(2)},
                                               {fix, 3000, QDateTime()}};
        const QByteArray gpx = TrackExport::toGpx(joined, QStringLiteral("trip"));
        QCOMPARE(gpx.count("<trkseg>"), 2);
        QCOMPARE(gpx.count("<trkpt "), 6);
        QCOMPARE(gpx.count("<time>"), 4); // the last clip's start is unknown
        QVERIFY(gpx.contains("<time>2025-07-02T00:00:15.502Z</time>"));
        const QStringList csv = QString::fromUtf8(TrackExport::toCsv(joined)).trimmed().split(QLatin1Char('\n'));
        QCOMPARE(csv.size(), 9);
        QVERIFY(csv.at(3).startsWith(QLatin1String("1000,")));
        QVERIFY(csv.at(3).endsWith(QLatin1String(",2025-07-02T00:00:15.002Z")));
        QVERIFY(csv.at(8).startsWith(QLatin1String("3500,")));
        QVERIFY(csv.at(8).endsWith(QLatin1Char(',')));
        QVERIFY(TrackExport::hasPositions(joined));
        QVERIFY(!TrackExport::hasPositions(QList<TrackExport::Piece>{{lost, 0, first}}));
    }

    // Only new files and regular files are replaced; the replacement is whole or not at all.
    void exportFileTargets_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("written");
        QTest::newRow("new file") << "new" << true;
        QTest::newRow("existing regular file") << "regular" << true;
        QTest::newRow("link to a regular file") << "link" << true;
        QTest::newRow("named pipe") << "fifo" << false;
        QTest::newRow("device node") << "device" << false;
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("link to nothing") << "dangling" << false;
        QTest::newRow("folder that does not exist") << "missingFolder" << false;
    }
    void exportFileTargets()
    {
        QFETCH(QString, kind);
        QFETCH(bool, written);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("out.gpx"));
        const QString other = dir.filePath(QStringLiteral("other.gpx"));
        if (kind == QLatin1String("regular") || kind == QLatin1String("link")) {
            QFile old(kind == QLatin1String("link") ? other : path);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old contents, longer than the new") > 0);
            old.close();
            QVERIFY(old.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup)); // 0640
            if (kind == QLatin1String("link"))
                QVERIFY(QFile::link(other, path));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("device")) {
            path = QStringLiteral("/dev/null");
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("out.gpx")));
        } else if (kind == QLatin1String("dangling")) {
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere/x.gpx")), path));
        } else if (kind == QLatin1String("missingFolder")) {
            path = dir.filePath(QStringLiteral("nowhere/out.gpx"));
        }
        QString error;
        QCOMPARE(::writeExportFile(path, "new", &error), written);
        QCOMPARE(error.isEmpty(), written);
        const QFileInfo after(path);
        if (written) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("new"));
            QCOMPARE(after.isSymLink(), kind == QLatin1String("link")); // the link stays a link
            if (kind != QLatin1String("new")) { // a replaced file keeps its mode
                struct stat status {};
                QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
                QCOMPARE(status.st_mode & 07777, mode_t(0640));
            }
        } else if (kind == QLatin1String("fifo")) {
            struct stat status {};
            QCOMPARE(::lstat(QFile::encodeName(path).constData(), &status), 0);
            QVERIFY(S_ISFIFO(status.st_mode)); // still the pipe, not replaced by a file
        }
        // No temporary file is left behind.
        QStringList left =
            QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
        left.removeAll(QStringLiteral("out.gpx"));
        left.removeAll(QStringLiteral("other.gpx"));
        QCOMPARE(left, QStringList());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestTrackExport)
#include "tst_trackexport.moc"
