#include "telemetry/telemetrytrack.h"
#include "generators/clipwriter/aviclipwriter.h"

#include <QSignalSpy>
#include <QThreadPool>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace ClipWriter;

namespace {

// A clip of `seconds` one-frame seconds whose telemetry the route describes.
bool writeClip(const QString &path, const TelemetryRoute &route, int seconds, int durationMs)
{
    ClipDescription d;
    d.videoStreams = {VideoStream{QSize(16, 16), {}, 50, 1}};
    d.framesPerSecond = 1;
    d.durationMs = durationMs;
    d.audio = true;
    d.audioSampleRate = 1000;
    d.telemetryChunks = synthesizeTelemetry(route, seconds);
    return writeAviClip(path, d);
}

QList<qint32> timesOf(const QList<TelemetrySample> &samples)
{
    QList<qint32> times;
    for (const TelemetrySample &s : samples)
        times.append(s.timeMs);
    return times;
}

} // namespace

class TestTelemetryTrack : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void timing_data();
    void timing();
    void hugeDurationKeepsTimesRising();
    void recordPositions_data();
    void recordPositions();
    void loadsAMinuteOfTelemetry();
    void loadWithoutTelemetry_data();
    void loadWithoutTelemetry();
    void loadWithoutPathChangesNothing();
    void loadTwiceReplacesTheSamples();
    void loadOnWorkerThread_data();
    void loadOnWorkerThread();
    void lookup_data();
    void lookup();
    void lookupBeforeLoadChangesNothing();
    void oneSampleTrackUsesAHundredMilliseconds();
    void gpsValidChangesAreSignalled();

private:
    QTemporaryDir m_dir;
    QString m_threeSeconds; // fix, lost fix, southern/western fix
};

void TestTelemetryTrack::initTestCase()
{
    QVERIFY(m_dir.isValid());
    TelemetryRoute route;
    route.positions = {{10.5, 20.25}, {10.5, 20.25}, {-33.5, -70.25}};
    route.speedKnots = {10, 0, 100};
    route.gForces = {{5, 6, 7}};
    route.lostFixSeconds = {1};
    m_threeSeconds = m_dir.filePath(QStringLiteral("REC_2012_05_14_10_20_30.avi"));
    QVERIFY(writeClip(m_threeSeconds, route, 3, 3000));
}

void TestTelemetryTrack::timing_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<qint64>("durationMs");
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("lastTime");
    QTest::newRow("one minute, aligned by one record") << 600 << qint64(60000) << 601 << 100 << 60000;
    QTest::newRow("59 s: 98.5 ms rounds up, no alignment") << 600 << qint64(59000) << 600 << 99 << 59301;
    QTest::newRow("half the records") << 300 << qint64(60000) << 301 << 200 << 60000;
    QTest::newRow("few records, gap under one interval") << 10 << qint64(60000) << 10 << 6010 << 54090;
    QTest::newRow("zero duration") << 600 << qint64(0) << 0 << 0 << 0;
    QTest::newRow("negative duration") << 600 << qint64(-100) << 0 << 0 << 0;
    QTest::newRow("no records") << 0 << qint64(60000) << 0 << 0 << 0;
    QTest::newRow("interval never below 1 ms") << 650 << qint64(1) << 650 << 1 << 649;
}

void TestTelemetryTrack::timing()
{
    QFETCH(int, records);
    QFETCH(qint64, durationMs);
    QFETCH(int, samples);
    QFETCH(int, interval);
    QFETCH(int, lastTime);
    TelemetryRecords raw{};
    for (int i = 0; i < kTelemetryCapacity; ++i)
        raw[i].accelX = qint16(i);
    const QList<TelemetrySample> placed = TelemetryTrack::placeRecords(raw.data(), records, durationMs);
    QCOMPARE(placed.size(), samples);
    if (samples == 0)
        return;
    const QList<qint32> times = timesOf(placed);
    for (int i = 0; i < times.size(); ++i)
        QCOMPARE(times.at(i), i * interval);
    QCOMPARE(times.last(), lastTime);
    // Aligned tracks repeat the first record over the beginning; every record appears in order.
    const int copies = samples - records;
    for (int i = 0; i < samples; ++i)
        QCOMPARE(placed.at(i).accelX, qint16(std::max(0, i - copies)));
}

void TestTelemetryTrack::hugeDurationKeepsTimesRising()
{
    TelemetryRecords raw{};
    const QList<TelemetrySample> placed = TelemetryTrack::placeRecords(raw.data(), 650, qint64(1) << 40);
    QVERIFY(placed.size() >= 650);
    for (int i = 1; i < placed.size(); ++i)
        QVERIFY(placed.at(i).timeMs > placed.at(i - 1).timeMs);
}

