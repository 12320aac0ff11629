#include "telemetry/eventdetection.h"
#include "generators/clipwriter/drivesynthesis.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <limits>
#include <optional>

using namespace ClipWriter;
using namespace EventDetection;

namespace {

using Settings = QMap<QString, QString>;

// The drive as the track reader places it: ten samples a second, 100 ms apart, each second's
// samples with that second's speed and position (none without GPS).
QList<TelemetrySample> trackOf(const SynthesizedDrive &drive, bool gps = true)
{
    const int every = std::max(1, drive.samplesPerSecond / 10);
    QList<TelemetrySample> samples;
    for (int k = 0; k * every < drive.forces.size(); ++k) {
        const GForce &force = drive.forces.at(k * every);
        TelemetrySample sample;
        sample.timeMs = k * 100;
        sample.accelX = qint16(force.x);
        sample.accelY = qint16(force.y);
        sample.accelZ = qint16(force.z);
        const int second = std::min<int>(k / 10, drive.speedKmh.size() - 1);
        if (gps) {
            sample.latitude = drive.positions.at(second).latitude;
            sample.longitude = drive.positions.at(second).longitude;
            sample.speedKmh = int(std::lround(drive.speedKmh.at(second)));
        }
        samples.append(sample);
    }
    return samples;
}

QList<DrivingEvent> eventsIn(const QList<TelemetrySample> &samples, const EventThresholds &thresholds = {})
{
    const PreparedTrack track(samples);
    return detectEvents(track, thresholds, forwardDirection(longitudinalEvidence(track)));
}

struct Expected
{
    EventKind kind;
    double atSeconds;
    double peakG;
    std::optional<int> speedBefore = std::nullopt; // checked to ±3 km/h when given
    std::optional<int> speedAfter = std::nullopt;
};

// Ten minutes at 80 km/h with one of each event, a minute and more apart: a braking of 0.5 g over
// 3 s, an impact of 0.9 g for 100 ms, a lane change of 0.5 g over 1 s, a start of 0.4 g over 2 s.
DriveScenario tenMinutes(QList<Push> pushes, double pitch, double roll, bool backwards = false)
{
    DriveScenario scenario;
    scenario.seconds = 600;
    scenario.pushes = pushes;
    scenario.pitchDegrees = pitch;
    scenario.rollDegrees = roll;
    scenario.mountedBackwards = backwards;
    scenario.seed = 7700;
    return scenario;
}

const QList<Push> kFourEvents = {{60, 3, -0.5}, {150.5, 0.1, 0.9}, {240, 1, 0, 0.5}, {330, 2, 0.4}};
const QList<Expected> kFourFound = {{EventKind::HardBrake, 60, 0.5, 80, 27},
                                    {EventKind::Impact, 150.5, 0.9},
                                    {EventKind::SharpTurn, 240, 0.5},
                                    {EventKind::HardAcceleration, 330, 0.4, 30, 58}};

QString describe(const QList<DrivingEvent> &events)
{
    QStringList lines;
    for (const DrivingEvent &e : events)
        lines.append(QStringLiteral("%1 at %2 ms, %3 g").arg(eventKindName(e.kind)).arg(e.offsetMs).arg(e.peakG));
    return lines.join(QLatin1String("; "));
}

} // namespace

Q_DECLARE_METATYPE(DriveScenario)
Q_DECLARE_METATYPE(QList<Expected>)
Q_DECLARE_METATYPE(QList<TelemetrySample>)

// The detection on generated drives: what it must find, where, and what it must not.
class TestEventDetection : public QObject
{
    Q_OBJECT

private slots:
    void drives_data();
    void drives();
    void speedDrops_data();
    void speedDrops();
    void hostileTracks_data();
    void hostileTracks();
    void orderOfSamplesDoesNotMatter();
    void raisedThresholdsSilenceTheDrive();
    void thresholdOverrides_data();
    void thresholdOverrides();
};

