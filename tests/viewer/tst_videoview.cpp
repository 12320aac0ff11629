// The video view on a real player: fitting, zoom, pan, the loading picture and rotation.
#include "viewer/videoview.h"

#include "catalogue/clip.h"
#include "playback/colorconversion.h"
#include "playback/mediaframework.h"
#include "playback/player.h"
#include "tools/mediagen/mediagen.h"
#include "viewer/videogeometry.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr QSize kFront(320, 180);
constexpr QSize kRear(160, 90);

std::vector<uchar> yuy2Of(const QImage &image)
{
    std::vector<uchar> bytes(size_t(image.width() * image.height() * 2));
    ColorConversion::imageToYuy2(image, bytes.data(), image.width() * 2);
    return bytes;
}

// The frame number a YUY2 picture carries after turning it by `degrees`.
int frameAfterTurning(const std::vector<uchar> &bytes, const QSize &size, int degrees)
{
    const QImage picture = ColorConversion::yuy2ToImage(bytes.data(), size.width(), size.height(), size.width() * 2);
    return MediaGen::readFrameMark(picture.transformed(QTransform().rotate(degrees))).frame;
}

} // namespace

class TestVideoView : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void nullClipIsRefused();
    void opensAndFits();
    void loadingPictureOnFirstPictureOnly();
    void rotationRepeatsEverySecondPicture();
    void zoomSteps();
    void panByDragging();
    void secondViewShowsChannelOne();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Clip> m_clip;
    std::unique_ptr<VideoView> m_view;
};

void TestVideoView::initTestCase()
{
    const QStringList missing = MediaGen::missingForMp4(false);
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("GStreamer elements missing: ") + missing.join(QLatin1String(", "))));
    MediaGen::ClipSpec clipSpec;
    clipSpec.channels = {kFront, kRear};
    clipSpec.fps = 15;
    clipSpec.frames = 15;
    clipSpec.audio = false;
    const QString path = m_dir.filePath(QStringLiteral("REC_2012_05_14_10_20_30.mp4"));
    QString error;
    QVERIFY2(MediaGen::writeMp4(path, clipSpec, &error), qPrintable(error));
    m_clip = std::make_unique<Clip>(QFileInfo(path));
}

void TestVideoView::init()
{
    m_view = std::make_unique<VideoView>();
    m_view->resize(640, 360);
    m_view->show();
}

void TestVideoView::cleanup()
{
    m_view.reset();
}

void TestVideoView::nullClipIsRefused()
{
    QSignalSpy opened(m_view.get(), &VideoView::fileOpened);
    QVERIFY(!m_view->openClip(nullptr));
    QCOMPARE(opened.count(), 0);
    // Before a video size is known nothing is laid out.
    m_view->layoutRenderers();
    QVERIFY(m_view->rendererRect().isNull());
}

void TestVideoView::opensAndFits()
{
    QSignalSpy opened(m_view.get(), &VideoView::fileOpened);
    QVERIFY(m_view->openClip(m_clip.get()));
    QCOMPARE(opened.count(), 1);
    QCOMPARE(m_view->player()->videoSize(0), kFront);
    m_view->setVideoSize(m_view->player()->videoSize(0));
    m_view->layoutRenderers();
    QCOMPARE(m_view->rendererRect(), *VideoGeometry::fittedRect(QSize(640, 360), kFront));
    m_view->resize(800, 400);
    QCOMPARE(m_view->rendererRect(), *VideoGeometry::fittedRect(QSize(800, 400), kFront));
}

namespace {

// How many pixels of the loading picture's band differ clearly from the plain frame 0.
int changedInLoadingBand(const QImage &shown)
{
    const QImage first = shown.convertToFormat(QImage::Format_RGB32);
    const QImage plain = MediaGen::drawFrame(0, 0, kFront);
    const QRect band = VideoGeometry::loadingRect(kFront, QSize(390, 84)).intersected(first.rect());
    int changed = 0;
    for (int y = band.top(); y <= band.bottom(); ++y) {
        for (int x = band.left(); x <= band.right(); ++x)
            changed += qAbs(qGray(first.pixel(x, y)) - qGray(plain.pixel(x, y))) > 24;
    }
    return changed;
}

} // namespace

void TestVideoView::loadingPictureOnFirstPictureOnly()
{
    QVERIFY(m_view->openClip(m_clip.get()));
    Player *player = m_view->player();
    // The first picture that reaches the view after the open (here the one shown after rewinding)
    // carries the loading picture over its middle; its frame mark at the top survives.
    QVERIFY(player->rewind());
    const int band = kFront.width() * 84;
    QTRY_VERIFY(changedInLoadingBand(player->rendererPicture(0)) > band / 3);
    QCOMPARE(MediaGen::readFrameMark(player->rendererPicture(0)).frame, 0);

    // Later pictures pass untouched.
    std::vector<uchar> next = yuy2Of(MediaGen::drawFrame(0, 5, kFront));
    const std::vector<uchar> before = next;
    m_view->processSample(0, 0.3, next.data(), int(next.size()));
    QVERIFY(next == before);
    QVERIFY(player->seekMs(200));
    QTRY_COMPARE(MediaGen::readFrameMark(player->rendererPicture(0)).frame, 3);
    QCOMPARE(changedInLoadingBand(player->rendererPicture(0)) < band / 3, true);
}

