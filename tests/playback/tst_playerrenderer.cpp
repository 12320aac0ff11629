#include "playback/player.h"

#include "catalogue/clip.h"
#include "playback/mediaframework.h"
#include "playertestclips.h"
#include "generators/mediagen/mediagen.h"

#include <QPainter>
#include <QTest>
#include <QWidget>

#include <memory>

// The player's renderers: pictures drawn into the rectangle a widget gave, only inside that widget.
class TestPlayerRenderer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void rendererDrawsOnlyWhereShown();
    void rendererClipsToWidget();
    void widgetDestroyedBeforeQueuedFrame();

private:
    bool openClip(const QString &name);

    PlayerTestClips m_clips;
    std::unique_ptr<Player> m_player;
    std::unique_ptr<Clip> m_clip;
};

namespace {

int shownFrame(const Player &player, int channel)
{
    return MediaGen::readFrameMark(player.rendererPicture(channel)).frame;
}

} // namespace

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
    m_player = std::make_unique<Player>();
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

void TestPlayerRenderer::rendererDrawsOnlyWhereShown()
{
    QVERIFY(openClip(PlayerTestClips::mp4One()));
    QWidget window;
    window.resize(400, 300);
    QWidget other;
    QTRY_COMPARE(shownFrame(*m_player, 0), 0);
    const QRgb empty = qRgb(255, 0, 255);
    auto paintInto = [&](const QWidget *target) {
        QImage canvas(400, 300, QImage::Format_RGB32);
        canvas.fill(empty);
        QPainter painter(&canvas);
        m_player->paintRenderers(painter, target);
        return canvas;
    };
    QCOMPARE(paintInto(&window).pixel(100, 100), empty); // nothing before showRenderer

    QVERIFY(m_player->showRenderer(&window, QRect(20, 40, 160, 90), 0));
    QVERIFY(!m_player->showRenderer(&window, QRect(0, 0, 10, 10), 1)); // the clip has one channel
    QImage canvas = paintInto(&window);
    QCOMPARE(canvas.pixel(10, 10), empty);
    QVERIFY(canvas.pixel(100, 110) != empty);
    QCOMPARE(paintInto(&other).pixel(100, 110), empty);

    QVERIFY(!m_player->moveRenderer(&window, 200, 150, 7)); // any channel but 1 is channel 0
    QVERIFY(!m_player->resizeRenderer(&window, 100, 60, 0));
    canvas = paintInto(&window);
    QCOMPARE(canvas.pixel(100, 110), empty);
    QVERIFY(canvas.pixel(250, 200) != empty);
    QCOMPARE(canvas.pixel(320, 230), empty);

    QVERIFY(m_player->hideRenderer(0));
    QCOMPARE(paintInto(&window).pixel(250, 200), empty);
}


void TestPlayerRenderer::rendererClipsToWidget()
{
    QVERIFY(openClip(PlayerTestClips::mp4One()));
    QWidget window;
    window.resize(200, 100);
    QTRY_COMPARE(shownFrame(*m_player, 0), 0);
    QVERIFY(m_player->showRenderer(&window, QRect(100, 50, 320, 180), 0));
    QImage canvas(400, 300, QImage::Format_RGB32);
    canvas.fill(Qt::magenta);
    QPainter painter(&canvas);
    m_player->paintRenderers(painter, &window);
    painter.end();
    QVERIFY(canvas.pixel(150, 90) != QColor(Qt::magenta).rgb());
    QCOMPARE(canvas.pixel(300, 200), QColor(Qt::magenta).rgb());
}


void TestPlayerRenderer::widgetDestroyedBeforeQueuedFrame()
{
    QVERIFY(openClip(PlayerTestClips::mp4Two()));
    auto window = std::make_unique<QWidget>();
    QVERIFY(m_player->showRenderer(window.get(), QRect(0, 0, 160, 90), 0));
    QVERIFY(m_player->showRenderer(window.get(), QRect(160, 0, 160, 90), 1));
    QVERIFY(m_player->play());
    const quint64 before = m_player->renderedFrames(0);
    window.reset(); // frames already queued for the GUI thread must not reach it
    QTRY_VERIFY(m_player->renderedFrames(0) > before + 3);
    QTRY_VERIFY(shownFrame(*m_player, 0) > 3);
    QVERIFY(!m_player->moveRenderer(nullptr, 1, 1, 0));
}

QTEST_MAIN(TestPlayerRenderer)
#include "tst_playerrenderer.moc"
