// The video view on a real playback session: fitting, zoom, pan, the loading picture, rotation and
// frame steps, read from what the view paints.
#include "viewer/videoview.h"

#include "catalogue/clip.h"
#include "playback/mediaframework.h"
#include "playback/player.h"
#include "generators/mediagen/mediagen.h"
#include "session/playbacksession.h"
#include "session/viewerstate.h"
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

// Passes the player's pictures on to a view, counting those of channel 0 as they go.
class CountingOutput : public VideoOutput
{
public:
    explicit CountingOutput(VideoView &view) : m_view(view) {}
    void presentPicture(int channel, const QImage &picture, quint64 serial) override
    {
        if (channel == 0)
            m_serial = serial;
        m_view.presentPicture(channel, picture, serial);
    }
    void resetPictures(bool opening) override { m_view.resetPictures(opening); }
    quint64 serial() const { return m_serial; }

private:
    VideoView &m_view;
    quint64 m_serial = 0;
};

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
    void clipLeftPausedShowsNoLoadingPicture();
    void pictureStaysInItsRectangle();
    void everyPictureIsRotated();
    void framesStepAtTheClipsRate_data();
    void framesStepAtTheClipsRate();
    void zoomSteps();
    void panByDragging();
    void secondViewShowsChannelOne();
    void viewGoneWhilePlaying();

private:
    // Opens `clip` on the session and waits for the answer; the view then fits the clip's pictures,
    // as the window has it do.
    bool open(Clip *clip);

    QTemporaryDir m_dir;
    std::unique_ptr<Clip> m_clip;
    std::unique_ptr<Clip> m_rateClips[3]; // 10, 15 and 30 pictures per second
    std::unique_ptr<ViewerState> m_state;
    std::unique_ptr<PlaybackSession> m_session;
    std::unique_ptr<VideoView> m_view;
};

bool TestVideoView::open(Clip *clip)
{
    QSignalSpy opened(m_session.get(), &PlaybackSession::opened);
    QSignalSpy failed(m_session.get(), &PlaybackSession::openFailed);
    m_session->open(clip);
    if (!opened.wait(20000) && opened.isEmpty())
        return false;
    m_view->setVideoSize(m_session->facts().videoSize(0));
    m_view->layoutRenderers();
    return failed.isEmpty();
}

void TestVideoView::initTestCase()
{
    const QStringList missing = MediaGen::missingForMp4(false);
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("GStreamer elements missing: ") + missing.join(QLatin1String(", "))));
    MediaGen::ClipDesign design;
    design.channels = {kFront, kRear};
    design.fps = 15;
    design.frames = 15;
    design.audio = false;
    const QString path = m_dir.filePath(QStringLiteral("REC_2012_05_14_10_20_30.mp4"));
    QString error;
    QVERIFY2(MediaGen::writeMp4(path, design, &error), qPrintable(error));
    m_clip = std::make_unique<Clip>(QFileInfo(path));
    design.channels = {kFront};
    design.frames = 20;
    const int rates[3] = {10, 15, 30};
    for (int i = 0; i < 3; ++i) {
        design.fps = rates[i];
        const QString ratePath = m_dir.filePath(QStringLiteral("REC_2012_05_14_10_21_%1.mp4").arg(rates[i]));
        QVERIFY2(MediaGen::writeMp4(ratePath, design, &error), qPrintable(error));
        m_rateClips[i] = std::make_unique<Clip>(QFileInfo(ratePath));
    }
}

void TestVideoView::init()
{
    m_state = std::make_unique<ViewerState>();
    m_session = std::make_unique<PlaybackSession>(*m_state);
    m_view = std::make_unique<VideoView>();
    m_view->resize(640, 360);
    m_view->showChannel(m_session.get(), 0);
    m_view->show();
}

void TestVideoView::cleanup()
{
    m_view.reset();
    m_session.reset();
    m_state.reset();
}

void TestVideoView::nullClipIsRefused()
{
    QSignalSpy opened(m_session.get(), &PlaybackSession::opened);
    m_session->open(nullptr);
    QVERIFY(!m_session->clip());
    QCOMPARE(opened.count(), 0);
    QVERIFY(!m_view->isLoadingShown());
    // Before a video size is known nothing is laid out.
    m_view->layoutRenderers();
    QVERIFY(m_view->rendererRect().isNull());
}

void TestVideoView::opensAndFits()
{
    QSignalSpy opened(m_session.get(), &PlaybackSession::opened);
    m_session->open(m_clip.get());
    QCOMPARE(opened.count(), 0); // the answer comes later
    QVERIFY(m_view->isLoadingShown());
    QTRY_COMPARE(opened.count(), 1);
    QCOMPARE(m_session->facts().videoSize(0), kFront);
    m_view->setVideoSize(m_session->facts().videoSize(0));
    m_view->layoutRenderers();
    QCOMPARE(m_view->rendererRect(), *VideoGeometry::fittedRect(QSize(640, 360), kFront));
    m_view->resize(800, 400);
    QCOMPARE(m_view->rendererRect(), *VideoGeometry::fittedRect(QSize(800, 400), kFront));
}

