#include "playback/player.h"

#include "catalogue/clip.h"
#include "playback/mediaframework.h"
#include "playertestclips.h"
#include "generators/mediagen/mediagen.h"

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>

#include <gst/gst.h>

#include <memory>

namespace {

int grabbedFrame(Player &player, int channel)
{
    return MediaGen::readFrameMark(player.grabFrame(channel, true)).frame;
}

} // namespace

class TestPlayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void opensClip_data();
    void opensClip();
    void refusesClip_data();
    void refusesClip();
    void clipCutInsideItsFirstPictureIsRefused_data();
    void clipCutInsideItsFirstPictureIsRefused();
    void cancelledOpenReportsNothing_data();
    void cancelledOpenReportsNothing();
    void nullClipLeavesOpenClipAlone();
    void damagedSoundIndexKeepsTheLength();
    void picturesScaledToTheShownSize();
    void seekLandsOnFrame_data();
    void seekLandsOnFrame();
    void stepsLandOnNeighbourFrames_data();
    void stepsLandOnNeighbourFrames();
    void stepBackwardAtStartStaysAtStart();
    void rewindReturnsToStartAndFlags();
    void rateKeepsPictureAndLaterSeeks();
    void endOfStreamGivesLength();
    void transportFlags();
    void closedPlayerRefusesRequests();
    void errorWhilePlayingStopsAndReports();
    void unusableAudioOutputStillPlays_data();
    void unusableAudioOutputStillPlays();
    void missingSoundDecoderPlaysPicturesSilently();
    void volumeReachesTheSoundOnly();
    void grabFrameKeepsLastImageWhenClosed();

private:
    bool openClip(const QString &name);
    void requireClip(const QString &name);

    PlayerTestClips m_clips;
    PictureRecorder m_output;
    std::unique_ptr<Player> m_player;
    std::unique_ptr<Clip> m_clip;
};

void TestPlayer::initTestCase()
{
    QVERIFY(MediaFramework::initialise());
    QString error;
    QVERIFY2(m_clips.create(&error), qPrintable(error));
}

void TestPlayer::init()
{
    m_output = PictureRecorder();
    m_player = std::make_unique<Player>(Player::Options{&m_output});
}

void TestPlayer::cleanup()
{
    m_player.reset();
    m_clip.reset();
}

void TestPlayer::requireClip(const QString &name)
{
    const bool avi = !name.contains(QLatin1String(".mp4")) && !name.endsWith(QLatin1String(".MP4"))
                     && name != PlayerTestClips::mp4NamedAvi();
    const QStringList missing = avi ? m_clips.missingAvi() : m_clips.missingMp4();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("GStreamer plugins missing: ") + missing.join(QLatin1String(", "))));
}

bool TestPlayer::openClip(const QString &name)
{
    m_clip = std::make_unique<Clip>(QFileInfo(m_clips.path(name)));
    return PlayerTestClips::openAndWait(*m_player, m_clip.get());
}

void TestPlayer::opensClip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QSize>("size1");
    QTest::addColumn<bool>("audio");
    QTest::addColumn<QString>("recipe");
    const QSize none(0, 0);
    const QSize second(160, 90);
    QTest::newRow("mp4, two channels") << PlayerTestClips::mp4Two() << 2 << second << true << "mp4";
    QTest::newRow("mp4 with three video tracks keeps two") << PlayerTestClips::mp4Three() << 2 << second << true
                                                           << "mp4";
    QTest::newRow("mp4, one channel") << PlayerTestClips::mp4One() << 1 << none << true << "mp4";
    QTest::newRow("mp4 without sound plays silently") << PlayerTestClips::mp4Silent() << 1 << none << false << "mp4";
    QTest::newRow("avi, one channel") << PlayerTestClips::aviOne() << 1 << none << true << "avi";
    QTest::newRow("avi, two channels and telemetry") << PlayerTestClips::aviTwo() << 2 << second << true << "avi";
    QTest::newRow("mp4 content under an avi name") << PlayerTestClips::mp4NamedAvi() << 1 << none << true << "fallback";
    QTest::newRow("capital MP4 extension goes the avi way") << PlayerTestClips::mp4CapitalName() << 1 << none << true
                                                            << "fallback";
}

