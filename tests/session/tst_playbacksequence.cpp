// A trip played by the playback session on real pipelines: generated two-channel clips with sound
// whose pictures count on across the clips, so that every picture shown says where it belongs.
#include "session/playbacksession.h"

#include "catalogue/clip.h"
#include "generators/mediagen/mediagen.h"
#include "playback/mediaframework.h"
#include "session/viewerstate.h"

#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

namespace {

constexpr int kFps = 15;
constexpr int kFrames = 30; // 2 s a clip
constexpr qint64 kClipMs = 2000;

// Every picture the session hands out, as the frame number its mark carries, per channel in order.
class MarkLog : public VideoOutput
{
public:
    void presentPicture(int channel, const QImage &picture, quint64) override
    {
        const MediaGen::FrameMark mark = MediaGen::readFrameMark(picture);
        if (mark.isValid())
            m_frames[channel == 1 ? 1 : 0].append(mark.frame);
    }
    void resetPictures(bool) override {}
    const QList<int> &frames(int channel) const { return m_frames[channel]; }
    int last(int channel) const { return m_frames[channel].isEmpty() ? -1 : m_frames[channel].last(); }
    void clear() { m_frames[0].clear(), m_frames[1].clear(); }

private:
    QList<int> m_frames[2];
};

} // namespace

class TestPlaybackSequence : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void boundariesLoseNoPicture_data();
    void boundariesLoseNoPicture();
    void clipThatCannotBeOpenedIsPassedOver_data();
    void clipThatCannotBeOpenedIsPassedOver();
    void seeksAndStepsCrossBoundaries();

private:
    // A plan of the named clips, end to end.
    TripPlan plan(const QStringList &names);
    bool openPaused(const TripPlan &trip);

    QTemporaryDir m_dir;
    std::map<QString, std::unique_ptr<Clip>> m_clips;
    MarkLog m_log;
    std::unique_ptr<ViewerState> m_state;
    std::unique_ptr<PlaybackSession> m_session;
};

void TestPlaybackSequence::initTestCase()
{
    QVERIFY(MediaFramework::initialise());
    qRegisterMetaType<Clip *>();
    if (!MediaGen::missingForAvi().isEmpty())
        QSKIP("GStreamer plugins missing for the test clips");
    for (int k = 0; k < 3; ++k) {
        MediaGen::ClipDesign design;
        design.channels = {QSize(320, 180), QSize(160, 90)};
        design.fps = kFps;
        design.frames = kFrames;
        design.firstFrame = k * kFrames;
        QString error;
        QVERIFY2(MediaGen::writeAvi(m_dir.filePath(QStringLiteral("part%1.avi").arg(k)), design, &error), qPrintable(error));
    }
    // A clip cut off while the card was pulled: its header promises pictures that never come.
    QFile whole(m_dir.filePath(QStringLiteral("part1.avi")));
    QVERIFY(whole.open(QIODevice::ReadOnly));
    QFile cut(m_dir.filePath(QStringLiteral("cut.avi")));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(whole.read(600));
    QFile garbage(m_dir.filePath(QStringLiteral("garbage.avi")));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
}

void TestPlaybackSequence::init()
{
    m_log.clear();
    m_state = std::make_unique<ViewerState>();
    m_session = std::make_unique<PlaybackSession>(*m_state);
    m_session->setOutput(0, &m_log);
    m_session->setOutput(1, &m_log);
}

void TestPlaybackSequence::cleanup()
{
    m_session.reset();
    m_state.reset();
}

TripPlan TestPlaybackSequence::plan(const QStringList &names)
{
    TripPlan trip;
    for (const QString &name : names) {
        std::unique_ptr<Clip> &clip = m_clips[name];
        if (!clip)
            clip = std::make_unique<Clip>(QFileInfo(m_dir.filePath(name)));
        trip.parts.append({clip.get(), trip.lengthMs, kClipMs});
        trip.lengthMs += kClipMs;
    }
    return trip;
}

bool TestPlaybackSequence::openPaused(const TripPlan &trip)
{
    QSignalSpy opened(m_session.get(), &PlaybackSession::opened);
    m_session->openTrip(trip);
    return opened.wait(20000) && QTest::qWaitFor([this] { return m_log.last(0) == 0; }, 10000);
}

void TestPlaybackSequence::boundariesLoseNoPicture_data()
{
    QTest::addColumn<double>("rate");
    QTest::newRow("normal speed") << 1.0;
    QTest::newRow("twice the speed, kept across the clips") << 2.0;
}

