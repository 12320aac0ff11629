// The video view on a real player: fitting, zoom, pan, the loading picture, rotation and frame
// steps, read from what the view paints.
#include "viewer/videoview.h"

#include "catalogue/clip.h"
#include "playback/mediaframework.h"
#include "playback/player.h"
#include "generators/mediagen/mediagen.h"
#include "viewer/videogeometry.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr QSize kFront(320, 180);
constexpr QSize kRear(160, 90);

// The picture the view paints inside its renderer rectangle, turned back by `rotation`.
QImage shownPicture(VideoView &view, int rotation = 0)
{
    const QImage painted = view.grab().toImage().copy(view.rendererRect());
    return rotation ? painted.transformed(QTransform().rotate(-rotation)) : painted;
}

int shownFrame(VideoView &view, int rotation = 0)
{
    return MediaGen::readFrameMark(shownPicture(view, rotation)).frame;
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
    void everyPictureIsRotated();
    void framesStepAtTheClipsRate_data();
    void framesStepAtTheClipsRate();
    void zoomSteps();
    void panByDragging();
    void secondViewShowsChannelOne();

private:
    bool open(VideoView &view, Clip *clip);

    QTemporaryDir m_dir;
    std::unique_ptr<Clip> m_clip;
    std::unique_ptr<Clip> m_rateClips[3]; // 10, 15 and 30 pictures per second
    std::unique_ptr<VideoView> m_view;
};

// Opens and waits for the view's answer.
bool TestVideoView::open(VideoView &view, Clip *clip)
{
    QSignalSpy opened(&view, &VideoView::fileOpened);
    QSignalSpy failed(&view, &VideoView::openFailed);
    if (!view.openClip(clip))
        return false;
    return opened.wait(20000) || (!opened.isEmpty() && failed.isEmpty());
}

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
    clipSpec.channels = {kFront};
    clipSpec.frames = 20;
    const int rates[3] = {10, 15, 30};
    for (int i = 0; i < 3; ++i) {
        clipSpec.fps = rates[i];
        const QString ratePath = m_dir.filePath(QStringLiteral("REC_2012_05_14_10_21_%1.mp4").arg(rates[i]));
        QVERIFY2(MediaGen::writeMp4(ratePath, clipSpec, &error), qPrintable(error));
        m_rateClips[i] = std::make_unique<Clip>(QFileInfo(ratePath));
    }
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
    QCOMPARE(opened.count(), 0); // the answer comes later
    QVERIFY(m_view->isOpening());
    QTRY_COMPARE(opened.count(), 1);
    QCOMPARE(m_view->player()->videoSize(0), kFront);
    m_view->setVideoSize(m_view->player()->videoSize(0));
    m_view->layoutRenderers();
    QCOMPARE(m_view->rendererRect(), *VideoGeometry::fittedRect(QSize(640, 360), kFront));
    m_view->resize(800, 400);
    QCOMPARE(m_view->rendererRect(), *VideoGeometry::fittedRect(QSize(800, 400), kFront));
}