void TestPlayer::opensClip()
{
    QFETCH(QString, name);
    QFETCH(int, channels);
    QFETCH(QSize, size1);
    QFETCH(bool, audio);
    QFETCH(QString, recipe);
    requireClip(name);
    // The answer comes later: nothing is open while the pipeline is being built.
    m_clip = std::make_unique<Clip>(QFileInfo(m_clips.path(name)));
    QSignalSpy opened(m_player.get(), &Player::opened);
    QSignalSpy failed(m_player.get(), &Player::failed);
    QVERIFY(m_player->open(m_clip.get()));
    QVERIFY(m_player->status().opening);
    QVERIFY(!m_player->status().clip);
    QVERIFY(!m_player->play());
    QTRY_VERIFY_WITH_TIMEOUT(opened.count() + failed.count() > 0, 20000);
    QVERIFY2(failed.isEmpty(), qPrintable(m_player->status().error));
    QCOMPARE(opened.count(), 1);
    QVERIFY(!m_player->status().opening);
    QCOMPARE(m_player->status().clip, m_clip.get());
    QCOMPARE(m_player->facts().channelCount, channels);
    QCOMPARE(m_player->facts().videoSize(0), QSize(320, 180));
    QCOMPARE(m_player->facts().videoSize(1), size1);
    QCOMPARE(m_player->status().hasAudio, audio);
    QCOMPARE(Player::recipeName(m_player->status().recipe), recipe);
    QVERIFY2(qAbs(m_player->lengthMs() - 2000) <= 100, qPrintable(QString::number(m_player->lengthMs())));
    const QImage black = m_player->grabFrame(0, false);
    QCOMPARE(black.size(), QSize(320, 180));
    QCOMPARE(black.pixel(10, 10), qRgb(0, 0, 0));
    QCOMPARE(m_player->grabFrame(1, false).isNull(), channels == 1);

    m_player->close();
    QVERIFY(!m_player->status().clip);
    QCOMPARE(m_player->facts(), PlaybackFacts()); // the facts go with the clip
}

void TestPlayer::refusesClip_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("random bytes") << PlayerTestClips::randomBytes();
    QTest::newRow("zero-length mp4") << PlayerTestClips::emptyMp4();
    QTest::newRow("zero-length avi") << PlayerTestClips::emptyAvi();
    QTest::newRow("text under an avi name") << PlayerTestClips::textAvi();
    QTest::newRow("missing file") << QStringLiteral("REC_2012_05_14_11_00_00.mp4");
    if (m_clips.missingMp4().isEmpty()) {
        QTest::newRow("mp4 cut in half") << PlayerTestClips::truncatedMp4();
        QTest::newRow("mp4 claiming no length") << PlayerTestClips::mp4WithoutLength();
        QTest::newRow("mp4 whose tracks hold nothing") << PlayerTestClips::mp4WithoutPictures();
    }
}

void TestPlayer::refusesClip()
{
    QFETCH(QString, name);
    QSignalSpy failed(m_player.get(), &Player::failed);
    QVERIFY(!openClip(name));
    QCOMPARE(failed.count(), 1);
    QVERIFY(!failed.first().first().toString().isEmpty());
    QVERIFY(!m_player->status().clip);
    QVERIFY(!m_player->status().opening);
    QCOMPARE(m_player->status().error, failed.first().first().toString());
    QCOMPARE(m_player->lengthMs(), 0);
    QVERIFY(!m_player->play());
    QVERIFY(m_player->grabFrame(0, true).isNull());
}

void TestPlayer::clipCutInsideItsFirstPictureIsRefused_data()
{
    QTest::addColumn<int>("bytes");
    for (int bytes : {600, 2000, 8000, 20000, 50000})
        QTest::addRow("cut after %d bytes", bytes) << bytes;
}

// A recorder clip cut inside its first picture (a card pulled while writing): the container's
// headers are whole, its data ends before one picture is complete. The open is refused at once,
// saying so, instead of waiting for pictures that never come.
void TestPlayer::clipCutInsideItsFirstPictureIsRefused()
{
    QFETCH(int, bytes);
    if (!m_clips.missingAvi().isEmpty())
        QSKIP("GStreamer plugins missing for AVI clips");
    QTemporaryDir dir;
    MediaGen::ClipDesign design;
    design.channels = {QSize(1920, 1080), QSize(640, 360)};
    design.frames = 2;
    design.textured = true; // a first picture of far more than 50,000 bytes
    const QString whole = dir.filePath(QStringLiteral("whole.avi"));
    QVERIFY(MediaGen::writeAvi(whole, design));
    QFile source(whole);
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QString cutPath = dir.filePath(QStringLiteral("REC_2012_05_14_10_50_00.avi"));
    QFile cut(cutPath);
    QVERIFY(cut.open(QIODevice::WriteOnly) && cut.write(source.read(bytes)) == bytes);
    cut.close();
    m_clip = std::make_unique<Clip>(QFileInfo(cutPath));
    QSignalSpy failed(m_player.get(), &Player::failed);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!PlayerTestClips::openAndWait(*m_player, m_clip.get()));
    QCOMPARE(failed.count(), 1);
    QVERIFY2(failed.first().first().toString().contains(QLatin1String("cut short")),
             qPrintable(failed.first().first().toString()));
    // Well before any of the open's time limits (the shortest is 5 s).
    QVERIFY2(clock.elapsed() < 4000, qPrintable(QString::number(clock.elapsed())));
}

