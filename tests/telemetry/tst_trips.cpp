// Trips put together from clip summaries: continuation across short gaps, events inside a trip's
// span, true times from the clips' clock offsets, and a card of real generated clips.
#include "telemetry/trips.h"
#include "generators/clipwriter/aviclipwriter.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace RecorderClock;

namespace {

constexpr qint64 kHour = 3600 * 1000;
constexpr qint64 kMinute = 60 * 1000;

// A clip summary as the card's index makes it: the name gives kind and recorder start.
ClipSummary clip(const QString &name, qint64 durationMs, std::optional<qint64> offsetMs = {}, double distanceM = 0,
                 std::optional<int> maxSpeed = {})
{
    ClipSummary c;
    c.path = QStringLiteral("/card/") + name;
    c.name = name;
    c.kind = name.startsWith(QLatin1String("EVS"), Qt::CaseInsensitive) ? 2
             : name.startsWith(QLatin1String("REC"), Qt::CaseInsensitive) ? 1 : 0;
    c.recorderStartMs = stampFromName(name);
    if (durationMs > 0)
        c.durationMs = durationMs;
    c.ownOffsetMs = offsetMs;
    c.distanceM = distanceM;
    c.maxSpeedKmh = maxSpeed;
    return c;
}

QByteArray box(const char *type, const QByteArray &payload)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(quint32(payload.size() + 8), bytes.data());
    return bytes + QByteArray(type, 4) + payload;
}

QByteArray be32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

// A movie header of version 0 (32-bit fields) or 1 (64-bit times and duration).
QByteArray movieHeader(int version, quint32 scale, quint64 duration)
{
    if (version == 0)
        return box("mvhd", be32(0) + be32(1) + be32(2) + be32(scale) + be32(quint32(duration)) + QByteArray(80, '\0'));
    return box("mvhd", be32(0x01000000) + QByteArray(16, '\1') + be32(scale) + be32(quint32(duration >> 32))
                           + be32(quint32(duration)) + QByteArray(80, '\0'));
}

QString names(const QList<TripClip> &parts)
{
    QStringList list;
    for (const TripClip &part : parts)
        list << part.clip.name.section(QLatin1Char('_'), 4, -1) + QLatin1Char('@') + QString::number(part.offsetMs / 1000);
    return list.join(QLatin1Char(' '));
}

// One line per trip: UTC span, clips and events (time part of the name @ seconds on the time line),
// length, distance, top speed, zone and clock error.
QString describe(const Trip &trip)
{
    return QStringLiteral("%1..%2 [%3] {%4} %5s %6m %7 %8 %9")
        .arg(isoUtc(trip.startUtcMs), isoUtc(trip.endUtcMs), names(trip.clips), names(trip.events))
        .arg(trip.durationMs / 1000)
        .arg(qRound64(trip.distanceM))
        .arg(trip.maxSpeedKmh ? QString::number(*trip.maxSpeedKmh) + QStringLiteral("kmh") : QStringLiteral("-"))
        .arg(offsetText(trip.zoneMs))
        .arg(trip.clockErrorMs ? QString::number(*trip.clockErrorMs / 1000) + QLatin1Char('s') : QStringLiteral("?"));
}

} // namespace

class TestTrips : public QObject
{
    Q_OBJECT

private slots:
    void trips_data();
    void trips();
    void placeOnTheTimeLine();
    void clipLengths_data();
    void clipLengths();
    void cardOfGeneratedClips();
    void recentClockError_data();
    void recentClockError();
};

