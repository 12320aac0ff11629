#include "playback/player.h"

#include "catalogue/clip.h"
#include "playback/mediaframework.h"
#include "playertestclips.h"
#include "generators/mediagen/mediagen.h"

#include <QTest>

#include <memory>

namespace {

// Records, beside the pictures, every reset in order: "opening" or "closed".
class ResetRecorder : public PictureRecorder
{
public:
    void resetPictures(bool opening) override
    {
        PictureRecorder::resetPictures(opening);
        resets << (opening ? QStringLiteral("opening") : QStringLiteral("closed"));
    }
    QStringList resets;
};

} // namespace

// The player's renderers as its output sees them: each channel's pictures, numbered from 1 per
// open, and a reset whenever the pictures shown stop belonging to a clip.
class TestPlayerRenderer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void picturesArriveNumberedPerChannel();
    void outputIsResetWhenPicturesLoseTheirClip();
    void outputGoneBeforeQueuedPicture();

private:
    bool openClip(const QString &name);

    PlayerTestClips m_clips;
    ResetRecorder m_output;
    std::unique_ptr<Player> m_player;
    std::unique_ptr<Clip> m_clip;
};

void TestPlayerRenderer::initTestCase()
{
    QVERIFY(MediaFramework::initialise());
    if (!m_clips.missingMp4().isEmpty())
        QSKIP(qPrintable(QStringLiteral("GStreamer plugins missing: ") + m_clips.missingMp4().join(QLatin1String(", "))));
    QString error;
    QVERIFY2(m_clips.create(&error), qPrintable(error));
}

void TestPlayerRenderer::init()
{
    m_output = ResetRecorder();
    m_player = std::make_unique<Player>(Player::Options{&m_output});
}

void TestPlayerRenderer::cleanup()
{
    m_player.reset();
    m_clip.reset();
}

bool TestPlayerRenderer::openClip(const QString &name)
{
    m_clip = std::make_unique<Clip>(QFileInfo(m_clips.path(name)));
    return PlayerTestClips::openAndWait(*m_player, m_clip.get());
}

// The first picture (serial 1) is the one the clip opened on; every later picture counts on, and
// another open starts from 1 again. A one-channel clip sends nothing for channel 1.
void TestPlayerRenderer::picturesArriveNumberedPerChannel()
{
    QVERIFY(openClip(PlayerTestClips::mp4Two()));
    QTRY_COMPARE(m_output.serial(0), quint64(1));
    QTRY_COMPARE(m_output.serial(1), quint64(1));
    QCOMPARE(m_output.frame(0), 0);
    QCOMPARE(MediaGen::readFrameMark(m_output.picture(1)).channel, 1);
    QCOMPARE(m_output.picture(0).format(), QImage::Format_RGB32);
    QVERIFY(m_player->seekMs(1033));
    QTRY_COMPARE(m_output.frame(0), 15);
    QCOMPARE(m_output.serial(0), quint64(2));

    QVERIFY(openClip(PlayerTestClips::mp4One()));
    QTRY_COMPARE(m_output.serial(0), quint64(1));
    QVERIFY(m_player->seekMs(500));
    QTRY_COMPARE(m_output.frame(0), 7);
    QCOMPARE(m_output.serial(1), quint64(0));
    QVERIFY(m_output.picture(1).isNull());
}

void TestPlayerRenderer::outputIsResetWhenPicturesLoseTheirClip()
{
    QVERIFY(openClip(PlayerTestClips::mp4One()));
    QCOMPARE(m_output.resets, QStringList{QStringLiteral("opening")});
    QVERIFY(openClip(PlayerTestClips::mp4Two())); // the first clip closes, the second opens
    QCOMPARE(m_output.resets, QStringList({"opening", "closed", "opening"}));
    m_player->close();
    QCOMPARE(m_output.resets.last(), QStringLiteral("closed"));
    QVERIFY(m_output.picture(0).isNull());
    m_output.resets.clear();
    QVERIFY(!openClip(PlayerTestClips::randomBytes()));
    QCOMPARE(m_output.resets, QStringList({"opening", "closed"}));
    m_player->close(); // nothing open: nothing to reset
    QCOMPARE(m_output.resets.size(), 2);
}

// Pictures already queued for the GUI thread when the player goes reach nobody.
void TestPlayerRenderer::outputGoneBeforeQueuedPicture()
{
    QVERIFY(openClip(PlayerTestClips::mp4Two()));
    QVERIFY(m_player->play());
    QTRY_VERIFY(m_player->status().deliveredPictures[0] > 3);
    const int received = m_output.received();
    m_player.reset();
    QCoreApplication::processEvents();
    QCOMPARE(m_output.received(), received);
}

QTEST_GUILESS_MAIN(TestPlayerRenderer)
#include "tst_playerrenderer.moc"