// The loading picture is drawn while the clip opens and over its first picture, and goes with
// the next picture, even when that is the same frame again. The view shows a player's pictures here
// directly, to catch the first picture before anything else happens to the clip.
void TestVideoView::loadingPictureOnFirstPictureOnly()
{
    CountingOutput output(*m_view);
    Player player(Player::Options{&output});
    connect(m_view.get(), &VideoView::displaySizeChanged, &player,
            [&player](const QSize &size) { player.setDisplaySize(0, size); });
    QSignalSpy opened(&player, &Player::opened);
    QVERIFY(player.open(m_clip.get()));
    QVERIFY(m_view->isLoadingShown());
    QTRY_COMPARE(opened.count(), 1);
    m_view->setVideoSize(player.facts().videoSize(0));
    m_view->layoutRenderers();
    QVERIFY(player.rewind()); // a clip just opened is already at its start
    QTRY_COMPARE(output.serial(), quint64(1));
    QVERIFY(m_view->isLoadingShown());
    const QImage first = shownPicture(*m_view);
    QCOMPARE(MediaGen::readFrameMark(first).frame, 0); // the mark at the top stays visible

    QVERIFY(player.seekMs(0));
    QTRY_COMPARE(output.serial(), quint64(2));
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
    player.close();
    QVERIFY(!m_view->isLoadingShown());
}

// A clip opened without being played rests on a plain first picture, as if it had been paused by
// hand: the loading picture marks only a clip that starts playing.
void TestVideoView::clipLeftPausedShowsNoLoadingPicture()
{
    QSignalSpy positions(m_session.get(), &PlaybackSession::positionChanged);
    QVERIFY(open(m_clip.get()));
    QTRY_VERIFY(!m_view->isLoadingShown());
    QTRY_COMPARE(shownFrame(*m_view), 0);
    QVERIFY(!positions.isEmpty());
    QCOMPARE(positions.last().at(0).toLongLong(), 0);
    QVERIFY(positions.last().at(1).toLongLong() >= 900);
}