void TestTrips::recentClockError_data()
{
    QTest::addColumn<QList<ClipSummary>>("clips");
    QTest::addColumn<std::optional<qint64>>("errorMs");
    // Clips one minute apart from 08:00, each with the given clock offset (nothing: no fix).
    const auto drive = [](QList<std::optional<qint64>> offsets) {
        QList<ClipSummary> clips;
        for (int i = 0; i < offsets.size(); ++i)
            clips << clip(QStringLiteral("REC_2025_07_02_%1_%2_00.avi").arg(8 + i / 60, 2, 10, QLatin1Char('0'))
                              .arg(i % 60, 2, 10, QLatin1Char('0')), kMinute, offsets.at(i));
        return clips;
    };
    const qint64 seoul = 9 * kHour;
    QTest::newRow("no clip with a fix") << drive({{}, {}}) << std::optional<qint64>();
    QList<std::optional<qint64>> drifted(12, seoul);
    drifted += QList<std::optional<qint64>>(10, seoul + 75000);
    QTest::newRow("the newest clips tell, after the clock drifted") << drive(drifted) << std::optional<qint64>(75000);
    QList<std::optional<qint64>> odd(9, seoul - 120000);
    odd += {std::optional<qint64>(), std::optional<qint64>(seoul + 900000)};
    QTest::newRow("the median of them, not one odd clip; clips without a fix do not count")
        << drive(odd) << std::optional<qint64>(-120000);
}

// What the settings editor tells about the recorder's clock.
void TestTrips::recentClockError()
{
    QFETCH(QList<ClipSummary>, clips);
    QFETCH(std::optional<qint64>, errorMs);
    QCOMPARE(recentClockErrorMs(clips), errorMs);
}

void TestTrips::trips_data()
{
    QTest::addColumn<QList<ClipSummary>>("clips");
    QTest::addColumn<QStringList>("trips");
    const qint64 seoulFast = 9 * kHour + 75000;
    QTest::newRow("a gap of 2 s continues the trip")
        << QList<ClipSummary>{clip("REC_2025_07_02_09_00_14.avi", kMinute, seoulFast),
                              clip("REC_2025_07_02_09_01_16.avi", kMinute, seoulFast)}
        << QStringList{"2025-07-01T23:58:59Z..2025-07-02T00:01:01Z [09_00_14.avi@0 09_01_16.avi@60] {} 120s 0m - "
                       "+09:00 75s"};
    QTest::newRow("a gap of 4 s starts a new trip")
        << QList<ClipSummary>{clip("REC_2025_07_02_09_00_14.avi", kMinute, seoulFast),
                              clip("REC_2025_07_02_09_01_18.avi", kMinute, seoulFast)}
        << QStringList{"2025-07-01T23:58:59Z..2025-07-01T23:59:59Z [09_00_14.avi@0] {} 60s 0m - +09:00 75s",
                       "2025-07-02T00:00:03Z..2025-07-02T00:01:03Z [09_01_18.avi@0] {} 60s 0m - +09:00 75s"};
    QTest::newRow("zone +9 h, recorder 75 s fast, events by time not by name")
        << QList<ClipSummary>{clip("REC_2025_07_02_09_01_14.avi", kMinute, seoulFast, 900, 72),
                              clip("EVS_2025_07_02_09_00_45_I.avi", 20000, seoulFast),
                              clip("REC_2025_07_02_09_00_14.avi", kMinute, seoulFast, 1000, 80),
                              clip("EVS_2025_07_02_08_59_00_M.avi", 20000, seoulFast),
                              clip("EVS_2025_07_02_09_02_14_P.avi", 20000, seoulFast)}
        << QStringList{"2025-07-01T23:58:59Z..2025-07-02T00:00:59Z [09_00_14.avi@0 09_01_14.avi@60] "
                       "{09_00_45_I.avi@31 09_02_14_P.avi@120} 120s 1900m 80kmh +09:00 75s"};
    QTest::newRow("a card without any fix uses the fallback zone")
        << QList<ClipSummary>{clip("REC_2025_07_02_09_00_14.avi", kMinute), clip("REC_2025_07_02_09_01_14.avi", kMinute)}
        << QStringList{"2025-07-02T07:00:14Z..2025-07-02T07:02:14Z [09_00_14.avi@0 09_01_14.avi@60] {} 120s 0m - "
                       "+02:00 ?"};
    QTest::newRow("a clip spanning midnight")
        << QList<ClipSummary>{clip("REC_2025_07_02_23_59_30.avi", kMinute, 9 * kHour),
                              clip("REC_2025_07_03_00_00_30.avi", kMinute, 9 * kHour)}
        << QStringList{"2025-07-02T14:59:30Z..2025-07-02T15:01:30Z [23_59_30.avi@0 00_00_30.avi@60] {} 120s 0m - "
                       "+09:00 0s"};
    QTest::newRow("a trip without a fix borrows the nearest clip's offset, its error stays unknown")
        << QList<ClipSummary>{clip("REC_2025_07_02_09_00_14.avi", kMinute, seoulFast),
                              clip("REC_2025_07_02_10_00_00.avi", kMinute),
                              clip("REC_2025_07_02_18_00_00.avi", kMinute, 9 * kHour - 20000)}
        << QStringList{"2025-07-01T23:58:59Z..2025-07-01T23:59:59Z [09_00_14.avi@0] {} 60s 0m - +09:00 75s",
                       "2025-07-02T00:58:45Z..2025-07-02T00:59:45Z [10_00_00.avi@0] {} 60s 0m - +09:00 ?",
                       "2025-07-02T09:00:20Z..2025-07-02T09:01:20Z [18_00_00.avi@0] {} 60s 0m - +09:00 -20s"};
    QTest::newRow("clips without a stamp or a length belong to no trip")
        << QList<ClipSummary>{clip("REC_2025_07_02_09_00_14.avi", kMinute, 0), clip("REC_2025_07_02_09_01_14.avi", 0, 0),
                              clip("REC_2025_13_02_09_02_14.avi", kMinute, 0), clip("movie.avi", kMinute, 0),
                              clip("REC_2025_07_02_09_02_14.avi", kMinute, 0)}
        << QStringList{"2025-07-02T09:00:14Z..2025-07-02T09:01:14Z [09_00_14.avi@0] {} 60s 0m - +00:00 0s",
                       "2025-07-02T09:02:14Z..2025-07-02T09:03:14Z [09_02_14.avi@0] {} 60s 0m - +00:00 0s"};
    QTest::newRow("no clips") << QList<ClipSummary>{} << QStringList{};
}

