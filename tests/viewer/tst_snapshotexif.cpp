// Snapshot pictures read back: the EXIF the viewer writes, by the Exiv2 library and the exiv2 tool.
#include "viewer/snapshotexif.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

namespace {

using Tags = std::map<QString, QString>;

// Every EXIF tag of a picture as key → text, the way Exiv2 reads them.
Tags readTags(const QByteArray &bytes)
{
    Tags tags;
    Exiv2::Image::AutoPtr image =
        Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(bytes.constData()), long(bytes.size()));
    image->readMetadata();
    for (const Exiv2::Exifdatum &datum : image->exifData())
        tags[QString::fromStdString(datum.key())] = QString::fromStdString(datum.value().toString());
    return tags;
}

// A degrees/minutes/seconds rational triple as decimal degrees.
double decimalDegrees(const QString &rationals)
{
    const QStringList parts = rationals.split(QLatin1Char(' '));
    double value = 0;
    double unit = 1;
    for (const QString &part : parts) {
        const QStringList fraction = part.split(QLatin1Char('/'));
        value += fraction.value(0).toDouble() / fraction.value(1).toDouble() / unit;
        unit *= 60;
    }
    return value;
}

ShownMoment moment(double latitude, double longitude, const QDateTime &recordedAt, const QString &model)
{
    ShownMoment m;
    m.clipName = QStringLiteral("REC_2012_05_14_10_20_30.avi");
    m.positionMs = 1500;
    m.recordedAt = recordedAt;
    m.timeFromGps = true;
    m.sample.timeMs = 1400;
    m.sample.latitude = latitude;
    m.sample.longitude = longitude;
    m.sample.speedKmh = 100;
    m.model = model;
    return m;
}

QImage picture()
{
    QImage image(64, 36, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 160));
    return image;
}

// In the car's local time, whatever the computer's zone.
const QDateTime kRecordedAt(QDate(2012, 5, 14), QTime(10, 20, 31, 500), Qt::OffsetFromUTC, 9 * 3600);

} // namespace