void TestEventDetection::drives_data()
{
    QTest::addColumn<DriveScenario>("scenario");
    QTest::addColumn<bool>("gps");
    QTest::addColumn<QList<Expected>>("expected");

    QTest::newRow("steady ten minutes, tilted 10° forward") << tenMinutes({}, 10, 0) << true << QList<Expected>();
    QTest::newRow("steady ten minutes, tilted 10° sideways") << tenMinutes({}, 0, 10) << true << QList<Expected>();
    QTest::newRow("steady ten minutes, tilted both ways, backwards, no GPS")
        << tenMinutes({}, 10, -10, true) << false << QList<Expected>();
    QTest::newRow("four events, tilted forward") << tenMinutes(kFourEvents, 10, 0) << true << kFourFound;
    QTest::newRow("four events, tilted sideways") << tenMinutes(kFourEvents, 0, 10) << true << kFourFound;
    QTest::newRow("four events, mounted backwards: the drive tells forward")
        << tenMinutes(kFourEvents, 10, 0, true) << true << kFourFound;
    QList<Expected> withoutSpeeds = kFourFound;
    for (Expected &e : withoutSpeeds)
        e.speedBefore = e.speedAfter = std::nullopt;
    QTest::newRow("four events without GPS") << tenMinutes(kFourEvents, 10, 0) << false << withoutSpeeds;
    // Without GPS nothing tells which way the recorder faces: negative X is braking. (The start is
    // stronger here, to clear the brake's threshold when it reads as one.)
    QList<Push> strongStart = kFourEvents;
    strongStart.last().forwardG = 0.5;
    QTest::newRow("mounted backwards without GPS: the brake reads as a start")
        << tenMinutes(strongStart, 10, 0, true) << false
        << QList<Expected>{{EventKind::HardAcceleration, 60, 0.5},
                           {EventKind::Impact, 150.5, 0.9},
                           {EventKind::SharpTurn, 240, 0.5},
                           {EventKind::HardBrake, 330, 0.5}};
    QTest::newRow("impacts on every axis, either way")
        << tenMinutes({{30.5, 0.1, -0.9}, {60.5, 0.1, 0, 0.9}, {90.5, 0.1, 0, -0.9}, {120.5, 0.1, 0, 0, 0.9}}, 10, 0)
        << true
        << QList<Expected>{{EventKind::Impact, 30.5, 0.9},
                           {EventKind::Impact, 60.5, 0.9},
                           {EventKind::Impact, 90.5, 0.9},
                           {EventKind::Impact, 120.5, 0.9}};
    QTest::newRow("pushes under the thresholds stay quiet")
        << tenMinutes({{30, 3, -0.3}, {60, 2, 0, 0.38}, {90, 2, 0.28}, {120.5, 0.1, 0.6}, {150, 0.4, -0.6}}, 10, 0)
        << true << QList<Expected>();
    // A brake to a stop is longer than half the offset window: it must neither fade into the
    // offset nor leave a false start behind when it ends.
    DriveScenario toAStop = tenMinutes({{60, 7, -0.45}, {200, 6, 0.45}}, 10, 0);
    toAStop.startKmh = 110;
    QTest::newRow("a brake to a stop and away again, 6 to 7 s each")
        << toAStop << true
        << QList<Expected>{{EventKind::HardBrake, 60, 0.45, 110, 0}, {EventKind::HardAcceleration, 200, 0.45, 0, 95}};
    QTest::newRow("an emergency brake of 0.9 g is no impact")
        << tenMinutes({{60, 2, -0.9}}, 10, 0) << true << QList<Expected>{{EventKind::HardBrake, 60, 0.9, 80, 17}};
    QTest::newRow("a lane change there and back is one event; brakes 1 s apart are one")
        << tenMinutes({{30, 1, 0, 0.5}, {31, 1, 0, -0.5}, {90, 1, -0.5}, {92, 1, -0.5}}, 0, 10) << true
        << QList<Expected>{{EventKind::SharpTurn, 30, 0.5}, {EventKind::HardBrake, 90, 0.5, 80, 45}};
    QTest::newRow("brakes 5 s apart are two events")
        << tenMinutes({{90, 1, -0.5}, {96, 1, -0.5}}, 0, 0) << true
        << QList<Expected>{{EventKind::HardBrake, 90, 0.5}, {EventKind::HardBrake, 96, 0.5}};
}

void TestEventDetection::drives()
{
    QFETCH(DriveScenario, scenario);
    QFETCH(bool, gps);
    QFETCH(QList<Expected>, expected);

    const QList<DrivingEvent> events = eventsIn(trackOf(synthesizeDrive(scenario), gps));
    QVERIFY2(events.size() == expected.size(), qPrintable(describe(events)));
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const DrivingEvent &event = events.at(i);
        const Expected &want = expected.at(i);
        const QString found = describe({event});
        QCOMPARE(eventKindName(event.kind), eventKindName(want.kind));
        QVERIFY2(std::abs(event.offsetMs - want.atSeconds * 1000) <= 1000, qPrintable(found));
        QVERIFY2(std::abs(event.peakG - want.peakG) <= 0.12, qPrintable(found));
        QVERIFY(event.clip.isEmpty() && !event.timeUtc.isValid());
        if (!gps) {
            QCOMPARE(event.speedBeforeKmh, std::nullopt);
            QCOMPARE(event.speedAfterKmh, std::nullopt);
        }
        if (want.speedBefore)
            QVERIFY2(event.speedBeforeKmh && std::abs(*event.speedBeforeKmh - *want.speedBefore) <= 3,
                     qPrintable(found));
        if (want.speedAfter)
            QVERIFY2(event.speedAfterKmh && std::abs(*event.speedAfterKmh - *want.speedAfter) <= 3, qPrintable(found));
    }
}

