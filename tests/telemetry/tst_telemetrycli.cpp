#include "generators/clipwriter/aviclipwriter.h"
#include "clirun.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ClipWriter;

namespace {

using Run = CliRun;

} // namespace

// Runs the qrd7700-cli binary on one generated clip and checks its exact output.
class TestTelemetryCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void output_data();
    void output();
    void gpxDocument();
    void gpxToFile();
    void kmlDocument();
    void gpxIntoFifo();
    void outputKeepsModeAndOwner_data();
    void outputKeepsModeAndOwner();
    void outputOnFullDiskSaysSo();
    void assumedZoneIsNoted();
    void failures_data();
    void failures();

private:
    Run run(const QStringList &arguments);
    QTemporaryDir m_dir;
    QString m_clip;
};

Run TestTelemetryCli::run(const QStringList &arguments)
{
    // The computer's zone plays no part in the times written: they are true UTC from the GPS.
    return runCli(arguments, QStringLiteral("EST5EDT"), m_dir.filePath(QStringLiteral("cache")));
}

void TestTelemetryCli::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("QRD7700_BINARY_DIR"))
        QSKIP("QRD7700_BINARY_DIR is not set: run this test through ctest");
    QVERIFY(m_dir.isValid());
    // Two seconds at 10 fps: two samples and a southern/western fix, then one sample and no fix.
    // The recorder's clock (the name) runs on the car's +09:00.
    const QDateTime time(QDate(2012, 5, 14), QTime(1, 20, 30), Qt::UTC);
    ClipDescription d;
    d.videoStreams = {VideoStream{QSize(16, 16), {}, 50, 1}};
    d.durationMs = 2000;
    d.telemetryChunks = {
        {accelPayload({1, 2, 3}), accelPayload({4, 5, 6}), rmcSentence(time, RoutePoint{-37.390945, -127.03539}, 100)},
        {accelPayload({-1, 0, 128}), rmcSentence(time.addSecs(1), std::nullopt, 0)},
    };
    m_clip = m_dir.filePath(QStringLiteral("REC_2012_05_14_10_20_30_I.avi"));
    QVERIFY(writeAviClip(m_clip, d));
}

void TestTelemetryCli::output_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    const QString fix1 = QStringLiteral("1,2,3,37390944,S,127035390,W,185\n");
    const QString fix2 = QStringLiteral("4,5,6,37390944,S,127035390,W,185\n");
    const QString lost = QStringLiteral("-1,0,128,0,N,0,E,0\n");
    QTest::newRow("records") << QStringList{QStringLiteral("records"), m_clip}
                             << "accel_x,accel_y,accel_z,lat_micro,lat_hemisphere,lon_micro,lon_hemisphere,speed_kmh\n"
                                    + fix1.repeated(5) + fix2.repeated(5) + lost.repeated(10);
    // 20 records over the header's 2,000 ms: 105 ms apart, no alignment; true UTC times from the
    // recording start in the name and the GPS clock.
    QString track = QStringLiteral("time_ms,accel_x,accel_y,accel_z,latitude,longitude,speed_kmh,time\n");
    for (int i = 0; i < 20; ++i) {
        const QString values = i < 5    ? QStringLiteral("1,2,3,-37.390944,-127.035390,185")
                               : i < 10 ? QStringLiteral("4,5,6,-37.390944,-127.035390,185")
                                        : QStringLiteral("-1,0,128,0.000000,0.000000,0");
        const QString time = QStringLiteral("2012-05-14T01:20:%1.%2Z")
                                 .arg(30 + i * 105 / 1000)
                                 .arg(i * 105 % 1000, 3, 10, QLatin1Char('0'));
        track += QString::number(i * 105) + ',' + values + ',' + time + '\n';
    }
    QTest::newRow("track, duration from the header") << QStringList{QStringLiteral("track"), m_clip} << track;
    QTest::newRow("track, zero duration")
        << QStringList{QStringLiteral("track"), m_clip, QStringLiteral("--duration-ms"), QStringLiteral("0")}
        << QStringLiteral("time_ms,accel_x,accel_y,accel_z,latitude,longitude,speed_kmh,time\n");
    const QString atHeader = QStringLiteral("time_ms,accel_x,accel_y,accel_z,latitude,longitude,speed_kmh,gps_valid\n");
    const auto at = [this](const char *position) {
        return QStringList{QStringLiteral("at"), m_clip, QStringLiteral("--duration-ms"), QStringLiteral("2000"),
                           QStringLiteral("--position-ms"), QLatin1String(position)};
    };
    QTest::newRow("at a fix") << at("600") << atHeader + "525,4,5,6,-37.390944,-127.035390,185,1\n";
    QTest::newRow("at the lost fix") << at("1500") << atHeader + "1470,-1,0,128,0.000000,0.000000,0,0\n";
    QTest::newRow("at a negative position") << at("-5") << atHeader + "-1,0,0,0,0.000000,0.000000,0,0\n";
}