// The picture is drawn inside its rectangle only; the rest of the view keeps the background.
void TestVideoView::pictureStaysInItsRectangle()
{
    QVERIFY(open(m_clip.get()));
    QTRY_VERIFY(!m_view->isLoadingShown());
    QTRY_COMPARE(shownFrame(*m_view), 0);
    const QRect rect = m_view->rendererRect();
    QVERIFY(rect.left() > 1); // side margins
    const QImage withPicture = m_view->grab().toImage();
    m_session->close();
    const QImage background = m_view->grab().toImage();
    int inside = 0;
    // Inside the 1-pixel frame that the background picture leaves to the widget.
    for (int y = 1; y < withPicture.height() - 1; y += 3) {
        for (int x = 1; x < withPicture.width() - 1; x += 3) {
            const bool same = withPicture.pixel(x, y) == background.pixel(x, y);
            if (!rect.contains(x, y))
                QVERIFY2(same, qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            inside += !same;
        }
    }
    QVERIFY2(inside > 1000, qPrintable(QString::number(inside)));
}

// Every picture is drawn turned, and turning while paused shows the same picture turned without
// moving on.
void TestVideoView::everyPictureIsRotated()
{
    QVERIFY(open(m_clip.get()));
    m_session->seek(4 * 1000 / 15 + 1);
    QTRY_COMPARE(shownFrame(*m_view), 4);
    const qint64 position = m_session->position();
    m_session->rotate(180);
    QCOMPARE(shownFrame(*m_view, 180), 4);
    QCOMPARE(m_session->position(), position);
    for (int frame : {5, 6, 7, 8}) {
        m_session->step(+1);
        QTRY_COMPARE(shownFrame(*m_view, 180), frame);
    }
    m_session->rotate(180);
    QCOMPARE(shownFrame(*m_view), 8);
    // Snapshots stay unturned.
    m_session->rotate(180);
    QCOMPARE(MediaGen::readFrameMark(m_session->grabFrame(0)).frame, 8);
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
    QVERIFY(open(m_rateClips[index].get()));
    m_session->rotate(rotation);
    QTRY_COMPARE(shownFrame(*m_view, rotation), 0);
    for (int frame : {1, 2, 3}) {
        m_session->step(+1);
        QTRY_COMPARE(shownFrame(*m_view, rotation), frame);
    }
    for (int frame : {2, 1, 0}) {
        m_session->step(-1);
        QTRY_COMPARE(shownFrame(*m_view, rotation), frame);
    }
    m_session->step(-1); // at the start it stays there
    QTRY_COMPARE(m_session->position(), 0);
    QCOMPARE(shownFrame(*m_view, rotation), 0);
}

void TestVideoView::zoomSteps()
{
    QVERIFY(open(m_clip.get()));
    m_view->setBoxForArea(640, 360);
    m_view->layoutRenderers();
    QSignalSpy sizes(m_view.get(), &VideoView::displaySizeChanged);
    m_view->zoomBy(+1);
    QVERIFY(qAbs(m_view->zoom() - 1.3f) < 1e-5f);
    const QRect zoomed = VideoGeometry::zoomedRect(QSize(640, 360), m_view->zoom(), QSize(640, 360));
    QCOMPARE(m_view->rendererRect(), zoomed);
    QCOMPARE(sizes.last().first().toSize(), zoomed.size()); // the engine decodes for the zoomed size
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

// Drags move the zoomed picture by as much as the pointer moved, adding up from drag to drag; an
// axis at its limit (the picture's edge 20 pixels inside the view) stops there while the other
// goes on. The 640 × 360 view at × 1.3 shows an 832 × 467 picture (single precision): its corner
// may go from (−212, −127) to (20, 20).
void TestVideoView::panByDragging()
{
    QVERIFY(open(m_clip.get()));
    m_view->zoomBy(+1);
    const QRect zoomed = m_view->rendererRect();
    QCOMPARE(zoomed.topLeft(), QPoint(-96, -53));

    // Without pan mode the drag does nothing.
    QTest::mousePress(m_view.get(), Qt::LeftButton, {}, QPoint(200, 200));
    QTest::mouseMove(m_view.get(), QPoint(150, 170));
    QCOMPARE(m_view->rendererRect(), zoomed);

    m_view->setPanEnabled(true);
    const auto drag = [this](QPoint from, const QList<QPoint> &path) {
        QTest::mousePress(m_view.get(), Qt::LeftButton, {}, from);
        for (const QPoint &to : path)
            QTest::mouseMove(m_view.get(), to);
        QTest::mouseRelease(m_view.get(), Qt::LeftButton, {}, path.last());
        return m_view->rendererRect().topLeft();
    };
    QCOMPARE(drag({200, 200}, {{202, 198}}), QPoint(-96, -53)); // under 3 pixels: nothing yet
    QCOMPARE(drag({200, 200}, {{150, 170}}), QPoint(-146, -83));
    QCOMPARE(drag({200, 200}, {{150, 170}}), QPoint(-196, -113)); // the same drag again goes on
    QCOMPARE(drag({300, 100}, {{301, 101}, {302, 102}, {303, 103}}), QPoint(-193, -110)); // small moves add up
    QCOMPARE(drag({300, 300}, {{340, 300}}), QPoint(-153, -110)); // sideways: no jump up or down
    QCOMPARE(drag({300, 300}, {{300, 100}}), QPoint(-153, -127)); // up to the bottom edge
    QCOMPARE(drag({300, 300}, {{250, 250}}), QPoint(-203, -127)); // that edge holds; left goes on
    QCOMPARE(drag({100, 100}, {{400, 400}}), QPoint(20, 20));     // past the top-left limits
    QCOMPARE(m_view->rendererRect().size(), zoomed.size());
}

void TestVideoView::secondViewShowsChannelOne()
{
    VideoView second;
    second.resize(320, 180);
    second.showChannel(m_session.get(), 1);
    second.show();
    QVERIFY(open(m_clip.get()));
    second.setVideoSize(m_session->facts().videoSize(1));
    second.setVideoVisible(false);
    second.setVisible(true);
    second.setVideoVisible(true);
    QCOMPARE(second.rendererRect(), *VideoGeometry::fittedRect(QSize(320, 180), kRear));
    QTRY_COMPARE(MediaGen::readFrameMark(shownPicture(second)).channel, 1);
    QCOMPARE(MediaGen::readFrameMark(shownPicture(*m_view)).channel, 0);
    // Zooming the second view acts on the channel it shows.
    second.zoomBy(+1);
    QCOMPARE(second.rendererRect(), VideoGeometry::zoomedRect(QSize(320, 180), second.zoom(), QSize(640, 360)));
}

// A view that goes while the clip plays (pictures queued for it) is not called again; the session
// plays on.
void TestVideoView::viewGoneWhilePlaying()
{
    QVERIFY(open(m_clip.get()));
    m_session->play();
    QTRY_VERIFY(shownFrame(*m_view) > 1);
    m_view.reset();
    QSignalSpy ended(m_session.get(), &PlaybackSession::ended);
    QVERIFY(ended.wait(10000));
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
