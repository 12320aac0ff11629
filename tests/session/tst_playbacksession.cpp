// The playback session on real pipelines and generated clips, without a window: what it answers
// by signal, what it writes into the viewer state, and the telemetry it hands out.
#include "session/playbacksession.h"

#include "catalogue/clip.h"
#include "playback/mediaframework.h"
#include "session/viewerstate.h"
#include "tests/playback/playertestclips.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// The clips the session's opened() (or openFailed()) carried, in order.
template<typename Signal>
std::shared_ptr<QList<Clip *>> recordClips(PlaybackSession *session, Signal signal)
{
    auto clips = std::make_shared<QList<Clip *>>();
    QObject::connect(session, signal, session, [clips](Clip *clip) { clips->append(clip); });
    return clips;
}

} // namespace

class TestPlaybackSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void opensPausedOnTheFirstPicture_data();
    void opensPausedOnTheFirstPicture();
    void failedOpenLeavesNoFactsOfTheClipBefore();
    void positionEveryTenthOfASecondWhilePlaying();
    void oneRestingPositionPerSeekOrStep();
    void playAskedWhileOpeningStartsOnceOpened();
    void rateIsSilentAwayFromNormalAndResetAtOpen();
    void newerOpenWinsWithItsOwnTelemetry();
    void rotation_data();
    void rotation();

private:
    Clip *clip(const QString &name);
    // Opens `name` and waits for the answer; true when it opened.
    bool open(const QString &name);

    PlayerTestClips m_clips;
    std::vector<std::unique_ptr<Clip>> m_opened;
    PictureRecorder m_front;
    PictureRecorder m_rear;
    std::unique_ptr<ViewerState> m_state;
    std::unique_ptr<PlaybackSession> m_session;
};

void TestPlaybackSession::initTestCase()
{
    QVERIFY(MediaFramework::initialise());
    if (!m_clips.missingMp4().isEmpty() || !m_clips.missingAvi().isEmpty())
        QSKIP("GStreamer plugins missing for the test clips");
    QString error;
    QVERIFY2(m_clips.create(&error), qPrintable(error));
}

void TestPlaybackSession::init()
{
    m_front = PictureRecorder();
    m_rear = PictureRecorder();
    m_state = std::make_unique<ViewerState>();
    m_session = std::make_unique<PlaybackSession>(*m_state);
    m_session->setOutput(0, &m_front);
    m_session->setOutput(1, &m_rear);
}

void TestPlaybackSession::cleanup()
{
    m_session.reset();
    m_state.reset();
    m_opened.clear();
}

Clip *TestPlaybackSession::clip(const QString &name)
{
    m_opened.push_back(std::make_unique<Clip>(QFileInfo(m_clips.path(name))));
    return m_opened.back().get();
}

bool TestPlaybackSession::open(const QString &name)
{
    QSignalSpy opened(m_session.get(), &PlaybackSession::opened);
    QSignalSpy failed(m_session.get(), &PlaybackSession::openFailed);
    m_session->open(clip(name));
    return QTest::qWaitFor([&] { return !opened.isEmpty() || !failed.isEmpty(); }, 20000) && !opened.isEmpty();
}

void TestPlaybackSession::opensPausedOnTheFirstPicture_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("channels");
    QTest::addColumn<bool>("positions");
    QTest::newRow("mp4, two channels, no telemetry") << PlayerTestClips::mp4Two() << 2 << false;
    QTest::newRow("avi, two channels with telemetry") << PlayerTestClips::aviTwo() << 2 << true;
    QTest::newRow("avi, one channel") << PlayerTestClips::aviOne() << 1 << false;
}

// The answer comes later; the clip then rests on its first picture with its length told, the state
// says how many channels it has, and its telemetry follows from a worker.
void TestPlaybackSession::opensPausedOnTheFirstPicture()
{
    QFETCH(QString, name);
    QFETCH(int, channels);
    QFETCH(bool, positions);
    const auto opened = recordClips(m_session.get(), &PlaybackSession::opened);
    QSignalSpy moved(m_session.get(), &PlaybackSession::positionChanged);
    Clip *wanted = clip(name);
    m_session->open(wanted);
    QCOMPARE(opened->size(), 0);
    QCOMPARE(m_session->clip(), wanted);
    QCOMPARE(m_session->facts().channelCount, 0);
    QTRY_COMPARE_WITH_TIMEOUT(opened->size(), 1, 20000);
    QCOMPARE(opened->first(), wanted);
    QCOMPARE(m_session->facts().channelCount, channels);
    QCOMPARE(m_state->channelCount(), channels);
    QCOMPARE(m_session->facts().videoSize(0), QSize(320, 180));
    QCOMPARE(m_session->facts().videoSize(1), channels == 2 ? QSize(160, 90) : QSize(0, 0));
    QVERIFY(!m_state->isPlaying());
    QVERIFY(!moved.isEmpty());
    QCOMPARE(moved.first().at(0).toLongLong(), 0);
    QVERIFY(qAbs(moved.first().at(1).toLongLong() - 2000) <= 100);
    QTRY_COMPARE(m_front.frame(0), 0);
    if (channels == 2)
        QTRY_COMPARE(m_rear.frame(1), 0);
    else
        QCOMPARE(m_rear.received(), 0);

    QTRY_VERIFY(m_session->sampleAt(1000).has_value());
    QCOMPARE(m_session->sampleAt(1000)->hasUsablePosition(), positions);
    QCOMPARE(m_session->track().noPositionInClip(), !positions);
    QVERIFY(!m_session->grabFrame(0).isNull());
}