void TestTelemetryCli::output()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    const Run result = run(arguments);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, expected);
}

void TestTelemetryCli::gpxDocument()
{
    const Run result = run({QStringLiteral("gpx"), m_clip});
    QCOMPARE(result.exitCode, 0);
    QXmlStreamReader xml(result.out);
    QStringList times;
    QStringList points;
    QStringList speeds;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("gpx")) {
            QCOMPARE(xml.namespaceUri(), QLatin1String("http://www.topografix.com/GPX/1/1"));
            QCOMPARE(xml.attributes().value(QLatin1String("version")), QLatin1String("1.1"));
        } else if (xml.name() == QLatin1String("trkpt")) {
            points.append(xml.attributes().value(QLatin1String("lat")).toString() + ' '
                          + xml.attributes().value(QLatin1String("lon")).toString());
        } else if (xml.name() == QLatin1String("time")) {
            times.append(xml.readElementText());
        } else if (xml.name() == QLatin1String("speed")) {
            speeds.append(xml.readElementText());
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    // One point for the one fix (its ten samples repeat it); the samples without a fix are left out.
    QCOMPARE(points, QStringList{QStringLiteral("-37.390944 -127.035390")});
    QCOMPARE(times, QStringList{QStringLiteral("2012-05-14T01:20:30.000Z")});
    QCOMPARE(speeds.first(), QStringLiteral("51.389")); // 185 km/h in m/s
}

void TestTelemetryCli::gpxToFile()
{
    const QString copy = m_dir.filePath(QStringLiteral("camera.avi")); // a name without a start time
    QVERIFY(QFile::copy(m_clip, copy));
    const QString output = m_dir.filePath(QStringLiteral("track.gpx"));
    const Run result = run({QStringLiteral("gpx"), copy, QStringLiteral("-o"), output});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QString());
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray document = file.readAll();
    QCOMPARE(document.count("<trkpt "), 1);
    QVERIFY(!document.contains("<time>"));
}

void TestTelemetryCli::kmlDocument()
{
    const Run result = run({QStringLiteral("kml"), m_clip});
    QCOMPARE(result.exitCode, 0);
    QXmlStreamReader xml(result.out);
    QStringList coordinates;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("coordinates"))
            coordinates << xml.readElementText();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    // One line of the ten samples with a fix, longitude first.
    QCOMPARE(coordinates, QStringList{QStringLiteral("-127.035390,-37.390944 ").repeated(10).trimmed()});
    // Written to a file, the same document.
    const QString output = m_dir.filePath(QStringLiteral("route.kml"));
    QCOMPARE(run({QStringLiteral("kml"), m_clip, QStringLiteral("-o"), output}).exitCode, 0);
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), result.out);
}