void TestTelemetryTrack::recordPositions_data()
{
    QTest::addColumn<char>("latHemisphere");
    QTest::addColumn<char>("lonHemisphere");
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::newRow("north east") << 'N' << 'E' << 37.390944 << 127.03539;
    QTest::newRow("south west") << 'S' << 'W' << -37.390944 << -127.03539;
    QTest::newRow("empty longitude hemisphere voids both") << 'N' << char(0) << 0.0 << 0.0;
    QTest::newRow("empty latitude hemisphere counts as south") << char(0) << 'E' << -37.390944 << 127.03539;
}

void TestTelemetryTrack::recordPositions()
{
    QFETCH(char, latHemisphere);
    QFETCH(char, lonHemisphere);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    RawTelemetryRecord record{1, 2, 3, 37390944, latHemisphere, 127035390, lonHemisphere, 185, {}};
    const QList<TelemetrySample> placed = TelemetryTrack::placeRecords(&record, 1, 50);
    QCOMPARE(placed.size(), 1);
    QCOMPARE(placed.first(), (TelemetrySample{0, 1, 2, 3, latitude, longitude, 185}));
}

void TestTelemetryTrack::loadsAMinuteOfTelemetry()
{
    TelemetryRoute route;
    route.positions = {{37.5, 127.25}};
    route.accelSamplesPerSecond = 10;
    const QString path = m_dir.filePath(QStringLiteral("minute.avi"));
    QVERIFY(writeClip(path, route, 60, 60000));
    TelemetryTrack track;
    QSignalSpy changed(&track, &TelemetryTrack::trackChanged);
    track.setClipPath(path);
    track.loadTrack(60000);
    QVERIFY(track.trackReady());
    QVERIFY(!track.noPositionInClip());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(track.samples().size(), 601);
    QCOMPARE(track.samples().first().timeMs, 0);
    QCOMPARE(track.samples().at(1).timeMs, 100);
    QCOMPARE(track.samples().last().timeMs, 60000);
    QCOMPARE(track.samples().last().latitude, 37.5);

    track.clearTrack();
    QCOMPARE(changed.count(), 2);
    QVERIFY(track.samples().isEmpty());
    QVERIFY(track.sampleAt(500).isNone());
    QVERIFY(!track.gpsValid());
}

void TestTelemetryTrack::loadWithoutTelemetry_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint64>("durationMs");
    TelemetryRoute zeroFix;
    zeroFix.positions = {{0, 0}};
    const QString zero = m_dir.filePath(QStringLiteral("zero.avi"));
    QVERIFY(writeClip(zero, zeroFix, 2, 2000));
    QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("none.avi")) << qint64(2000);
    QTest::newRow("zero duration with telemetry in the file") << m_threeSeconds << qint64(0);
    QTest::newRow("fix at zero coordinates") << zero << qint64(2000);
}

void TestTelemetryTrack::loadWithoutTelemetry()
{
    QFETCH(QString, path);
    QFETCH(qint64, durationMs);
    TelemetryTrack track;
    track.setClipPath(path);
    track.loadTrack(durationMs);
    QVERIFY(track.trackReady());
    QVERIFY(track.noPositionInClip());
    const TelemetrySample sample = track.sampleAt(100);
    QVERIFY(!sample.hasUsablePosition());
    QVERIFY(!track.gpsValid());
}

void TestTelemetryTrack::loadWithoutPathChangesNothing()
{
    TelemetryTrack track;
    track.setClipPath(m_threeSeconds);
    track.loadTrack(3000);
    QVERIFY(!track.noPositionInClip());
    track.setClipPath(QString());
    track.loadTrack(3000);
    QVERIFY(track.trackReady());
    QVERIFY(track.noPositionInClip());
    QCOMPARE(track.samples().size(), 30);
}

void TestTelemetryTrack::loadTwiceReplacesTheSamples()
{
    TelemetryTrack track;
    track.setClipPath(m_threeSeconds);
    track.loadTrack(3000);
    track.loadTrack(3000);
    QCOMPARE(track.samples().size(), 30);
    QCOMPARE(track.samples().last().timeMs, 29 * 103);
}

void TestTelemetryTrack::loadOnWorkerThread_data()
{
    QTest::addColumn<QString>("after"); // what happens before the worker's answer is taken
    QTest::addColumn<int>("samples");
    QTest::newRow("nothing: the answer is taken") << QString() << 30;
    QTest::newRow("a clear drops the answer") << QStringLiteral("clear") << 0;
    QTest::newRow("a newer load of another clip wins") << QStringLiteral("other") << 0;
    QTest::newRow("the track is gone") << QStringLiteral("delete") << -1;
}