void TestPlayer::cancelledOpenReportsNothing_data()
{
    QTest::addColumn<bool>("closeFirst");
    QTest::newRow("a newer open") << false;
    QTest::newRow("a close, then a newer open") << true;
}

// Only the last clip asked for answers; the open it replaced says nothing, even later.
void TestPlayer::cancelledOpenReportsNothing()
{
    QFETCH(bool, closeFirst);
    requireClip(PlayerTestClips::mp4Two());
    requireClip(PlayerTestClips::aviTwo());
    Clip first{QFileInfo(m_clips.path(PlayerTestClips::mp4Two()))};
    QSignalSpy opened(m_player.get(), &Player::opened);
    QSignalSpy failed(m_player.get(), &Player::failed);
    QVERIFY(m_player->open(&first));
    if (closeFirst) {
        m_player->close();
        QVERIFY(!m_player->status().opening);
    }
    QVERIFY(openClip(PlayerTestClips::aviTwo()));
    QCOMPARE(m_player->status().clip, m_clip.get());
    QVERIFY(m_player->seekMs(1033));
    QTRY_COMPARE(m_output.frame(0), 15);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(failed.count(), 0);
}

// A damaged index that claims hours of sound does not make a 2 s clip hours long: the length is
// the pictures'.
void TestPlayer::damagedSoundIndexKeepsTheLength()
{
    requireClip(PlayerTestClips::aviWithHoursOfSound());
    QVERIFY2(openClip(PlayerTestClips::aviWithHoursOfSound()), qPrintable(m_player->status().error));
    QVERIFY2(qAbs(m_player->lengthMs() - 2000) <= 100, qPrintable(QString::number(m_player->lengthMs())));
    QSignalSpy ended(m_player.get(), &Player::endOfStream);
    QVERIFY(m_player->seekMs(1500));
    QVERIFY(m_player->play());
    QTRY_COMPARE(ended.count(), 1);
    QCOMPARE(m_player->positionMs(), m_player->lengthMs());
}

void TestPlayer::nullClipLeavesOpenClipAlone()
{
    requireClip(PlayerTestClips::mp4One());
    QVERIFY(openClip(PlayerTestClips::mp4One()));
    QVERIFY(!m_player->open(nullptr));
    QCOMPARE(m_player->status().clip, m_clip.get());
    QVERIFY(m_player->lengthMs() > 0);
    QVERIFY(m_player->seekMs(500));
}

// The pipeline scales pictures to the box they are drawn in, never above their decoded size; a
// snapshot still has the decoded size.
void TestPlayer::picturesScaledToTheShownSize()
{
    requireClip(PlayerTestClips::mp4Two());
    QVERIFY(openClip(PlayerTestClips::mp4Two()));
    m_player->setDisplaySize(0, QSize(240, 240)); // taller than the picture
    m_player->setDisplaySize(1, QSize(640, 360));
    QVERIFY(m_player->seekMs(1033));
    QTRY_COMPARE(m_output.picture(0).size(), QSize(240, 180));
    QTRY_COMPARE(m_output.frame(1), 15);
    QCOMPARE(m_output.picture(1).size(), QSize(160, 90));
    QCOMPARE(m_player->grabFrame(0, true).size(), QSize(320, 180));
    QCOMPARE(grabbedFrame(*m_player, 0), 15);
    // A larger box while paused shows the same picture again at the larger size.
    m_player->setDisplaySize(0, QSize(640, 360));
    QTRY_COMPARE(m_output.picture(0).size(), QSize(320, 180));
    QCOMPARE(m_output.frame(0), 15);
}