// A FIFO (or device) given to -o is written to, not replaced by a regular file.
void TestTelemetryCli::gpxIntoFifo()
{
    const QString fifo = m_dir.filePath(QStringLiteral("track.fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // The reading end is open before the tool starts, so its open for writing does not wait.
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    const Run result = run({QStringLiteral("gpx"), m_clip, QStringLiteral("-o"), fifo});
    QByteArray document(1 << 16, Qt::Uninitialized);
    const ssize_t got = ::read(reader, document.data(), size_t(document.size()));
    ::close(reader);
    struct stat info;
    QCOMPARE(::lstat(QFile::encodeName(fifo).constData(), &info), 0);
    QVERIFY(S_ISFIFO(info.st_mode));
    QCOMPARE(result.exitCode, 0);
    QVERIFY(got > 0);
    document.truncate(got);
    QCOMPARE(document.count("<trkpt "), 1);
}

// -o replaces a file whole, and the new file keeps the mode, owner and group of the one it replaces,
// also through a link (which stays a link).
void TestTelemetryCli::outputKeepsModeAndOwner_data()
{
    QTest::addColumn<bool>("throughLink");
    QTest::addColumn<uint>("mode");
    QTest::addColumn<bool>("otherUser"); // owned by another user (needs root)
    QTest::newRow("our file, mode 0640") << false << 0640u << false;
    QTest::newRow("our read-only file through a link") << true << 0444u << false;
    QTest::newRow("another user's read-only file through a link") << true << 0444u << true;
}

void TestTelemetryCli::outputKeepsModeAndOwner()
{
    QFETCH(bool, throughLink);
    QFETCH(uint, mode);
    QFETCH(bool, otherUser);
    constexpr uid_t kNobody = 65534;
    if (otherUser && ::geteuid() != 0)
        QSKIP("giving a file to another user needs root");
    if (!otherUser && mode == 0444u && ::geteuid() != 0)
        QSKIP("only root replaces a file it may not write");
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("track.gpx"));
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    const QByteArray native = QFile::encodeName(target);
    if (otherUser)
        QCOMPARE(::chown(native.constData(), kNobody, kNobody), 0);
    QCOMPARE(::chmod(native.constData(), mode), 0);
    struct stat before {};
    QCOMPARE(::stat(native.constData(), &before), 0);
    const QString given = throughLink ? dir.filePath(QStringLiteral("link.gpx")) : target;
    if (throughLink)
        QVERIFY(QFile::link(target, given));

    const Run result = run({QStringLiteral("gpx"), m_clip, QStringLiteral("-o"), given});
    QCOMPARE(result.exitCode, 0);
    struct stat after {};
    QCOMPARE(::stat(native.constData(), &after), 0);
    QCOMPARE(after.st_mode & 07777, mode_t(mode));
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QVERIFY(after.st_ino != before.st_ino); // replaced whole, not written over
    QCOMPARE(QFileInfo(given).isSymLink(), throughLink);
    QFile written(target);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll().count("<trkpt "), 1);
}

// A full file system is named as such (not "Unknown error"), and nothing is left of the attempt. The
// file system is a small one mounted in mount and user namespaces of the tool's own.
void TestTelemetryCli::outputOnFullDiskSaysSo()
{
    QTemporaryDir dir;
    const QString mountPoint = dir.filePath(QStringLiteral("full"));
    QVERIFY(QDir().mkpath(mountPoint));
    const QString script = QStringLiteral(
        "mount -t tmpfs -o size=64k full \"$1\" || exit 99; "
        "dd if=/dev/zero of=\"$1/fill\" bs=4k count=64 2>/dev/null; "
        "\"$2\" track \"$3\" -o \"$1/track.csv\"; code=$?; ls -A \"$1\" >&2; exit $code");
    QProcess process;
    process.start(QStringLiteral("unshare"),
                  {QStringLiteral("--user"), QStringLiteral("--map-root-user"), QStringLiteral("--mount"),
                   QStringLiteral("sh"), QStringLiteral("-c"), script, QStringLiteral("sh"), mountPoint,
                   qEnvironmentVariable("QRD7700_BINARY_DIR") + QStringLiteral("/tools/cli/qrd7700-cli"), m_clip});
    if (!process.waitForStarted())
        QSKIP("unshare is not installed");
    QVERIFY(process.waitForFinished(30000));
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    if (process.exitCode() == 99 || err.startsWith(QLatin1String("unshare:")))
        QSKIP(qPrintable(QStringLiteral("no file system of our own to fill here: ") + err));
    QCOMPARE(process.exitCode(), 1);
    QVERIFY2(err.startsWith(QStringLiteral("qrd7700-cli: %1/track.csv: No space left on device\n").arg(mountPoint)),
             qPrintable(err));
    QVERIFY2(err.endsWith(QLatin1String("\nfill\n")), qPrintable(err)); // no temporary file, no track.csv
}