void TestTrips::trips()
{
    QFETCH(QList<ClipSummary>, clips);
    QFETCH(QStringList, trips);
    QStringList described;
    for (const Trip &trip : buildTrips(clips, FallbackZone(QTimeZone(2 * 3600))))
        described << describe(trip);
    QCOMPARE(described, trips);
}

void TestTrips::placeOnTheTimeLine()
{
    const QList<Trip> trips = buildTrips({clip("REC_2025_07_02_09_00_14.avi", 60500), clip("REC_2025_07_02_09_01_14.avi", kMinute)},
                                         FallbackZone(QTimeZone(0)));
    QCOMPARE(trips.size(), 1);
    const Trip &trip = trips.first();
    const auto place = [&trip](qint64 ms) {
        const std::optional<Trip::Place> p = trip.placeOf(ms);
        return p ? QStringLiteral("%1:%2").arg(p->clip).arg(p->positionMs) : QString();
    };
    QCOMPARE(place(-5), QStringLiteral("0:0"));
    QCOMPARE(place(60499), QStringLiteral("0:60499"));
    QCOMPARE(place(60500), QStringLiteral("1:0")); // the clips lie end to end, overlap or not
    QCOMPARE(place(200000), QStringLiteral("1:60000"));
    QCOMPARE(Trip().placeOf(0), std::nullopt);
}