void TestEventDetection::speedDrops_data()
{
    QTest::addColumn<QList<int>>("speeds"); // per second; -1: no fix that second
    QTest::addColumn<int>("brakes");

    const QList<int> steady(30, 80);
    QList<int> drop20 = steady;
    std::fill(drop20.begin() + 15, drop20.end(), 60);
    QTest::newRow("20 km/h lost within a second") << drop20 << 1;
    QList<int> drop10 = steady;
    std::fill(drop10.begin() + 15, drop10.end(), 70);
    QTest::newRow("10 km/h lost within a second") << drop10 << 0;
    QList<int> gradual = steady;
    for (int s = 10; s < 30; ++s)
        gradual[s] = 80 - 7 * std::min(s - 9, 10);
    QTest::newRow("70 km/h lost over ten seconds") << gradual << 0;
    QList<int> tunnel = steady;
    std::fill(tunnel.begin() + 10, tunnel.begin() + 20, -1);
    QTest::newRow("the fix lost in a tunnel is no brake") << tunnel << 0;
    QList<int> glitch = steady;
    glitch[15] = 250;
    QTest::newRow("a speed glitch of the fix is no brake") << glitch << 0;
    QList<int> absurd = steady;
    absurd[15] = 99999;
    absurd[16] = -40;
    QTest::newRow("impossible speeds are no speeds") << absurd << 0;
}

// The GPS rule on its own: the accelerometer reads rest all along.
void TestEventDetection::speedDrops()
{
    QFETCH(QList<int>, speeds);
    QFETCH(int, brakes);

    QList<TelemetrySample> samples;
    for (int k = 0; k < speeds.size() * 10; ++k) {
        TelemetrySample s;
        s.timeMs = k * 100;
        const int speed = speeds.at(k / 10);
        if (speed != -1) {
            s.latitude = 37.5;
            s.longitude = 127.0 + k * 1e-5;
            s.speedKmh = speed;
        }
        samples.append(s);
    }
    const QList<DrivingEvent> events = eventsIn(samples);
    QVERIFY2(events.size() == brakes, qPrintable(describe(events)));
    for (const DrivingEvent &event : events) {
        QCOMPARE(event.kind, EventKind::HardBrake);
        QVERIFY(std::abs(event.offsetMs - 14000) <= 1000);
        QCOMPARE(event.speedBeforeKmh, 80);
        QCOMPARE(event.speedAfterKmh, 60);
        QVERIFY(event.peakG > 0.5 && event.peakG < 0.65); // 20 km/h in a second
    }
}

void TestEventDetection::hostileTracks_data()
{
    QTest::addColumn<QList<TelemetrySample>>("samples");
    QTest::addColumn<QList<EventKind>>("kinds");

    const auto sample = [](qint64 time, int x, int y = 0, int z = 0) {
        TelemetrySample s;
        s.timeMs = qint32(time);
        s.accelX = qint16(x);
        s.accelY = qint16(y);
        s.accelZ = qint16(z);
        return s;
    };
    QTest::newRow("empty") << QList<TelemetrySample>() << QList<EventKind>();
    QTest::newRow("one sample at full scale")
        << QList<TelemetrySample>{sample(0, 128, -127, 128)} << QList<EventKind>();
    QList<TelemetrySample> beyond;
    for (int k = 0; k < 100; ++k)
        beyond.append(sample(k * 100, k == 50 ? 32767 : 0, k == 50 ? -32768 : 0));
    QTest::newRow("values beyond the sensor's range read as full scale")
        << beyond << QList<EventKind>{EventKind::Impact};
    QList<TelemetrySample> apart;
    for (int k = 0; k < 50; ++k)
        apart.append(sample(qint64(k) * 40000000, k % 2 ? 128 : -127, k % 2 ? -127 : 128));
    QTest::newRow("samples hours apart, swinging full scale") << apart << QList<EventKind>();
    QList<TelemetrySample> late;
    for (int k = 0; k < 100; ++k)
        late.append(sample(std::numeric_limits<qint32>::max() - (99 - k) * 100, k >= 40 && k < 60 ? -64 : 0));
    QTest::newRow("times at the end of their range") << late << QList<EventKind>{EventKind::HardBrake};
    QList<TelemetrySample> doubled;
    for (int k = 0; k < 200; ++k)
        doubled.append(sample(k / 2 * 100, k >= 80 && k < 120 ? 64 : 0));
    QTest::newRow("every time twice") << doubled << QList<EventKind>{EventKind::HardAcceleration};
    QList<TelemetrySample> untimed;
    for (int k = 0; k < 100; ++k)
        untimed.append(k % 3 ? sample(k * 100, 0) : TelemetrySample{-1, 128, 128, 128});
    QTest::newRow("samples without a time are left out") << untimed << QList<EventKind>();
}