void TestPlayer::seekLandsOnFrame_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("ms");
    QTest::addColumn<int>("frame");
    for (const QString &name : {PlayerTestClips::mp4Two(), PlayerTestClips::aviTwo()}) {
        const QByteArray kind = name.endsWith(QLatin1String("mp4")) ? "mp4" : "avi";
        QTest::addRow("%s start", kind.constData()) << name << 0 << 0;
        QTest::addRow("%s first frame boundary", kind.constData()) << name << 67 << 1;
        QTest::addRow("%s middle", kind.constData()) << name << 1033 << 15;
        QTest::addRow("%s last frame", kind.constData()) << name << 1960 << 29;
    }
}

void TestPlayer::seekLandsOnFrame()
{
    QFETCH(QString, name);
    QFETCH(int, ms);
    QFETCH(int, frame);
    requireClip(name);
    QVERIFY(openClip(name));
    QVERIFY(m_player->seekMs(ms));
    QTRY_COMPARE(m_output.frame(0), frame);
    QTRY_COMPARE(m_output.frame(1), frame);
    QCOMPARE(grabbedFrame(*m_player, 0), frame);
    QCOMPARE(grabbedFrame(*m_player, 1), frame);
    QCOMPARE(MediaGen::readFrameMark(m_player->grabFrame(1, false)).channel, 1);
    QCOMPARE(m_player->positionMs(), ms);
}

void TestPlayer::stepsLandOnNeighbourFrames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("fps");
    for (int fps : {10, 15, 30}) {
        QTest::addRow("mp4 at %d per second", fps) << (fps == 15 ? PlayerTestClips::mp4Two() : PlayerTestClips::mp4AtRate(fps)) << fps;
        QTest::addRow("avi at %d per second", fps) << (fps == 15 ? PlayerTestClips::aviTwo() : PlayerTestClips::aviAtRate(fps)) << fps;
    }
}

// Each step moves exactly one picture at the clip's own rate, forward and back, from a picture a
// seek landed on; two quick steps are two pictures.
void TestPlayer::stepsLandOnNeighbourFrames()
{
    QFETCH(QString, name);
    QFETCH(int, fps);
    requireClip(name);
    QVERIFY(openClip(name));
    QCOMPARE(qRound(m_player->status().frameDurationMs * fps), 1000);
    const int start = 12;
    QVERIFY(m_player->seekMs(start * 1000 / fps + 1));
    QTRY_COMPARE(m_output.frame(0), start);
    QVERIFY(m_player->step(+1));
    QTRY_COMPARE(m_output.frame(0), start + 1);
    QCOMPARE(grabbedFrame(*m_player, 0), start + 1);
    QVERIFY(m_player->step(+1));
    QVERIFY(m_player->step(+1));
    QTRY_COMPARE(m_output.frame(0), start + 3);
    if (m_player->facts().channelCount == 2)
        QTRY_COMPARE(m_output.frame(1), start + 3);
    QCOMPARE(qRound(m_player->positionMs() * fps / 1000.0), start + 3);
    QVERIFY(m_player->step(-1));
    QTRY_COMPARE(m_output.frame(0), start + 2);
    QVERIFY(m_player->step(-1));
    QTRY_COMPARE(m_output.frame(0), start + 1);
    QCOMPARE(grabbedFrame(*m_player, 0), start + 1);
    QCOMPARE(int(m_player->positionMs() * fps / 1000), start + 1);
    // Playing on after steps keeps going from the picture shown.
    QSignalSpy ended(m_player.get(), &Player::endOfStream);
    QVERIFY(m_player->play());
    QTRY_COMPARE(ended.count(), 1);
}

void TestPlayer::stepBackwardAtStartStaysAtStart()
{
    requireClip(PlayerTestClips::aviOne());
    QVERIFY(openClip(PlayerTestClips::aviOne()));
    QVERIFY(m_player->seekMs(30));
    QVERIFY(m_player->step(-1)); // the negative target is clamped to the start
    QTRY_COMPARE(grabbedFrame(*m_player, 0), 0);
    QCOMPARE(m_player->positionMs(), 0);
}

void TestPlayer::rewindReturnsToStartAndFlags()
{
    requireClip(PlayerTestClips::mp4One());
    QVERIFY(openClip(PlayerTestClips::mp4One()));
    QVERIFY(m_player->seekMs(1500));
    QTRY_COMPARE(m_output.frame(0), 22);
    QVERIFY(m_player->rewind());
    QCOMPARE(m_player->status().flags, quint32(Player::Rewound));
    QTRY_COMPARE(m_output.frame(0), 0);
    QCOMPARE(m_player->positionMs(), 0);
}