void TestTrips::clipLengths_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("durationMs"); // -1: none
    const QByteArray ftyp = box("ftyp", "isom\0\0\2\0isomiso2");
    const QByteArray mdat = box("mdat", QByteArray(3000, 'x'));
    QTest::newRow("MP4, movie box after the media") << ftyp + mdat + box("moov", movieHeader(0, 1000, 60033)) << qint64(60033);
    QTest::newRow("MP4, version 1 header, 90 kHz") << ftyp + box("moov", box("free", "abc") + movieHeader(1, 90000, 5400000))
                                                    << qint64(60000);
    QTest::newRow("MP4, unknown duration") << ftyp + box("moov", movieHeader(0, 1000, 0xffffffffu)) << qint64(-1);
    QTest::newRow("MP4, zero time scale") << ftyp + box("moov", movieHeader(0, 0, 5000)) << qint64(-1);
    QTest::newRow("MP4, 64-bit duration that overflows") << ftyp + box("moov", movieHeader(1, 1, ~quint64(0) - 1))
                                                          << qint64(-1);
    QByteArray cut = ftyp + box("moov", movieHeader(0, 1000, 60000));
    QTest::newRow("MP4, movie header cut short") << cut.left(cut.size() - 90) << qint64(-1);
    QByteArray huge = ftyp + box("moov", movieHeader(0, 1000, 60000));
    qToBigEndian(quint32(0x7fffffff), huge.data() + ftyp.size());
    QTest::newRow("MP4, box size past the end") << huge << qint64(-1);
    QByteArray zeroSize = ftyp + box("moov", movieHeader(0, 1000, 60000));
    qToBigEndian(quint32(0), zeroSize.data() + ftyp.size());
    QTest::newRow("MP4, last box sized to the end of the file") << zeroSize << qint64(60000);
    QTest::newRow("neither AVI nor MP4") << QByteArray("just some text in a file") << qint64(-1);
    QTest::newRow("empty file") << QByteArray() << qint64(-1);
}

void TestTrips::clipLengths()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, durationMs);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("REC_2025_07_02_09_00_14.mp4")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    const ClipTelemetry read = readClipTelemetry(file.fileName());
    QCOMPARE(read.summary.durationMs.value_or(-1), durationMs);
    QVERIFY(read.samples.isEmpty());
}

// Generated clips, read as the card's index reads them: the true time comes from the sentences'
// own date and time, the distance from the route, the boundary joined.
void TestTrips::cardOfGeneratedClips()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QDateTime recorder(QDate(2025, 7, 2), QTime(23, 59, 40), Qt::UTC); // naive
    const QDateTime utc = recorder.addSecs(-9 * 3600 - 75);
    QList<ClipSummary> summaries;
    for (int i = 0; i < 2; ++i) {
        ClipWriter::ClipDescription d;
        d.videoStreams = {ClipWriter::VideoStream{QSize(16, 16), {}, 50, 1}};
        d.framesPerSecond = 2;
        d.durationMs = 10000;
        ClipWriter::TelemetryRoute route;
        route.startUtc = utc.addSecs(i * 10);
        for (int s = 0; s < 10; ++s)
            route.positions.append({37.5 + (i * 10 + s) * 0.0001, 127.0});
        route.speedKnots = {20};
        route.accelSamplesPerSecond = 2;
        d.route = route;
        const QString name = recorder.addSecs(i * 10).toString(QStringLiteral("'REC_'yyyy_MM_dd_HH_mm_ss'.avi'"));
        QVERIFY(ClipWriter::writeAviClip(dir.filePath(name), d));
        summaries.append(readClipTelemetry(dir.filePath(name)).summary);
    }
    QCOMPARE(summaries.first().fixCount, 10);
    const QList<Trip> trips = buildTrips(summaries, FallbackZone(QTimeZone(0)));
    QCOMPARE(trips.size(), 1);
    QCOMPARE(isoUtc(trips.first().startUtcMs), QStringLiteral("2025-07-02T14:58:25Z"));
    QCOMPARE(isoUtc(trips.first().endUtcMs), QStringLiteral("2025-07-02T14:58:45Z"));
    QCOMPARE(trips.first().zoneMs, 9 * kHour);
    QCOMPARE(trips.first().clockErrorMs, std::optional<qint64>(75000));
    QCOMPARE(trips.first().maxSpeedKmh, std::optional<int>(37));
    // 19 steps of 0.0001° of latitude (11.1 m each) along the two clips and across their boundary.
    QVERIFY2(qAbs(trips.first().distanceM - 19 * 11.12) < 1.0, qPrintable(QString::number(trips.first().distanceM)));
}

QTEST_GUILESS_MAIN(TestTrips)
#include "tst_trips.moc"