// The next clip rests on its first picture on the second player and takes over at the end of the
// one playing: across each seam no picture of either channel is lost and none shown more than
// twice, the speed stays, and every clip's sound plays (at normal speed, at the level set).
void TestPlaybackSequence::boundariesLoseNoPicture()
{
    QFETCH(double, rate);
    const TripPlan trip = plan({"part0.avi", "part1.avi", "part2.avi"});
    QVERIFY(openPaused(trip));
    QVERIFY(m_session->setRate(rate));
    QCOMPARE(m_session->length(), 3 * kClipMs);
    QSignalSpy ended(m_session.get(), &PlaybackSession::ended);
    QSignalSpy changed(m_session.get(), &PlaybackSession::clipChanged);
    // What each clip's player reports while the clip is on screen.
    QList<Player::Status> seen(3);
    QList<qint64> positions;
    connect(m_session.get(), &PlaybackSession::positionChanged, this, [&](qint64 position) {
        positions << position;
        seen[trip.indexOf(m_session->clip())] = m_session->engineStatus();
    });
    m_log.clear();
    m_session->play();
    QVERIFY(ended.wait(30000));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(m_session->clip(), trip.parts.at(2).clip);
    for (int channel = 0; channel < 2; ++channel) {
        for (int seam : {kFrames, 2 * kFrames}) {
            const MediaGen::SeamCount count = MediaGen::countAtSeam(m_log.frames(channel), seam, 1);
            QVERIFY2(count.lost == 0 && count.repeated <= 1,
                     qPrintable(QStringLiteral("channel %1 at picture %2: %3 lost, %4 repeated")
                                    .arg(channel).arg(seam).arg(count.lost).arg(count.repeated)));
        }
        QCOMPARE(m_log.last(channel), 3 * kFrames - 1);
    }
    QVERIFY(std::is_sorted(positions.cbegin(), positions.cend()));
    // The time line is the trip's: at its end it stands at the trip's length (the ticks while
    // playing may stop short of it by a tick's worth at the speed chosen, more under load).
    QVERIFY2(m_session->position() >= 3 * kClipMs - 100, qPrintable(QString::number(m_session->position())));
    QVERIFY(positions.last() > 2 * kClipMs);
    for (int part = 0; part < 3; ++part) {
        QCOMPARE(seen.at(part).rate, rate);
        QVERIFY2(seen.at(part).hasAudio && seen.at(part).deliveredSound > 0, qPrintable(QString::number(part)));
        QCOMPARE(seen.at(part).appliedVolume, rate == 1.0 ? 1.0 : 0.0);
    }
}

void TestPlaybackSequence::clipThatCannotBeOpenedIsPassedOver_data()
{
    QTest::addColumn<QString>("bad");
    QTest::newRow("not a clip") << "garbage.avi";
    QTest::newRow("cut short in its first picture") << "cut.avi";
}

// Playback goes on with the clip after it, and the clip passed over is named once.
void TestPlaybackSequence::clipThatCannotBeOpenedIsPassedOver()
{
    QFETCH(QString, bad);
    const TripPlan trip = plan({"part0.avi", bad, "part2.avi"});
    QSignalSpy skipped(m_session.get(), &PlaybackSession::clipSkipped);
    QVERIFY(openPaused(trip));
    QSignalSpy ended(m_session.get(), &PlaybackSession::ended);
    m_session->play();
    QVERIFY(ended.wait(30000));
    QCOMPARE(skipped.count(), 1);
    QCOMPARE(skipped.first().at(0).value<Clip *>(), trip.parts.at(1).clip);
    const QList<int> &shown = m_log.frames(0);
    QVERIFY(shown.contains(kFrames - 1));
    QCOMPARE(shown.at(shown.indexOf(kFrames - 1) + 1), 2 * kFrames); // straight on to the third clip
    QCOMPARE(m_log.last(0), 3 * kFrames - 1);
    QVERIFY(m_state->isPlaying() || m_session->clip() == trip.parts.at(2).clip);
}

// Seeks land in whichever clip plays at the trip's time; a frame step off either end of a clip
// goes on in its neighbour, on both channels.
void TestPlaybackSequence::seeksAndStepsCrossBoundaries()
{
    const TripPlan trip = plan({"part0.avi", "part1.avi", "part2.avi"});
    QVERIFY(openPaused(trip));
    struct Move
    {
        const char *what;
        std::function<void()> run;
        int frame;
        int part;
    };
    const QList<Move> moves = {
        {"seek into the second clip", [this] { m_session->seek(kClipMs + 1033); }, kFrames + 15, 1},
        {"seek back to the first clip's last picture", [this] { m_session->seek(1990); }, kFrames - 1, 0},
        {"step forward across", [this] { m_session->step(+1); }, kFrames, 1},
        {"step forward inside", [this] { m_session->step(+1); }, kFrames + 1, 1},
        {"step back", [this] { m_session->step(-1); }, kFrames, 1},
        {"step back across", [this] { m_session->step(-1); }, kFrames - 1, 0},
        {"seek into the last clip", [this] { m_session->seek(2 * kClipMs + 1000); }, 2 * kFrames + 15, 2},
        {"seek to the start", [this] { m_session->seek(0); }, 0, 0},
    };
    for (const Move &move : moves) {
        move.run();
        QTRY_VERIFY2_WITH_TIMEOUT(m_log.last(0) == move.frame && m_log.last(1) == move.frame
                                      && m_session->clip() == trip.parts.at(move.part).clip,
                                  qPrintable(QStringLiteral("%1: pictures %2 and %3")
                                                 .arg(move.what).arg(m_log.last(0)).arg(m_log.last(1))),
                                  10000);
        // The time line's position lies on the picture shown.
        const qint64 position = m_session->position();
        QVERIFY2(position >= move.frame * 1000 / kFps - 1 && position <= (move.frame + 1) * 1000 / kFps + 1,
                 qPrintable(QStringLiteral("%1: position %2").arg(move.what).arg(position)));
        QVERIFY(!m_state->isPlaying());
    }
}

QTEST_GUILESS_MAIN(TestPlaybackSequence)
#include "tst_playbacksequence.moc"