void TestPlayer::rateKeepsPictureAndLaterSeeks()
{
    requireClip(PlayerTestClips::mp4One());
    QVERIFY(openClip(PlayerTestClips::mp4One()));
    QVERIFY(m_player->seekMs(500));
    QTRY_COMPARE(m_output.frame(0), 7);
    QVERIFY(m_player->setRate(2.0));
    QTRY_COMPARE(grabbedFrame(*m_player, 0), 7);
    QTRY_COMPARE(m_player->positionMs() * 15 / 1000, 7);
    QVERIFY(m_player->seekMs(1033));
    QTRY_COMPARE(m_output.frame(0), 15);
    QVERIFY(!m_player->setRate(0.0));
    QSignalSpy ended(m_player.get(), &Player::endOfStream);
    QVERIFY(m_player->play());
    QTRY_COMPARE(ended.count(), 1);
    QCOMPARE(m_player->positionMs(), m_player->lengthMs());
}

void TestPlayer::endOfStreamGivesLength()
{
    requireClip(PlayerTestClips::mp4Two());
    QVERIFY(openClip(PlayerTestClips::mp4Two()));
    QSignalSpy ended(m_player.get(), &Player::endOfStream);
    QVERIFY(m_player->seekMs(1500));
    QVERIFY(m_player->play());
    QTRY_COMPARE(ended.count(), 1);
    QVERIFY(m_player->lengthMs() > 0);
    QCOMPARE(m_player->positionMs(), m_player->lengthMs());
    QCOMPARE(m_output.frame(0), 29);
    QVERIFY(m_player->rewind()); // and a seek leaves the end again
    QTRY_COMPARE(m_player->positionMs(), 0);
}

void TestPlayer::transportFlags()
{
    requireClip(PlayerTestClips::aviOne());
    QVERIFY(openClip(PlayerTestClips::aviOne()));
    QCOMPARE(m_player->status().flags, 0u);
    QVERIFY(m_player->pause());
    QCOMPARE(m_player->status().flags, quint32(Player::Paused));
    QVERIFY(m_player->play());
    QCOMPARE(m_player->status().flags, 0u);
    QTRY_VERIFY(m_player->status().running);
    QVERIFY(m_player->stop());
    QCOMPARE(m_player->status().flags, quint32(Player::Stopped));
    QTRY_VERIFY(!m_player->status().running);
    QVERIFY(m_player->seekMs(100));
    QCOMPARE(m_player->status().flags, quint32(Player::Stopped)); // seeks leave the flags alone
}

// Refused requests say so and set no state: a pause or stop that did not happen leaves no flag.
void TestPlayer::closedPlayerRefusesRequests()
{
    QVERIFY(!m_player->play());
    QVERIFY(!m_player->pause());
    QCOMPARE(m_player->status().flags, 0u);
    QVERIFY(!m_player->stop());
    QCOMPARE(m_player->status().flags, 0u);
    QVERIFY(!m_player->rewind());
    QVERIFY(!m_player->seekMs(600000));
    QVERIFY(!m_player->step(+1));
    QVERIFY(!m_player->step(-1));
    QVERIFY(!m_player->setRate(1.0));
    QVERIFY(!m_player->status().running);
    QCOMPARE(m_player->lengthMs(), 0);
    QCOMPARE(m_player->positionMs(), 0);
    QVERIFY(m_player->grabFrame(0).isNull());
    m_player->setDisplaySize(0, QSize(10, 10));
    QCOMPARE(m_output.received(), 0);
}

void TestPlayer::errorWhilePlayingStopsAndReports()
{
    requireClip(PlayerTestClips::damagedMp4());
    QVERIFY2(openClip(PlayerTestClips::damagedMp4()), qPrintable(m_player->status().error));
    QSignalSpy failed(m_player.get(), &Player::errorOccurred);
    QSignalSpy ended(m_player.get(), &Player::endOfStream);
    QVERIFY(m_player->seekMs(4500));
    QVERIFY(m_player->play());
    QTRY_VERIFY_WITH_TIMEOUT(failed.count() > 0 || ended.count() > 0, 15000);
    QCOMPARE(failed.count(), 1);
    QVERIFY(!failed.first().first().toString().isEmpty());
    QCOMPARE(m_player->status().error, failed.first().first().toString());
    QVERIFY((m_player->status().flags & Player::Stopped));
    QVERIFY(m_player->status().broken);
    QVERIFY(!m_player->status().running);
    QVERIFY(!m_player->play()); // it has to be opened again
    QCOMPARE(m_player->status().clip, m_clip.get());
    QCoreApplication::processEvents(); // the follow-up errors of the same failure are queued too
    QCOMPARE(failed.count(), 1);
    m_player->close();
}