// Another clip that cannot be opened leaves nothing of the clip before: no channels (the swap
// button needs two), no telemetry, nothing to snapshot.
void TestPlaybackSession::failedOpenLeavesNoFactsOfTheClipBefore()
{
    QVERIFY(open(PlayerTestClips::aviTwo()));
    QTRY_VERIFY(!m_session->track().samples().isEmpty());
    QCOMPARE(m_state->channelCount(), 2);
    QSignalSpy failed(m_session.get(), &PlaybackSession::openFailed);
    auto failedClips = std::make_shared<QList<Clip *>>();
    connect(m_session.get(), &PlaybackSession::openFailed, this, [failedClips](Clip *clip) { failedClips->append(clip); });
    Clip *garbage = clip(PlayerTestClips::randomBytes());
    m_session->open(garbage);
    QCOMPARE(m_state->channelCount(), 0); // at once, not only when the answer comes
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 20000);
    QCOMPARE(*failedClips, QList<Clip *>{garbage});
    QVERIFY(!failed.first().at(1).toString().isEmpty());
    QCOMPARE(m_session->facts(), PlaybackFacts());
    QCOMPARE(m_state->channelCount(), 0);
    QVERIFY(!m_session->clip());
    QVERIFY(m_session->track().samples().isEmpty());
    QVERIFY(m_session->grabFrame(0).isNull());
    QCOMPARE(m_session->position(), 0);
    QCOMPARE(m_session->length(), 0);
    QVERIFY(!m_state->isPlaying());
}

