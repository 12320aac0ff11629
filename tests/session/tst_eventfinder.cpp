// The event finder on generated cards: events filling in while the card is read, a newer folder
// winning over one still being read, garbage and telemetry-less cards, and going away mid-read.
#include "session/eventfinder.h"

#include "tests/session/heldreading.h"

#include "generators/clipwriter/aviclipwriter.h"
#include "generators/clipwriter/drivesynthesis.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace ClipWriter;

namespace {

// A 20 s drive with a hard brake at 5 s (or none), its GPS on the recorder's clock.
bool writeDrive(const QString &path, bool brake)
{
    DriveScenario scenario;
    scenario.seconds = 20;
    if (brake)
        scenario.pushes = {{5, 3, -0.5}};
    const QString stamp = QFileInfo(path).fileName().mid(4, 19);
    QDateTime start = QDateTime::fromString(stamp, QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
    start.setTimeSpec(Qt::UTC);
    return writeDriveClip(path, synthesizeDrive(scenario), start);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList clipNames(const QList<CardEvent> &events)
{
    QStringList names;
    for (const CardEvent &e : events)
        names.append(QFileInfo(e.event.clip).fileName());
    return names;
}

} // namespace

class TestEventFinder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fillsInWhileTheCardIsRead();
    void newerFolderWins();
    void hostileCards_data();
    void hostileCards();
    void goesAwayWhileReading();

private:
    QString card(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

// Card "A": two clips with a brake each; card "B": one more.
void TestEventFinder::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    QVERIFY(writeDrive(card("A/REC/REC_2012_05_14_10_20_30.avi"), true));
    QVERIFY(writeDrive(card("A/REC/REC_2012_05_14_10_20_50.avi"), true));
    QVERIFY(writeDrive(card("B/REC/REC_2013_01_01_08_00_00.avi"), true));
}

void TestEventFinder::fillsInWhileTheCardIsRead()
{
    EventFinder finder;
    HeldReading reading;
    finder.indexer().setBuilder(reading.builder());
    QSignalSpy changed(&finder, &EventFinder::eventsChanged);
    QSignalSpy finished(&finder, &EventFinder::finished);
    finder.start(card("A"));
    QVERIFY(finder.isFinding());

    // The first clip's event shows while the rest of the card is still being read.
    QTRY_COMPARE(clipNames(finder.events()), QStringList{"REC_2012_05_14_10_20_30.avi"});
    QVERIFY(reading.isHolding());
    QVERIFY(finder.isFinding());
    QCOMPARE(finder.clipsRead(), 1);
    QCOMPARE(finder.clipCount(), 2);
    QCOMPARE(finished.count(), 0);
    const QList<DrivingEvent> first = finder.clipEvents(card("A/REC/REC_2012_05_14_10_20_30.avi"));
    QCOMPARE(first.size(), 1);
    QCOMPARE(first.first().kind, EventKind::HardBrake);
    QVERIFY2(std::abs(first.first().offsetMs - 5000) <= 1000, qPrintable(QString::number(first.first().offsetMs)));

    reading.release();
    QVERIFY(finished.wait(20000));
    QVERIFY(!finder.isFinding());
    QCOMPARE(clipNames(finder.events()),
             (QStringList{"REC_2012_05_14_10_20_30.avi", "REC_2012_05_14_10_20_50.avi"}));
    QCOMPARE(finder.clipsRead(), 2);
    QCOMPARE(finished.count(), 1);
}

void TestEventFinder::newerFolderWins()
{
    EventFinder finder;
    HeldReading reading;
    finder.indexer().setBuilder(reading.builder());
    QStringList seen; // every state of the events shown
    connect(&finder, &EventFinder::eventsChanged, this, [&] { seen += clipNames(finder.events()); });
    finder.start(card("A"));
    QTRY_VERIFY(reading.isHolding());
    finder.indexer().setBuilder(CardIndex::build);
    seen.clear();
    QSignalSpy finished(&finder, &EventFinder::finished);
    finder.start(card("B"));
    QVERIFY(finished.wait(20000));
    QCOMPARE(clipNames(finder.events()), QStringList{"REC_2013_01_01_08_00_00.avi"});
    // Nothing of card A came back once B was asked for: its answers, queued before B's, were dropped.
    QVERIFY2(!seen.join(' ').contains("2012"), qPrintable(seen.join(' ')));
    QCOMPARE(finder.folder(), card("B"));
}

void TestEventFinder::hostileCards_data()
{
    // "drive:" a clip with a brake, "half:" the same cut off in the middle, "noise:" random bytes,
    // "zeros:" a file of zeros, "bare:" an AVI clip without telemetry.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("events");
    // The clip cut off at 10 s still holds its brake at 5 s.
    QTest::newRow("garbage and a cut-off clip beside a good clip")
        << QStringList{"drive:REC/REC_2014_01_01_00_00_00.avi", "noise:REC/REC_2014_01_01_00_01_00.avi",
                       "half:REC/REC_2014_01_01_00_02_00.avi", "zeros:EVENT/EVS_2014_01_01_00_03_00_I.mp4"}
        << 2;
    QTest::newRow("no telemetry in any clip")
        << QStringList{"bare:REC/REC_2015_01_01_00_00_00.avi", "zeros:REC/REC_2015_01_01_00_01_00.mp4"} << 0;
    QTest::newRow("names without a time") << QStringList{"drive:REC/REC_clip.avi", "noise:REC/REC_x.avi"} << 1;
}

void TestEventFinder::hostileCards()
{
    QFETCH(QStringList, files);
    QFETCH(int, events);
    QTemporaryDir dir;
    for (const QString &file : files) {
        const QString kind = file.section(':', 0, 0);
        const QString path = dir.filePath(file.section(':', 1));
        if (kind == "drive" || kind == "half") {
            QVERIFY(writeDrive(path, true));
        } else if (kind == "noise") {
            QByteArray noise(16384, Qt::Uninitialized);
            QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
            QVERIFY(writeBytes(path, QByteArray("RIFF") + noise));
        } else if (kind == "zeros") {
            QVERIFY(writeBytes(path, QByteArray(4096, '\0')));
        } else {
            QDir().mkpath(QFileInfo(path).path());
            QVERIFY(writeAviClip(path, ClipDescription()));
        }
        if (kind == "half") {
            QFile clip(path);
            QVERIFY(clip.resize(clip.size() / 2));
        }
    }
    EventFinder finder;
    QSignalSpy finished(&finder, &EventFinder::finished);
    finder.start(dir.path());
    QVERIFY(finished.wait(20000));
    QCOMPARE(finder.events().size(), events);
    QCOMPARE(finder.clipCount(), int(files.size()));
    for (const CardEvent &e : finder.events())
        QCOMPARE(e.localTime.isValid(), e.event.timeUtc.isValid());
}

// The finder stops the reading and the search when it goes: nothing waits for the held card.
void TestEventFinder::goesAwayWhileReading()
{
    auto finder = std::make_unique<EventFinder>();
    HeldReading reading;
    finder->indexer().setBuilder(reading.builder());
    finder->start(card("A"));
    QTRY_VERIFY(reading.isHolding());
    QTRY_COMPARE(finder->events().size(), 1);
    finder.reset();
}

QTEST_GUILESS_MAIN(TestEventFinder)
#include "tst_eventfinder.moc"
