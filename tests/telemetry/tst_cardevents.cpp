// The card's events worked out while its index fills in: the direction the recorder faces learned
// over the clips read so far (and clips read before it was known looked at again), clips that
// change or go, borrowed clocks, a cancelled update.
#include "telemetry/cardevents.h"

#include "generators/clipwriter/drivesynthesis.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace ClipWriter;

namespace {

// The recorder runs on Seoul time; a clip with GPS says so.
constexpr int kZoneSeconds = 9 * 3600;
const char kWithoutGps[] = "REC_2012_05_14_10_19_30.avi";
const char kWithGps[] = "REC_2012_05_14_10_20_30.avi";

// The recorder's clock in a clip's name, as a wall clock.
QDateTime nameTime(const QString &fileName)
{
    return RecorderClock::naiveDateTime(RecorderClock::stampFromName(fileName).value_or(0));
}

// 30 s of driving seen by a recorder mounted backwards: its X reads a brake as a push forward.
bool writeDrive(const QString &path, const QList<Push> &pushes, bool gps)
{
    DriveScenario scenario;
    scenario.seconds = 30;
    scenario.pushes = pushes;
    scenario.mountedBackwards = true;
    const QDateTime startUtc = nameTime(QFileInfo(path).fileName()).addSecs(-kZoneSeconds);
    return writeDriveClip(path, synthesizeDrive(scenario), startUtc, gps);
}

using Kinds = QList<std::pair<QString, EventKind>>; // clip name and kind, in the events' order

Kinds kindsOf(const QList<CardEvent> &events)
{
    Kinds kinds;
    for (const CardEvent &e : events)
        kinds.append({QFileInfo(e.event.clip).fileName(), e.event.kind});
    return kinds;
}

} // namespace

class TestCardEvents : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void directionLearnedOverTheCard();
    void clipsThatChangeOrGo_data();
    void clipsThatChangeOrGo();
    void cancelledUpdateTakesNothingIn();

private:
    CardIndex::Entry entry(const char *name) const;
    CardEvents freshEvents() const { return CardEvents(EventThresholds(), RecorderClock::FallbackZone()); }

    QTemporaryDir m_dir;
    CardIndex m_index;
};

// The clip without GPS is older, so it is read first: alone, it cannot tell that its recorder
// faces backwards.
void TestCardEvents::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(writeDrive(m_dir.filePath(QStringLiteral("REC/")) + kWithoutGps, {{10, 3, -0.5}}, false));
    QVERIFY(writeDrive(m_dir.filePath(QStringLiteral("REC/")) + kWithGps, {{8, 3, -0.5}, {20, 2, 0.4}}, true));
    m_index = CardIndex::build(m_dir.path(), {});
    QCOMPARE(m_index.entries().size(), 2);
    QCOMPARE(m_index.entries().first().telemetry.summary.name, QLatin1String(kWithoutGps));
}

CardIndex::Entry TestCardEvents::entry(const char *name) const
{
    for (const CardIndex::Entry &e : m_index.entries()) {
        if (e.telemetry.summary.name == QLatin1String(name))
            return e;
    }
    return {};
}

void TestCardEvents::directionLearnedOverTheCard()
{
    CardEvents events = freshEvents();
    QVERIFY(events.update(CardIndex(m_index.folder(), {entry(kWithoutGps)})));
    // Without GPS negative X is braking: the brake seen backwards passes for a start.
    QCOMPARE(kindsOf(events.events()), (Kinds{{kWithoutGps, EventKind::HardAcceleration}}));
    QCOMPARE(events.forward(), EventDetection::Forward::PositiveX);

    QVERIFY(events.update(m_index));
    QCOMPARE(events.forward(), EventDetection::Forward::NegativeX);
    // The clip read first is a brake now, and its clock is the GPS clip's: true time in order.
    QCOMPARE(kindsOf(events.events()), (Kinds{{kWithoutGps, EventKind::HardBrake},
                                              {kWithGps, EventKind::HardBrake},
                                              {kWithGps, EventKind::HardAcceleration}}));
    for (const CardEvent &e : events.events()) {
        const QDateTime recorder = nameTime(QFileInfo(e.event.clip).fileName()).addMSecs(e.event.offsetMs);
        QCOMPARE(e.event.timeUtc, recorder.addSecs(-kZoneSeconds));
        QCOMPARE(e.localTime.offsetFromUtc(), kZoneSeconds);
        QCOMPARE(e.localTime.toMSecsSinceEpoch(), e.event.timeUtc.toMSecsSinceEpoch());
    }
    // Taken in part by part or at once, the card has the same events.
    CardEvents atOnce = freshEvents();
    QVERIFY(atOnce.update(m_index));
    QCOMPARE(atOnce.events(), events.events());
}

void TestCardEvents::clipsThatChangeOrGo_data()
{
    QTest::addColumn<bool>("keepGpsClip");
    QTest::addColumn<bool>("rewriteOldClip");
    QTest::addColumn<Kinds>("kinds");
    QTest::newRow("the GPS clip gone: the direction is not known any more")
        << false << false << Kinds{{kWithoutGps, EventKind::HardAcceleration}};
    QTest::newRow("a clip rewritten (new size) is looked at again")
        << true << true << Kinds{{kWithGps, EventKind::HardBrake}, {kWithGps, EventKind::HardAcceleration}};
}

void TestCardEvents::clipsThatChangeOrGo()
{
    QFETCH(bool, keepGpsClip);
    QFETCH(bool, rewriteOldClip);
    QFETCH(Kinds, kinds);

    CardEvents events = freshEvents();
    QVERIFY(events.update(m_index));
    CardIndex::Entry old = entry(kWithoutGps);
    if (rewriteOldClip) {
        // The same name, now a clip of steady driving.
        old.size += 1;
        for (TelemetrySample &sample : old.telemetry.samples)
            sample.accelX = sample.accelY = sample.accelZ = 0;
    }
    QList<CardIndex::Entry> entries{old};
    if (keepGpsClip)
        entries.append(entry(kWithGps));
    QVERIFY(events.update(CardIndex(m_index.folder(), entries)));
    QCOMPARE(kindsOf(events.events()), kinds);
    QCOMPARE(events.clipCount(), int(entries.size()));
}

void TestCardEvents::cancelledUpdateTakesNothingIn()
{
    CardEvents events = freshEvents();
    QVERIFY(events.update(CardIndex(m_index.folder(), {entry(kWithoutGps)})));
    const QList<CardEvent> before = events.events();
    const std::atomic<bool> cancelled{true};
    QVERIFY(!events.update(m_index, &cancelled));
    QCOMPARE(events.events(), before);
    QCOMPARE(events.forward(), EventDetection::Forward::PositiveX);
    QCOMPARE(events.clipCount(), 1);
}

QTEST_GUILESS_MAIN(TestCardEvents)
#include "tst_cardevents.moc"