void TestPlayer::unusableAudioOutputStillPlays_data()
{
    QTest::addColumn<QByteArray>("sink");
    QTest::newRow("no such output") << QByteArray("qrd7700-no-such-sink");
    QTest::newRow("an element that is not an output") << QByteArray("identity");
    QTest::newRow("an output without a sound card here") << QByteArray("alsasink");
}

void TestPlayer::unusableAudioOutputStillPlays()
{
    QFETCH(QByteArray, sink);
    requireClip(PlayerTestClips::mp4One());
    const QByteArray saved = qgetenv("QRD7700_AUDIO_SINK");
    qputenv("QRD7700_AUDIO_SINK", sink);
    const bool opened = openClip(PlayerTestClips::mp4One());
    qputenv("QRD7700_AUDIO_SINK", saved);
    QVERIFY2(opened, qPrintable(m_player->status().error));
    QVERIFY(m_player->status().hasAudio); // the sound goes to a clock-synchronised stand-in
    QSignalSpy ended(m_player.get(), &Player::endOfStream);
    QVERIFY(m_player->seekMs(1500));
    QVERIFY(m_player->play());
    QTRY_COMPARE(ended.count(), 1);
    QCOMPARE(m_output.frame(0), 29);
}

// Without a decoder for the sound the pictures still play, silently, and the missing decoder is
// named.
void TestPlayer::missingSoundDecoderPlaysPicturesSilently()
{
    requireClip(PlayerTestClips::mp4One());
    bool opened = false;
    {
        const MediaGen::HiddenDecoders hidden(MediaGen::HiddenDecoders::Kind::Sound);
        opened = openClip(PlayerTestClips::mp4One());
    }
    QVERIFY2(opened, qPrintable(m_player->status().error));
    QVERIFY(!m_player->status().hasAudio);
    QVERIFY(m_player->status().missingPlugins.join(QLatin1Char(' ')).contains(QLatin1String("audio/mpeg")));
    QSignalSpy ended(m_player.get(), &Player::endOfStream);
    QVERIFY(m_player->seekMs(1500));
    QVERIFY(m_player->play());
    QTRY_COMPARE(ended.count(), 1);
    QCOMPARE(m_output.frame(0), 29);
}

// The program's own volume reaches the clip's sound branch, now and for later clips.
void TestPlayer::volumeReachesTheSoundOnly()
{
    requireClip(PlayerTestClips::mp4One());
    m_player->setVolume(0.25);
    QVERIFY(openClip(PlayerTestClips::mp4One()));
    QCOMPARE(m_player->status().appliedVolume, 0.25);
    m_player->setVolume(0.0);
    QCOMPARE(m_player->status().appliedVolume, 0.0);
    m_player->setVolume(7.0);
    QCOMPARE(m_player->status().appliedVolume, 1.0);
    requireClip(PlayerTestClips::mp4Silent());
    QVERIFY(openClip(PlayerTestClips::mp4Silent()));
    QCOMPARE(m_player->status().appliedVolume, -1.0);
    QCOMPARE(m_player->status().volume, 1.0);
}

void TestPlayer::grabFrameKeepsLastImageWhenClosed()
{
    requireClip(PlayerTestClips::mp4One());
    QVERIFY(openClip(PlayerTestClips::mp4One()));
    QVERIFY(m_player->seekMs(700));
    QTRY_COMPARE(grabbedFrame(*m_player, 0), 10);
    m_player->close();
    QCOMPARE(grabbedFrame(*m_player, 0), 10);
}

// Critical warnings that reach GLib's default output (the media framework routes the ones it knows
// to be harmless elsewhere).
int s_criticals = 0;

void countCriticals(const gchar *domain, GLogLevelFlags level, const gchar *message, gpointer data)
{
    if (level & G_LOG_LEVEL_CRITICAL)
        ++s_criticals;
    g_log_default_handler(domain, level, message, data);
}

int main(int argc, char **argv)
{
    g_log_set_default_handler(&countCriticals, nullptr);
    QGuiApplication app(argc, argv);
    TestPlayer test;
    const int result = QTest::qExec(&test, argc, argv);
    if (s_criticals > 0) {
        qWarning("%d critical warning(s) from the media framework", s_criticals);
        return result ? result : 1;
    }
    return result;
}
#include "tst_player.moc"