// The samples arrive later by the event loop, and only when nothing newer was asked for meanwhile.
void TestTelemetryTrack::loadOnWorkerThread()
{
    QFETCH(QString, after);
    QFETCH(int, samples);
    auto track = std::make_unique<TelemetryTrack>();
    QSignalSpy changed(track.get(), &TelemetryTrack::trackChanged);
    track->setClipPath(m_threeSeconds);
    track->startLoading(3000);
    QVERIFY(track->isLoading());
    QVERIFY(!track->trackReady());
    QVERIFY(track->samples().isEmpty());
    if (after == QLatin1String("clear")) {
        track->clearTrack();
    } else if (after == QLatin1String("other")) {
        track->setClipPath(m_dir.filePath(QStringLiteral("REC_2012_05_14_10_59_59.avi"))); // no such clip
        track->startLoading(3000);
    } else if (after == QLatin1String("delete")) {
        track.reset();
    }
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents(); // the answers are queued for this thread
    if (!track)
        return;
    QVERIFY(!track->isLoading());
    QCOMPARE(track->samples().size(), samples);
    QCOMPARE(track->noPositionInClip(), samples == 0);
    QVERIFY(changed.count() >= 2);
}

void TestTelemetryTrack::lookup_data()
{
    // 30 records over 3,000 ms: interval (3,000 + 100) / 30 = 103.3 → 103 ms, no alignment.
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("time");
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::addColumn<int>("speed");
    QTest::addColumn<bool>("gpsValid");
    QTest::newRow("start") << 0 << 0 << 10.5 << 20.25 << 19 << true;
    QTest::newRow("inside the first interval") << 102 << 0 << 10.5 << 20.25 << 19 << true;
    QTest::newRow("no rounding to the nearer sample") << 205 << 103 << 10.5 << 20.25 << 19 << true;
    QTest::newRow("lost fix") << 1100 << 1030 << 0.0 << 0.0 << 0 << false;
    QTest::newRow("south west") << 2100 << 2060 << -33.5 << -70.25 << 185 << true;
    QTest::newRow("past the end gives the last") << 1000000 << 2987 << -33.5 << -70.25 << 185 << true;
    QTest::newRow("negative position") << -5 << -1 << 0.0 << 0.0 << 0 << false;
}

void TestTelemetryTrack::lookup()
{
    QFETCH(int, position);
    QFETCH(int, time);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    QFETCH(int, speed);
    QFETCH(bool, gpsValid);
    TelemetryTrack track;
    track.setClipPath(m_threeSeconds);
    track.loadTrack(3000);
    track.sampleAt(0); // start from a valid fix
    const TelemetrySample sample = track.sampleAt(position);
    QCOMPARE(sample.timeMs, time);
    QCOMPARE(sample.latitude, latitude);
    QCOMPARE(sample.longitude, longitude);
    QCOMPARE(sample.speedKmh, speed);
    QCOMPARE(track.gpsValid(), gpsValid);
    QCOMPARE(track.currentSample().latitude, latitude);
    QCOMPARE(track.currentSample().accelX, qint16(time < 0 ? 0 : 5));
}

void TestTelemetryTrack::lookupBeforeLoadChangesNothing()
{
    TelemetryTrack track;
    QSignalSpy spy(&track, &TelemetryTrack::gpsValidChanged);
    QVERIFY(track.sampleAt(100).isNone());
    QVERIFY(!track.trackReady());
    QCOMPARE(spy.count(), 0);
}

void TestTelemetryTrack::oneSampleTrackUsesAHundredMilliseconds()
{
    // The reader never yields a single record, but such a track must still answer: every
    // position maps to that one sample.
    RawTelemetryRecord record{1, 2, 3, 1000000, 'N', 2000000, 'E', 5, {}};
    const QList<TelemetrySample> placed = TelemetryTrack::placeRecords(&record, 1, 5000);
    QCOMPARE(timesOf(placed), QList<qint32>{0});
    TelemetryTrack track;
    track.setSamples(placed);
    QCOMPARE(track.sampleAt(0), placed.first());
    QCOMPARE(track.sampleAt(250), placed.first());
    QVERIFY(track.gpsValid());
    QVERIFY(track.sampleAt(-1).isNone());
}

void TestTelemetryTrack::gpsValidChangesAreSignalled()
{
    TelemetryTrack track;
    QSignalSpy spy(&track, &TelemetryTrack::gpsValidChanged);
    track.setClipPath(m_threeSeconds);
    track.loadTrack(3000);
    track.sampleAt(0);
    track.sampleAt(50);
    track.sampleAt(1100);
    track.sampleAt(1200);
    track.sampleAt(2100);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(spy.at(1).at(0).toBool(), false);
    QCOMPARE(spy.at(2).at(0).toBool(), true);
}

QTEST_GUILESS_MAIN(TestTelemetryTrack)
#include "tst_telemetrytrack.moc"