// A clip without a GPS time: its times take the zone given (or the computer's), and stderr says so.
void TestTelemetryCli::assumedZoneIsNoted()
{
    ClipDescription d;
    d.videoStreams = {VideoStream{QSize(16, 16), {}, 50, 1}};
    d.durationMs = 1000;
    d.telemetryChunks = {{accelPayload({1, 2, 3}), rmcSentence(QDateTime(QDate(2012, 5, 14), QTime(10, 0), Qt::UTC),
                                                               std::nullopt, 0)}};
    const QString clip = m_dir.filePath(QStringLiteral("REC_2012_05_14_19_00_01.avi"));
    QVERIFY(writeAviClip(clip, d));
    const Run result = run({QStringLiteral("track"), clip, QStringLiteral("--tz"), QStringLiteral("+02:00")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, "qrd7700-cli: " + clip + ": no GPS time in this clip: times assume the zone +02:00\n");
    const QStringList lines = result.out.trimmed().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 11);
    QVERIFY2(lines.at(1).endsWith(QLatin1String(",2012-05-14T17:00:01.000Z")), qPrintable(lines.at(1)));
}

void TestTelemetryCli::failures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("errorStart");
    const QString missing = m_dir.filePath(QStringLiteral("missing.avi"));
    QTest::newRow("missing clip") << QStringList{QStringLiteral("records"), missing} << 1
                                  << "qrd7700-cli: " + missing + ": ";
    // A folder is a card: it needs the number of a trip.
    QTest::newRow("folder without --trip") << QStringList{QStringLiteral("track"), m_dir.path()} << 2
                                           << QStringLiteral("qrd7700-cli track: ");
    const QString text = m_dir.filePath(QStringLiteral("notes.txt"));
    QFile notes(text);
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("not a clip\n") > 0);
    notes.close();
    QTest::newRow("track of a file without AVI header") << QStringList{QStringLiteral("track"), text} << 1
                                                        << "qrd7700-cli: " + text + ": ";
    // Files that are no AVI clip are refused by every subcommand, whatever they hold.
    const QString noise = m_dir.filePath(QStringLiteral("REC_2012_05_14_10_20_31.avi"));
    QFile random(noise);
    QVERIFY(random.open(QIODevice::WriteOnly));
    QByteArray bytes(8192, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    random.write(bytes);
    random.close();
    const QStringList timing{QStringLiteral("--duration-ms"), QStringLiteral("2000")};
    QTest::newRow("records of random bytes") << QStringList{QStringLiteral("records"), noise} << 1
                                             << "qrd7700-cli: " + noise + ": ";
    QTest::newRow("at of random bytes")
        << QStringList{QStringLiteral("at"), noise} + timing + QStringList{QStringLiteral("--position-ms"), "0"} << 1
        << "qrd7700-cli: " + noise + ": ";
    QTest::newRow("track of random bytes with a duration") << QStringList{QStringLiteral("track"), noise} + timing
                                                           << 1 << "qrd7700-cli: " + noise + ": ";
    QTest::newRow("gpx of random bytes with a duration") << QStringList{QStringLiteral("gpx"), noise} + timing << 1
                                                         << "qrd7700-cli: " + noise + ": ";
    const QString fifo = m_dir.filePath(QStringLiteral("clip.fifo"));
    QFile::remove(fifo);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QTest::newRow("records of a FIFO") << QStringList{QStringLiteral("records"), fifo} << 1
                                       << "qrd7700-cli: " + fifo + ": ";
    // A main header whose frame time and frame count are both 0xFFFFFFFF: the product overflows.
    const QString forged = m_dir.filePath(QStringLiteral("forged.avi"));
    QFile::remove(forged);
    QVERIFY(QFile::copy(m_clip, forged));
    QFile header(forged);
    QVERIFY(header.open(QIODevice::ReadWrite));
    const qsizetype avih = header.read(4096).indexOf("avih");
    QVERIFY(avih > 0);
    QVERIFY(header.seek(avih + 8) && header.write("\xff\xff\xff\xff") == 4);
    QVERIFY(header.seek(avih + 8 + 16) && header.write("\xff\xff\xff\xff") == 4);
    header.close();
    QTest::newRow("track of a clip whose header duration overflows") << QStringList{QStringLiteral("track"), forged}
                                                                     << 1 << "qrd7700-cli: " + forged + ": ";
    QTest::newRow("no clip") << QStringList{QStringLiteral("records")} << 2 << QStringLiteral("qrd7700-cli records: ");
    QTest::newRow("two clips") << QStringList{QStringLiteral("records"), m_clip, m_clip} << 2
                               << QStringLiteral("qrd7700-cli records: ");
    QTest::newRow("at without position")
        << QStringList{QStringLiteral("at"), m_clip, QStringLiteral("--duration-ms"), QStringLiteral("10")} << 2
        << QStringLiteral("qrd7700-cli at: ");
    QTest::newRow("duration beyond 2^31 - 1 ms")
        << QStringList{QStringLiteral("track"), m_clip, QStringLiteral("--duration-ms"), QStringLiteral("2147483648")}
        << 2 << QStringLiteral("qrd7700-cli track: ");
    QTest::newRow("duration of 2^63 - 1 ms")
        << QStringList{QStringLiteral("gpx"), m_clip, QStringLiteral("--duration-ms"),
                       QStringLiteral("9223372036854775807")}
        << 2 << QStringLiteral("qrd7700-cli gpx: ");
    QTest::newRow("negative duration")
        << QStringList{QStringLiteral("track"), m_clip, QStringLiteral("--duration-ms"), QStringLiteral("-1")} << 2
        << QStringLiteral("qrd7700-cli track: ");
    // A clip whose only sentence has no fix: no route to write, and no file.
    ClipDescription d;
    d.videoStreams = {VideoStream{QSize(16, 16), {}, 50, 1}};
    d.telemetryChunks = {{accelPayload({1, 2, 3}), rmcSentence(QDateTime(QDate(2012, 5, 14), QTime(10, 0), Qt::UTC),
                                                               std::nullopt, 0)}};
    const QString noFix = m_dir.filePath(QStringLiteral("REC_2012_05_14_19_00_00.avi"));
    QVERIFY(writeAviClip(noFix, d));
    const QString unwritten = m_dir.filePath(QStringLiteral("unwritten.gpx"));
    QTest::newRow("gpx of a clip without positions")
        << QStringList{QStringLiteral("gpx"), noFix, QStringLiteral("-o"), unwritten} << 1
        << "qrd7700-cli: " + noFix + ": no positions in this clip";
    QTest::newRow("kml of a clip without positions") << QStringList{QStringLiteral("kml"), noFix} << 1
                                                     << "qrd7700-cli: " + noFix + ": no positions in this clip";
    QTest::newRow("a zone that names none") << QStringList{QStringLiteral("track"), m_clip, QStringLiteral("--tz"),
                                                           QStringLiteral("Mars/Olympus")}
                                            << 2 << QStringLiteral("qrd7700-cli track: ");
    QTest::newRow("a trip of a clip") << QStringList{QStringLiteral("gpx"), m_clip, QStringLiteral("--trip"), QStringLiteral("1")}
                                      << 2 << QStringLiteral("qrd7700-cli gpx: ");
    QTest::newRow("trip 0") << QStringList{QStringLiteral("kml"), m_dir.path(), QStringLiteral("--trip"), QStringLiteral("0")}
                            << 2 << QStringLiteral("qrd7700-cli kml: ");
    QTest::newRow("option of another subcommand") << QStringList{QStringLiteral("records"), m_clip, QStringLiteral("-o"), QStringLiteral("x")}
                                                  << 2 << QStringLiteral("qrd7700-cli records: ");
}

void TestTelemetryCli::failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, errorStart);
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.out, QString());
    QVERIFY2(result.err.startsWith(errorStart), qPrintable(result.err));
    if (exitCode == 1)
        QCOMPARE(result.err.count('\n'), 1);
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("unwritten.gpx"))));
}

QTEST_GUILESS_MAIN(TestTelemetryCli)
#include "tst_telemetrycli.moc"