// While playing the position comes ten times a second, never faster, and keeps rising; once the
// clip is paused one last report says where it stopped.
void TestPlaybackSession::positionEveryTenthOfASecondWhilePlaying()
{
    QVERIFY(open(PlayerTestClips::mp4Two()));
    QTRY_COMPARE(m_front.serial(0), quint64(2)); // at rest on the first picture
    QSignalSpy moved(m_session.get(), &PlaybackSession::positionChanged);
    QList<qint64> arrivals;
    QElapsedTimer clock;
    connect(m_session.get(), &PlaybackSession::positionChanged, this, [&] { arrivals << clock.elapsed(); });
    clock.start();
    m_session->play();
    QVERIFY(m_state->isPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(moved.count() >= 6, 10000);
    m_session->pause();
    const int atPause = int(moved.count());
    for (int i = 1; i < atPause; ++i) {
        // Coarse timers may fire a little early, never twice in one interval.
        QVERIFY2(arrivals[i] - arrivals[i - 1] >= 80, qPrintable(QString::number(arrivals[i] - arrivals[i - 1])));
        QVERIFY(moved[i].at(0).toLongLong() >= moved[i - 1].at(0).toLongLong());
    }
    QVERIFY(moved[atPause - 1].at(0).toLongLong() > 0);
    QVERIFY(!m_state->isPlaying());
    QTRY_VERIFY(moved.count() > atPause);
    QCOMPARE(moved.last().at(0).toLongLong(), m_session->position());
}

// A seek or a step reports once, when its picture is shown, with the position of that picture.
void TestPlaybackSession::oneRestingPositionPerSeekOrStep()
{
    QVERIFY(open(PlayerTestClips::aviTwo()));
    QTRY_COMPARE(m_front.serial(0), quint64(2)); // the first picture, shown afresh to rest on
    QSignalSpy moved(m_session.get(), &PlaybackSession::positionChanged);
    m_session->seek(1033);
    QTRY_COMPARE(m_front.frame(0), 15);
    QTRY_COMPARE(moved.count(), 1);
    QCOMPARE(moved.last().at(0).toLongLong(), 1033);
    m_session->step(+1);
    QTRY_COMPARE(m_front.frame(0), 16);
    QTRY_COMPARE(moved.count(), 2);
    QCOMPARE(qRound(moved.last().at(0).toLongLong() * 15 / 1000.0), 16);
    m_session->step(-1); // into the middle of the picture before
    QTRY_COMPARE(m_front.frame(0), 15);
    QTRY_COMPARE(moved.count(), 3);
    QCOMPARE(moved.last().at(0).toLongLong() * 15 / 1000, 15);
    m_session->seek(400);
    QTRY_COMPARE(m_front.frame(0), 6);
    QTRY_COMPARE(moved.count(), 4);
    QCOMPARE(m_front.serial(0), quint64(6)); // one picture per request, no more
}

void TestPlaybackSession::playAskedWhileOpeningStartsOnceOpened()
{
    QSignalSpy ended(m_session.get(), &PlaybackSession::ended);
    QSignalSpy playing(m_session.get(), &PlaybackSession::playingChanged);
    m_session->open(clip(PlayerTestClips::mp4One()));
    m_session->play();
    QVERIFY(m_state->isPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(m_session->engineStatus().running, 20000);
    QVERIFY(m_state->isPlaying());
    QTRY_VERIFY(m_front.frame(0) > 5);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
    QCOMPARE(m_session->position(), m_session->length());
    QVERIFY(playing.last().first().toBool());
}

// Away from normal speed the sound is silent (it is not corrected for tempo); a new clip starts at
// normal speed with its sound.
void TestPlaybackSession::rateIsSilentAwayFromNormalAndResetAtOpen()
{
    m_session->setRate(2.0); // nothing open: refused
    QCOMPARE(m_state->rate(), 1.0);
    m_session->setVolume(0.5);
    QVERIFY(open(PlayerTestClips::mp4One()));
    QCOMPARE(m_session->engineStatus().appliedVolume, 0.5);
    QSignalSpy rates(m_session.get(), &PlaybackSession::rateChanged);
    QVERIFY(m_session->setRate(2.0));
    QCOMPARE(rates.count(), 1);
    QCOMPARE(m_state->rate(), 2.0);
    QCOMPARE(m_session->engineStatus().rate, 2.0);
    QCOMPARE(m_session->engineStatus().appliedVolume, 0.0);
    QVERIFY(!m_session->setRate(0.0));
    QCOMPARE(m_state->rate(), 2.0);
    QVERIFY(open(PlayerTestClips::mp4Two()));
    QCOMPARE(rates.count(), 2);
    QCOMPARE(rates.last().first().toDouble(), 1.0);
    QCOMPARE(m_state->rate(), 1.0);
    QCOMPARE(m_session->engineStatus().appliedVolume, 0.5);
}

// Switching clips while one has just opened (its telemetry on its way): only the newer clip opens
// and its telemetry is the one kept, whatever arrives late.
void TestPlaybackSession::newerOpenWinsWithItsOwnTelemetry()
{
    const auto opened = recordClips(m_session.get(), &PlaybackSession::opened);
    Clip *withRoute = clip(PlayerTestClips::aviTwo());
    Clip *without = clip(PlayerTestClips::aviOne());
    connect(m_session.get(), &PlaybackSession::opened, this, [&](Clip *done) {
        if (done == withRoute)
            m_session->open(without);
    });
    m_session->open(clip(PlayerTestClips::mp4Two())); // cancelled before it answers
    m_session->open(withRoute);
    QTRY_COMPARE_WITH_TIMEOUT(opened->size(), 2, 20000);
    QCOMPARE(*opened, QList<Clip *>({withRoute, without}));
    QTRY_VERIFY(m_session->sampleAt(1000).has_value() && !m_session->track().isLoading());
    QCOMPARE(m_session->track().clipPath(), without->file().filePath());
    QVERIFY(m_session->track().noPositionInClip());
    QVERIFY(!m_session->sampleAt(1000)->hasUsablePosition());
    QCOMPARE(m_session->clip(), without);
    QCOMPARE(m_state->channelCount(), 1);
}

void TestPlaybackSession::rotation_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("add");
    QTest::addColumn<int>("expected");
    QTest::newRow("half turn") << 0 << 180 << 180;
    QTest::newRow("two half turns give a full turn, reduced") << 180 << 180 << 0;
    QTest::newRow("450 reduces to 90") << 180 << 270 << 90;
    QTest::newRow("-540 keeps its sign") << 0 << -540 << -180;
    QTest::newRow("359 stays") << 300 << 59 << 359;
    QTest::newRow("-359 stays") << -300 << -59 << -359;
    QTest::newRow("-360 reduces to 0") << -180 << -180 << 0;
}

// The rotation is the session's, for every clip: closing or opening another keeps it.
void TestPlaybackSession::rotation()
{
    QFETCH(int, start);
    QFETCH(int, add);
    QFETCH(int, expected);
    QSignalSpy turned(m_session.get(), &PlaybackSession::rotationChanged);
    m_session->rotate(start);
    m_session->rotate(add);
    QCOMPARE(turned.isEmpty() ? 0 : turned.last().first().toInt(), expected);
    m_session->open(clip(PlayerTestClips::mp4One()));
    m_session->close();
    m_session->rotate(0);
    QCOMPARE(turned.isEmpty() ? 0 : turned.last().first().toInt(), expected);
}

QTEST_GUILESS_MAIN(TestPlaybackSession)
#include "tst_playbacksession.moc"