// The loading picture is drawn while the clip opens and over its first picture, and goes with
// the next picture, even when that is the same frame again.
void TestVideoView::loadingPictureOnFirstPictureOnly()
{
    QVERIFY(m_view->openClip(m_clip.get()));
    QVERIFY(m_view->isLoadingShown());
    QTRY_VERIFY(!m_view->isOpening());
    m_view->setVideoSize(m_view->player()->videoSize(0));
    m_view->layoutRenderers();
    QVERIFY(m_view->player()->rewind()); // a clip just opened is already at its start
    QTRY_COMPARE(m_view->player()->pictureSerial(0), quint64(1));
    QVERIFY(m_view->isLoadingShown());
    const QImage first = shownPicture(*m_view);
    QCOMPARE(MediaGen::readFrameMark(first).frame, 0); // the mark at the top stays visible

    QVERIFY(m_view->player()->seekMs(0));
    QTRY_COMPARE(m_view->player()->pictureSerial(0), quint64(2));
    QVERIFY(!m_view->isLoadingShown());
    const QImage second = shownPicture(*m_view);
    QCOMPARE(MediaGen::readFrameMark(second).frame, 0);
    // Only where the loading picture goes on the picture (carried over to the size shown) differs.
    const QRect rect = m_view->rendererRect();
    const QRect spot = VideoGeometry::loadingRect(kFront, QSize(390, 84));
    const double sx = double(rect.width()) / kFront.width();
    const double sy = double(rect.height()) / kFront.height();
    const QRect band = QRectF(spot.x() * sx, spot.y() * sy, spot.width() * sx, spot.height() * sy)
                           .toRect()
                           .adjusted(-2, -2, 2, 2);
    int changedInBand = 0;
    int changedElsewhere = 0;
    for (int y = 0; y < first.height(); y += 2) {
        for (int x = 0; x < first.width(); x += 2) {
            const bool changed = qAbs(qGray(first.pixel(x, y)) - qGray(second.pixel(x, y))) > 24;
            (band.contains(x, y) ? changedInBand : changedElsewhere) += changed;
        }
    }
    QVERIFY2(changedInBand > 200, qPrintable(QString::number(changedInBand)));
    QCOMPARE(changedElsewhere, 0);
}

// Every picture is drawn turned, and turning while paused shows the same picture turned without
// moving on.
void TestVideoView::everyPictureIsRotated()
{
    QVERIFY(open(*m_view, m_clip.get()));
    Player *player = m_view->player();
    m_view->setVideoSize(player->videoSize(0));
    m_view->layoutRenderers();
    QVERIFY(player->seekMs(4 * 1000 / 15 + 1));
    QTRY_COMPARE(shownFrame(*m_view), 4);
    const qint64 position = player->positionMs();
    player->rotate(180);
    QCOMPARE(shownFrame(*m_view, 180), 4);
    QCOMPARE(player->positionMs(), position);
    for (int frame : {5, 6, 7, 8}) {
        QVERIFY(player->stepForward());
        QTRY_COMPARE(shownFrame(*m_view, 180), frame);
    }
    player->rotate(180);
    QCOMPARE(shownFrame(*m_view), 8);
    // Snapshots stay unturned.
    player->rotate(180);
    QCOMPARE(MediaGen::readFrameMark(player->grabFrame(0, true)).frame, 8);
}

void TestVideoView::framesStepAtTheClipsRate_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("rotation");
    const int rates[3] = {10, 15, 30};
    for (int i = 0; i < 3; ++i) {
        QTest::addRow("%d per second", rates[i]) << i << 0;
        QTest::addRow("%d per second, turned", rates[i]) << i << 180;
    }
}

// Each click is one picture of the clip's own rate, forward and back, as painted.
void TestVideoView::framesStepAtTheClipsRate()
{
    QFETCH(int, index);
    QFETCH(int, rotation);
    QVERIFY(open(*m_view, m_rateClips[index].get()));
    Player *player = m_view->player();
    player->rotate(rotation);
    m_view->setVideoSize(player->videoSize(0));
    m_view->layoutRenderers();
    QTRY_COMPARE(shownFrame(*m_view, rotation), 0);
    for (int frame : {1, 2, 3}) {
        QVERIFY(player->stepForward());
        QTRY_COMPARE(shownFrame(*m_view, rotation), frame);
    }
    for (int frame : {2, 1, 0}) {
        QVERIFY(player->stepBackward());
        QTRY_COMPARE(shownFrame(*m_view, rotation), frame);
    }
    QVERIFY(player->stepBackward()); // at the start it stays there
    QTRY_COMPARE(player->positionMs(), 0);
    QCOMPARE(shownFrame(*m_view, rotation), 0);
}

void TestVideoView::zoomSteps()
{
    QVERIFY(open(*m_view, m_clip.get()));
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
    QVERIFY(open(*m_view, m_clip.get()));
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
    QVERIFY(open(*m_view, m_clip.get()));
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