void TestEventDetection::hostileTracks()
{
    QFETCH(QList<TelemetrySample>, samples);
    QFETCH(QList<EventKind>, kinds);

    const QList<DrivingEvent> events = eventsIn(samples);
    QList<EventKind> found;
    for (const DrivingEvent &event : events) {
        found.append(event.kind);
        QVERIFY(event.peakG > 0 && event.peakG <= 2);
        QVERIFY(event.offsetMs >= 0 && event.durationMs > 0);
        QCOMPARE(event.speedBeforeKmh, std::nullopt);
    }
    QVERIFY2(found == kinds, qPrintable(describe(events)));
}

void TestEventDetection::orderOfSamplesDoesNotMatter()
{
    const QList<TelemetrySample> track = trackOf(synthesizeDrive(tenMinutes(kFourEvents, 10, 5)));
    QList<TelemetrySample> shuffled = track;
    std::shuffle(shuffled.begin(), shuffled.end(), QRandomGenerator(42));
    const QList<DrivingEvent> events = eventsIn(track);
    QCOMPARE(events.size(), 4);
    QCOMPARE(eventsIn(shuffled), events);
}

void TestEventDetection::raisedThresholdsSilenceTheDrive()
{
    const QList<TelemetrySample> track = trackOf(synthesizeDrive(tenMinutes(kFourEvents, 10, 0)));
    QStringList rejected;
    const EventThresholds raised = EventThresholds::withOverrides(
        {{"hard-brake", "0.6"}, {"hard-brake-speed-drop", "20"}, {"hard-acceleration", " 0.5 "},
         {"sharp-turn", "0.6"}, {"impact", "1.2"}},
        &rejected);
    QCOMPARE(rejected, QStringList());
    QCOMPARE(eventsIn(track, raised), QList<DrivingEvent>());
    QCOMPARE(eventsIn(track).size(), 4);
}

void TestEventDetection::thresholdOverrides_data()
{
    QTest::addColumn<Settings>("values");
    QTest::addColumn<double>("impactG");
    QTest::addColumn<double>("speedDropKmh");
    QTest::addColumn<QStringList>("rejected");

    QTest::newRow("none") << Settings() << 0.8 << 15.0 << QStringList();
    QTest::newRow("two taken") << Settings{{"impact", "1.25"}, {"hard-brake-speed-drop", "12"}} << 1.25
                               << 12.0 << QStringList();
    QTest::newRow("garbage leaves the defaults")
        << Settings{{"impact", "abc"}, {"hard-brake-speed-drop", "nan"}, {"sharp-turn", "0"},
                                  {"hard-brake", "-0.5"}, {"hard-acceleration", "inf"}, {"brake", "0.3"}}
        << 0.8 << 15.0
        << QStringList{"brake=0.3: unknown threshold",
                       "hard-acceleration=inf: not a number from 0.1 to 2",
                       "hard-brake=-0.5: not a number from 0.1 to 2",
                       "hard-brake-speed-drop=nan: not a number from 1 to 60",
                       "impact=abc: not a number from 0.1 to 2",
                       "sharp-turn=0: not a number from 0.1 to 2"};
}

void TestEventDetection::thresholdOverrides()
{
    QFETCH(Settings, values);
    QFETCH(double, impactG);
    QFETCH(double, speedDropKmh);
    QFETCH(QStringList, rejected);

    QStringList problems;
    const EventThresholds thresholds = EventThresholds::withOverrides(values, &problems);
    QCOMPARE(thresholds.impactG, impactG);
    QCOMPARE(thresholds.hardBrakeSpeedDropKmh, speedDropKmh);
    QCOMPARE(problems, rejected);
    if (!rejected.isEmpty())
        QCOMPARE(thresholds, EventThresholds());
}

QTEST_GUILESS_MAIN(TestEventDetection)
#include "tst_eventdetection.moc"