class TestSnapshotExif : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("TZ", "EST5EDT"); }

    void jpegCarriesTimePlaceAndRecorder_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<QString>("latitudeRef");
        QTest::addColumn<QString>("longitudeRef");
        QTest::newRow("north-east, micro-degrees") << 37.533123 << 126.950626 << "N" << "E";
        QTest::newRow("south-west") << -33.868801 << -70.648312 << "S" << "W";
        QTest::newRow("just off the meridian and the equator") << 0.000001 << -0.000001 << "N" << "W";
        QTest::newRow("pole and date line") << 90.0 << 180.0 << "N" << "E";
    }
    void jpegCarriesTimePlaceAndRecorder()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(QString, latitudeRef);
        QFETCH(QString, longitudeRef);
        const QByteArray jpeg = SnapshotExif::encodeSnapshot(picture(), QStringLiteral("a-1ch-SD.jpg"),
                                                             moment(latitude, longitude, kRecordedAt, "QRD-7700"));
        QVERIFY(QImage::fromData(jpeg).size() == QSize(64, 36)); // still a picture
        const Tags tags = readTags(jpeg);
        QCOMPARE(tags.at("Exif.Photo.DateTimeOriginal"), QStringLiteral("2012:05:14 10:20:31"));
        QCOMPARE(tags.at("Exif.Photo.SubSecTimeOriginal"), QStringLiteral("500"));
        QCOMPARE(tags.at("Exif.Photo.OffsetTimeOriginal"), QStringLiteral("+09:00"));
        QCOMPARE(tags.at("Exif.GPSInfo.GPSDateStamp"), QStringLiteral("2012:05:14"));
        QCOMPARE(tags.at("Exif.GPSInfo.GPSTimeStamp"), QStringLiteral("1/1 20/1 31500/1000"));
        QCOMPARE(tags.at("Exif.GPSInfo.GPSLatitudeRef"), latitudeRef);
        QCOMPARE(tags.at("Exif.GPSInfo.GPSLongitudeRef"), longitudeRef);
        // Back to the same micro-degree.
        QCOMPARE(qRound64(decimalDegrees(tags.at("Exif.GPSInfo.GPSLatitude")) * 1e6), qRound64(qAbs(latitude) * 1e6));
        QCOMPARE(qRound64(decimalDegrees(tags.at("Exif.GPSInfo.GPSLongitude")) * 1e6), qRound64(qAbs(longitude) * 1e6));
        QCOMPARE(tags.at("Exif.GPSInfo.GPSSpeedRef"), QStringLiteral("K"));
        QCOMPARE(tags.at("Exif.GPSInfo.GPSSpeed"), QStringLiteral("100/1"));
        QCOMPARE(tags.at("Exif.Image.Make"), QStringLiteral("QRD-7700"));
        QCOMPARE(tags.at("Exif.Image.Model"), QStringLiteral("QRD-7700"));
    }

    // Only what is known goes in: no fix, no start in the name, an unrecognised recorder.
    void missingFactsAreLeftOut_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<QDateTime>("recordedAt");
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("fromGps");
        QTest::addColumn<QStringList>("absent");
        const QStringList gps{"Exif.GPSInfo.GPSLatitude", "Exif.GPSInfo.GPSLongitude", "Exif.GPSInfo.GPSSpeed"};
        const QStringList gpsTime{"Exif.GPSInfo.GPSDateStamp", "Exif.GPSInfo.GPSTimeStamp"};
        QTest::newRow("no fix") << 0.0 << kRecordedAt << "QRD-7700" << true << gps;
        QTest::newRow("no start in the name") << 37.5 << QDateTime() << "QRD-7700" << true
                                              << QStringList{"Exif.Photo.DateTimeOriginal"} + gpsTime;
        QTest::newRow("recorder not recognised") << 37.5 << kRecordedAt << "unknown" << true
                                                 << QStringList{"Exif.Image.Make", "Exif.Image.Model"};
        QTest::newRow("time by the recorder's clock alone") << 37.5 << kRecordedAt << "QRD-7700" << false << gpsTime;
    }
    void missingFactsAreLeftOut()
    {
        QFETCH(double, latitude);
        QFETCH(QDateTime, recordedAt);
        QFETCH(QString, model);
        QFETCH(bool, fromGps);
        QFETCH(QStringList, absent);
        ShownMoment m = moment(latitude, 127.0, recordedAt, model);
        m.timeFromGps = fromGps;
        const Tags tags = readTags(SnapshotExif::encodeSnapshot(picture(), QStringLiteral("a.JPG"), m));
        for (const QString &key : absent)
            QVERIFY2(!tags.count(key), qPrintable(key));
        QVERIFY(!tags.empty());
    }

    void pngStaysPlain()
    {
        const QByteArray png = SnapshotExif::encodeSnapshot(picture(), QStringLiteral("a-1ch-SD.png"),
                                                            moment(37.5, 127.0, kRecordedAt, "QRD-7700"));
        QVERIFY(png.startsWith("\x89PNG"));
        QVERIFY(readTags(png).empty());
        QVERIFY(!png.contains("eXIf") && !png.contains("Exif"));
    }

    void unusableInput_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("null picture") << QImage() << "a.jpg";
        QTest::newRow("extension no writer knows") << picture() << "a.ture";
    }
    void unusableInput()
    {
        QFETCH(QImage, image);
        QFETCH(QString, fileName);
        QVERIFY(SnapshotExif::encodeSnapshot(image, fileName, moment(37.5, 127.0, kRecordedAt, "QRD-7700")).isEmpty());
        QString error;
        QVERIFY(!SnapshotExif::withExif("not a jpeg", ShownMoment(), &error).has_value());
        QVERIFY(!error.isEmpty());
    }

    // The exiv2 tool reads the same values from a saved file.
    void exiv2ToolReadsTheFile()
    {
        const QString exiv2 = QStandardPaths::findExecutable(QStringLiteral("exiv2"));
        if (exiv2.isEmpty())
            QSKIP("the exiv2 tool is not installed (scripts/install-deps installs it)");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("shot-1ch-SD.jpg"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(SnapshotExif::encodeSnapshot(picture(), path, moment(-33.868801, 151.209296, kRecordedAt, "QRD-7700")));
        file.close();
        const auto run = [&exiv2, &path](const QString &option) {
            QProcess tool;
            tool.start(exiv2, {option, path});
            tool.waitForFinished(30000);
            return QString::fromUtf8(tool.readAllStandardOutput());
        };
        const QString shown = run(QStringLiteral("-pa"));
        for (const char *line : {"DateTimeOriginal\\s+Ascii\\s+20\\s+2012:05:14 10:20:31\n",
                                 "GPSLatitudeRef\\s+Ascii\\s+2\\s+South\n", "GPSLongitudeRef\\s+Ascii\\s+2\\s+East\n",
                                 "GPSSpeedRef\\s+Ascii\\s+2\\s+km/h\n", "GPSSpeed\\s+Rational\\s+1\\s+100/1\n",
                                 "Exif.Image.Model\\s+Ascii\\s+9\\s+QRD-7700\n"})
            QVERIFY2(shown.contains(QRegularExpression(QLatin1String(line))), qPrintable(QLatin1String(line) + shown));
        // The tool rounds seconds for display; the stored rationals keep the micro-degrees.
        const QString raw = run(QStringLiteral("-Pkv"));
        QVERIFY2(raw.contains(QRegularExpression(QStringLiteral("Exif.GPSInfo.GPSLatitude\\s+33/1 52/1 7683600/1000000\n"))),
                 qPrintable(raw));
        QVERIFY2(raw.contains(QRegularExpression(QStringLiteral("Exif.GPSInfo.GPSLongitude\\s+151/1 12/1 33465600/1000000\n"))),
                 qPrintable(raw));
    }
};

QTEST_GUILESS_MAIN(TestSnapshotExif)
#include "tst_snapshotexif.moc"