void TestVideoView::rotationRepeatsEverySecondPicture()
{
    QVERIFY(m_view->openClip(m_clip.get()));
    Player *player = m_view->player();
    // Use up the loading picture on a real picture first.
    QVERIFY(player->rewind());
    QTRY_VERIFY(changedInLoadingBand(player->rendererPicture(0)) > 0);
    player->rotate(180);
    QCOMPARE(player->rotation(), 180);

    for (int frame : {1, 2, 3, 4}) {
        std::vector<uchar> bytes = yuy2Of(MediaGen::drawFrame(0, frame, kFront));
        m_view->processSample(0, frame / 15.0, bytes.data(), int(bytes.size()));
        // Pictures 1 and 3 are rotated afresh; 2 and 4 repeat the previous rotated picture.
        const int expected = frame % 2 == 1 ? frame : frame - 1;
        QCOMPARE(frameAfterTurning(bytes, kFront, 180), expected);
    }
    // The other channel keeps its own alternation.
    std::vector<uchar> rear = yuy2Of(MediaGen::drawFrame(1, 7, kRear));
    m_view->processSample(1, 0.5, rear.data(), int(rear.size()));
    QCOMPARE(frameAfterTurning(rear, kRear, 180), 7);

    // A buffer shorter than the announced picture is left alone.
    std::vector<uchar> tiny(16, 0x55);
    m_view->processSample(0, 0, tiny.data(), int(tiny.size()));
    QVERIFY(std::all_of(tiny.begin(), tiny.end(), [](uchar b) { return b == 0x55; }));
}

void TestVideoView::zoomSteps()
{
    QVERIFY(m_view->openClip(m_clip.get()));
    m_view->setVideoSize(kFront);
    m_view->setBoxForArea(640, 360);
    m_view->layoutRenderers();
    m_view->zoomBy(+1);
    QVERIFY(qAbs(m_view->zoom() - 1.3f) < 1e-5f);
    QCOMPARE(m_view->rendererRect(), VideoGeometry::zoomedRect(QSize(640, 360), m_view->zoom(), QSize(640, 360)));
    for (int i = 0; i < 20; ++i)
        m_view->zoomBy(+1);
    QCOMPARE(m_view->zoom(), 4.0f);
    m_view->zoomBy(0);
    QCOMPARE(m_view->zoom(), 1.0f);
    QCOMPARE(m_view->rendererRect(), *VideoGeometry::fittedRect(QSize(640, 360), kFront));
    m_view->zoomBy(+1);
    m_view->zoomBy(-1);
    QCOMPARE(m_view->zoom(), 1.0f);
    QCOMPARE(m_view->rendererRect(), *VideoGeometry::fittedRect(QSize(640, 360), kFront));
}

void TestVideoView::panByDragging()
{
    QVERIFY(m_view->openClip(m_clip.get()));
    m_view->setVideoSize(kFront);
    m_view->layoutRenderers();
    m_view->zoomBy(+1);
    const QRect zoomed = m_view->rendererRect();

    // Without pan mode the drag does nothing.
    QTest::mousePress(m_view.get(), Qt::LeftButton, {}, QPoint(200, 200));
    QTest::mouseMove(m_view.get(), QPoint(150, 170));
    QCOMPARE(m_view->rendererRect(), zoomed);

    m_view->setPanEnabled(true);
    QTest::mousePress(m_view.get(), Qt::LeftButton, {}, QPoint(200, 200));
    QTest::mouseMove(m_view.get(), QPoint(202, 198)); // under 3 pixels: nothing
    QCOMPARE(m_view->rendererRect(), zoomed);
    QTest::mouseMove(m_view.get(), QPoint(150, 170));
    QCOMPARE(m_view->rendererRect().topLeft(), QPoint(-50, -30));
    QCOMPARE(m_view->rendererRect().size(), zoomed.size());
    // Moving the corner more than 20 pixels right is refused; the picture stays.
    QTest::mouseMove(m_view.get(), QPoint(230, 200));
    QCOMPARE(m_view->rendererRect().topLeft(), QPoint(-50, -30));
    QTest::mouseRelease(m_view.get(), Qt::LeftButton, {}, QPoint(230, 200));
}

void TestVideoView::secondViewShowsChannelOne()
{
    QVERIFY(m_view->openClip(m_clip.get()));
    VideoView second;
    second.resize(320, 180);
    second.show();
    second.setSecondChannelPlayer(m_view->player());
    second.setVideoSize(m_view->player()->videoSize(1));
    second.setVideoVisible(false);
    second.setVisible(true);
    second.setVideoVisible(true);
    QCOMPARE(second.rendererRect(), *VideoGeometry::fittedRect(QSize(320, 180), kRear));
    QTRY_COMPARE(MediaGen::readFrameMark(m_view->player()->rendererPicture(1)).channel, 1);
    // Zooming the second view acts on the channel it shows.
    second.zoomBy(+1);
    QCOMPARE(second.rendererRect(), VideoGeometry::zoomedRect(QSize(320, 180), second.zoom(), QSize(640, 360)));
}

int main(int argc, char **argv)
{
    if (!MediaFramework::initialise())
        return 1;
    QApplication app(argc, argv);
    TestVideoView test;
    const int result = QTest::qExec(&test, argc, argv);
    return result;
}

#include "tst_videoview.moc"
