// The viewer end to end on a generated card: folder, list, playback, telemetry, map, transport,
// filters, zoom, pan, rotate, snapshot, print and the settings round trip.
#include "viewer/mainwindow.h"

#include "base/messages.h"
#include "base/programsettings.h"
#include "catalogue/clip.h"
#include "playback/mediaframework.h"
#include "session/playbacksession.h"
#include "settingsui/configwindow.h"
#include "skin/clearbutton.h"
#include "generators/clipwriter/aviclipwriter.h"
#include "generators/mediagen/mediagen.h"
#include "modaldialogs.h"
#include "viewer/cliplist.h"
#include "viewer/mapview.h"
#include "viewer/videogeometry.h"
#include "viewer/videoview.h"
#include "viewer/viewersession.h"
#include "viewer/widgetprogressa.h"
#include "viewer/widgetvolume.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>

using ViewerLayout::Button;

namespace {

constexpr QSize kFront(320, 180);
constexpr QSize kRear(160, 90);
constexpr double kLatitude = 37.5;
constexpr double kLongitude = 127.0;

bool writeTelemetryAvi(const QString &path, QString *error)
{
    ClipWriter::ClipDescription description;
    description.framesPerSecond = 10;
    description.durationMs = 2000;
    description.audio = true;
    description.videoStreams = MediaGen::markedStreams({kFront, kRear});
    ClipWriter::TelemetryRoute route;
    route.positions = {{kLatitude, kLongitude}};
    route.speedKnots = {54.0}; // 100 km/h
    description.route = route;
    return ClipWriter::writeAviClip(path, description, error);
}

// The clip of `row` is open in the window's session: opening answers a moment after the selection.
bool rowIsOpen(const MainWindow &window, int row)
{
    const PlaybackSession *session = window.session();
    return session->isOpen() && session->clip() == MyListWidget::clipOf(window.clipList()->item(row));
}

// The frame mark the view paints, read after turning the picture back by `rotation`.
MediaGen::FrameMark paintedMark(VideoView *view, int rotation = 0)
{
    const QImage painted = view->grab().toImage().copy(view->rendererRect());
    return MediaGen::readFrameMark(painted.transformed(QTransform().rotate(-rotation)));
}

int paintedFrame(VideoView *view, int rotation = 0)
{
    return paintedMark(view, rotation).frame;
}

int paintedChannel(VideoView *view)
{
    return paintedMark(view).channel;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void folderFillsListAndPlaysFirstRow();
    void telemetryMovesSpeedAndMap();
    void nextAndPreviousWrap();
    void endOfClipPlaysNext();
    void singleClipStopsAndRewinds();
    void categoriesAndFilters();
    void folderWithoutClipsWarns();
    void zoomPanRotate();
    void maximizeIgnoredOnSmallScreen();
    void snapshotWritesOneFilePerChannel();
    void printPlacesPictures();
    void settingsRoundTripChangesSpeedUnit();
    void looseFilePlays();
    void timelineClickThroughWindowSeeks();
    void closingWhileOpening();
    void unplayableClipWarnsAndClearsTheMap();
    void errorWhilePlayingStopsAndPlayReopens();
    void volumeAndMuteReachTheClipsSound();
    void stopResetsTheSpeedGauge();
    void quickSwitchingOpensTheLastClipOnly();
    void missingDecoderIsNamed();
    void pressesOnAndAroundTheDashboard_data();
    void pressesOnAndAroundTheDashboard();
    void restoredClipLooksPausedByHand();

private:
    QString card() const { return m_card.path(); }
    QString troubleCard() const { return m_trouble.path(); }
    QTemporaryDir m_card;
    QTemporaryDir m_trouble; // a good clip, one that is not a clip at all, one that breaks while playing
    QTemporaryDir m_scratch;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_warnings;
    QTimer m_warningCloser;
};

void TestMainWindow::initTestCase()
{
    const QStringList missing = MediaGen::missingForMp4(false) + MediaGen::missingForAvi();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("GStreamer elements missing: ") + missing.join(QLatin1String(", "))));
    QVERIFY(QDir(card()).mkpath(QStringLiteral("REC")));
    QVERIFY(QDir(card()).mkpath(QStringLiteral("EVENT")));
    QString error;
    QVERIFY2(writeTelemetryAvi(card() + QStringLiteral("/REC/REC_2012_05_14_10_20_30.avi"), &error), qPrintable(error));
    QVERIFY2(writeTelemetryAvi(card() + QStringLiteral("/EVENT/EVS_2012_05_14_10_22_30_I.avi"), &error),
             qPrintable(error));
    MediaGen::ClipSpec two;
    two.channels = {kFront, kRear};
    two.fps = 15;
    two.frames = 30;
    two.audio = false;
    QVERIFY2(MediaGen::writeMp4(card() + QStringLiteral("/REC/REC_2012_05_14_10_21_30.mp4"), two, &error),
             qPrintable(error));
    MediaGen::ClipSpec one = two;
    one.channels = {kFront};
    QVERIFY2(MediaGen::writeMp4(card() + QStringLiteral("/EVENT/EVS_2012_05_14_10_23_30_M.mp4"), one, &error),
             qPrintable(error));
    QFile empty(card() + QStringLiteral("/REC/REC_2012_05_14_10_24_30.mp4"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    qputenv("QRD7700_CARDS", QFile::encodeName(card()));

    QVERIFY2(writeTelemetryAvi(troubleCard() + QStringLiteral("/REC_2012_05_14_11_00_00.avi"), &error), qPrintable(error));
    QFile garbage(troubleCard() + QStringLiteral("/REC_2012_05_14_11_01_00.mp4"));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    QVERIFY(garbage.write(QByteArray("not a clip, only a name like one\n").repeated(300)) > 0);
    garbage.close();
    MediaGen::ClipSpec broken = one;
    broken.frames = 90;
    broken.audio = true;
    const QString brokenPath = troubleCard() + QStringLiteral("/REC_2012_05_14_11_02_00.mp4");
    QVERIFY2(MediaGen::writeMp4(brokenPath, broken, &error), qPrintable(error));
    QFile brokenFile(brokenPath);
    QVERIFY(brokenFile.open(QIODevice::ReadWrite));
    const QByteArray damaged = MediaGen::withHugeSample(brokenFile.readAll(), 82);
    QVERIFY(!damaged.isEmpty());
    QVERIFY(brokenFile.seek(0) && brokenFile.write(damaged) == damaged.size());
    brokenFile.close();

    // Warning boxes are answered at once and remembered.
    connect(&m_warningCloser, &QTimer::timeout, this, [this] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            m_warnings << box->text();
            box->accept();
        }
    });
    m_warningCloser.start(20);
}

void TestMainWindow::init()
{
    m_warnings.clear();
    m_window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
    m_window->show();
}

void TestMainWindow::cleanup()
{
    m_window.reset();
}

void TestMainWindow::folderFillsListAndPlaysFirstRow()
{
    QVERIFY(!m_window->button(Button::Play)->isEnabled());
    m_window->openFolder(card());
    MyListWidget *list = m_window->clipList();
    QStringList names;
    for (int row = 0; row < list->count(); ++row)
        names << list->item(row)->text();
    QCOMPARE(names, QStringList({"EVS_2012_05_14_10_22_30_I.avi", "EVS_2012_05_14_10_23_30_M.mp4",
                                 "REC_2012_05_14_10_20_30.avi", "REC_2012_05_14_10_21_30.mp4"}));
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(m_window->isPlaying()); // asked for at once, playing as soon as the clip is open
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    QCOMPARE(m_window->session()->facts().channelCount, 2);
    QVERIFY(m_window->isPlaying());
    QVERIFY(m_window->button(Button::Play)->isEnabled());
    QVERIFY(m_window->button(Button::SwapViews)->isEnabled());
    QCOMPARE(m_window->folderLabel()->text(), card());
    // Both channels reach their views; the time moves on the dashboard.
    QTRY_VERIFY(paintedFrame(m_window->view1()) > 2);
    QTRY_COMPARE(paintedChannel(m_window->view2()), 1);
    QTRY_VERIFY(m_window->dashboard()->timeText().endsWith(QLatin1String("/00:02")));
}

void TestMainWindow::telemetryMovesSpeedAndMap()
{
    m_window->openFolder(card());
    QTRY_COMPARE(m_window->dashboard()->speed(), 100);
    QTRY_VERIFY(qAbs(m_window->mapPane()->latitude() - kLatitude) < 1e-5);
    QVERIFY(qAbs(m_window->mapPane()->longitude() - kLongitude) < 1e-5);
    QVERIFY(!m_window->dashboard()->noPositionInClip());
}

void TestMainWindow::nextAndPreviousWrap()
{
    m_window->openFolder(card());
    MyListWidget *list = m_window->clipList();
    m_window->OnSlotspre_file();
    QCOMPARE(list->currentRow(), 3);
    QTRY_VERIFY(rowIsOpen(*m_window, 3));
    m_window->OnSlotsnext_file();
    QCOMPARE(list->currentRow(), 0);
    m_window->OnSlotsnext_file();
    QCOMPARE(list->currentRow(), 1);
    QVERIFY(m_window->isPlaying());
}

void TestMainWindow::endOfClipPlaysNext()
{
    m_window->openFolder(card());
    m_window->playSelectClip(3);
    QCOMPARE(m_window->clipList()->currentRow(), 3);
    // The last clip runs to its end and the list wraps to the first.
    QTRY_COMPARE_WITH_TIMEOUT(m_window->clipList()->currentRow(), 0, 15000);
    QVERIFY(m_window->isPlaying());
}

void TestMainWindow::singleClipStopsAndRewinds()
{
    m_window->openFolder(card());
    m_window->OnSlotsfile_filterM();
    QCOMPARE(m_window->clipList()->count(), 1);
    QVERIFY(m_window->isPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isPlaying(), 15000);
    QCOMPARE(m_window->clipList()->currentRow(), 0);
    QTRY_COMPARE(m_window->session()->position(), 0);
    QTRY_COMPARE(paintedFrame(m_window->view1()), 0);
    QVERIFY(m_window->session()->engineStatus().flags & Player::Paused);
}

void TestMainWindow::categoriesAndFilters()
{
    m_window->openFolder(card());
    MyListWidget *list = m_window->clipList();
    QVERIFY(!m_window->categoryButton(0)->isEnabled());
    QVERIFY(!m_window->filterButton(0)->isEnabled());

    m_window->OnSlotsfile_sortNormal();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("REC_2012_05_14_10_20_30.avi"));
    QVERIFY(!m_window->categoryButton(1)->isEnabled());
    QVERIFY(m_window->categoryButton(0)->isEnabled());

    m_window->OnSlotsfile_sortEvent();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("EVS_2012_05_14_10_22_30_I.avi"));

    // A filter keeps the category, and a category keeps the filter.
    m_window->OnSlotsfile_filterI();
    QCOMPARE(m_window->category(), 2);
    QCOMPARE(list->count(), 1);
    m_window->OnSlotsfile_filterP();
    QCOMPARE(list->count(), 0);
    m_window->OnSlotsfile_sortAll();
    QCOMPARE(m_window->filter(), 3);
    QCOMPARE(list->count(), 0);
    QVERIFY(m_warnings.isEmpty());
    QVERIFY(!m_window->filterButton(3)->isEnabled());
}

void TestMainWindow::folderWithoutClipsWarns()
{
    m_window->openFolder(m_scratch.path());
    QTRY_COMPARE(m_warnings, QStringList{QStringLiteral("Please select proper folder")});
    QCOMPARE(m_window->clipList()->count(), 0);
    // A category button with no folder open scans the working folder and finds nothing.
    m_window->OnSlotsfile_sortNormal();
    QTRY_COMPARE(m_warnings.size(), 2);
    QCOMPARE(m_warnings.last(), QStringLiteral("폴더를 먼저 선택해 주세요."));
}

void TestMainWindow::zoomPanRotate()
{
    m_window->openFolder(card());
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    VideoView *view = m_window->view1();
    QTRY_VERIFY(paintedFrame(view) > 2);
    QCOMPARE(view->width(), 640);
    const QRect fitted = view->rendererRect();
    m_window->OnSlotszoom_in();
    QCOMPARE(view->rendererRect(), VideoGeometry::zoomedRect(QSize(640, 360), 1.3f, QSize(640, 360)));
    m_window->OnSlotspan();
    QVERIFY(m_window->panMode());
    QVERIFY(!m_window->clipList()->isEnabled());
    QVERIFY(!m_window->mapPane()->isEnabled());
    QVERIFY(view->isPanEnabled());
    m_window->OnSlotszoom_win();
    QCOMPARE(view->rendererRect(), fitted);
    m_window->OnSlotsstop();
    QVERIFY(!m_window->panMode());
    QVERIFY(m_window->clipList()->isEnabled());

    // Stopped on the first picture: turning shows that picture upside down, where it is.
    QTRY_COMPARE(paintedFrame(view), 0);
    m_window->OnSlotsrotate();
    QCOMPARE(paintedFrame(view, 180), 0);
    QCOMPARE(m_window->session()->position(), 0);
    m_window->OnSlotsrotate();
    QCOMPARE(paintedFrame(view), 0);
}

void TestMainWindow::maximizeIgnoredOnSmallScreen()
{
    if (ViewerLayout::canMaximize(m_window->screen()->geometry().size()))
        QSKIP("the test screen is large enough to maximize");
    m_window->OnSlotsmaximize();
    QVERIFY(!m_window->isMaximizedLayout());
    QCOMPARE(m_window->size(), QSize(1024, 645));
}

void TestMainWindow::snapshotWritesOneFilePerChannel()
{
    m_window->openFolder(card());
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    QTRY_VERIFY(paintedFrame(m_window->view1()) >= 0);
    const QString chosen = m_scratch.filePath(QStringLiteral("shot"));
    QString startFolder;
    answerNextModal<QFileDialog>([chosen, &startFolder](QFileDialog *dialog) {
        startFolder = dialog->directory().absolutePath();
        typeFileName(dialog, chosen);
    });
    m_window->OnSlotssnapshot();
    // The dialog starts in the desktop's pictures folder, in a QRD-7700 folder made for it.
    QCOMPARE(startFolder, QDir::home().filePath(QStringLiteral("Pictures/QRD-7700")));
    QVERIFY(!m_window->isPlaying());
    QVERIFY(m_warnings.isEmpty());
    const QImage front(m_scratch.filePath(QStringLiteral("shot-1ch-SD.jpg")));
    const QImage rear(m_scratch.filePath(QStringLiteral("shot-2ch-SD.jpg")));
    QCOMPARE(front.size(), kFront);
    QCOMPARE(rear.size(), kRear);
}

void TestMainWindow::printPlacesPictures()
{
    m_window->openFolder(card());
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    QTRY_VERIFY(paintedFrame(m_window->view1()) >= 0);
    const QString pdf = m_scratch.filePath(QStringLiteral("print.pdf"));
    answerNextModal<QPrintDialog>([pdf](QPrintDialog *dialog) {
        dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog->printer()->setOutputFileName(pdf);
        dialog->done(QDialog::Accepted);
    });
    m_window->OnSlotsprint();
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(bytes.count("/Subtype /Image"), 2); // one picture per channel
}

void TestMainWindow::settingsRoundTripChangesSpeedUnit()
{
    QVERIFY(m_window->dashboard()->speedUnitKm());
    answerNextModal<ConfigWindow>([](ConfigWindow *dialog) {
        QCOMPARE(dialog->viewerSpeedUnit, 1);
        QTest::mouseClick(dialog, Qt::LeftButton, {}, QPoint(330, 605)); // the hidden mph target
        dialog->OnSlotsOK();
    });
    m_window->OnSlotssetting();
    QVERIFY(!m_window->dashboard()->speedUnitKm());
}

void TestMainWindow::looseFilePlays()
{
    const QString path = card() + QStringLiteral("/REC/REC_2012_05_14_10_21_30.mp4");
    answerNextModal<QFileDialog>([path](QFileDialog *dialog) {
        typeFileName(dialog, path);
    });
    m_window->OnSlotsfile_open();
    QCOMPARE(m_window->clipList()->count(), 1);
    m_window->playSelectClip(0);
    QTRY_VERIFY(m_window->session()->isOpen());
    QCOMPARE(m_window->session()->clip()->file().absoluteFilePath(), QFileInfo(path).absoluteFilePath());
    QTRY_VERIFY(paintedFrame(m_window->view1()) > 2);
}

void TestMainWindow::timelineClickThroughWindowSeeks()
{
    m_window->openFolder(card());
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    m_window->OnSlotspause();
    QTRY_VERIFY(m_window->dashboard()->timeText().endsWith(QLatin1String("/00:02")));
    // A press and release the window receives over the dashboard's strip reach the dashboard, in its
    // coordinates: x 322 of a 642-wide strip is 2000 × 320 / 628 = 1019 ms into the 2 s clip.
    const QPoint at = m_window->dashboard()->geometry().topLeft() + QPoint(322, 10);
    QMouseEvent press(QEvent::MouseButtonPress, at, m_window->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, m_window->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(m_window.get(), &press);
    QCoreApplication::sendEvent(m_window.get(), &release);
    const qint64 length = m_window->session()->length();
    const qint64 expected = length * 320 / 628;
    QTRY_VERIFY(qAbs(m_window->session()->position() - expected) <= 100);
}

// The window goes while a clip is still opening: nothing it owned may answer later.
void TestMainWindow::closingWhileOpening()
{
    m_window->openFolder(card());
    QVERIFY(m_window->session()->clip() && !m_window->session()->isOpen()); // opening
    m_window.reset();
    QTest::qWait(0);
    QCoreApplication::processEvents();
}

void TestMainWindow::pressesOnAndAroundTheDashboard_data()
{
    QTest::addColumn<QPoint>("at"); // in the window: the dashboard spans (23, 394) to (665, 644)
    QTest::addColumn<bool>("withClip");
    const QList<std::pair<const char *, QPoint>> places = {
        {"timeline strip", {345, 404}},
        {"left end of the strip", {24, 404}},
        {"last pixels of the strip", {659, 404}},
        {"speedometer", {342, 558}},
        {"G-sensor panel", {73, 587}},
        {"position panel", {603, 594}},
        {"play time box", {63, 484}},
        {"gap between transport buttons", {70, 450}},
        {"volume bar", {626, 449}},
        {"dashboard's right edge", {665, 500}},
        {"dashboard's bottom edge", {300, 644}},
        {"left of the dashboard", {10, 500}},
        {"right of the dashboard", {675, 500}},
        {"between video and dashboard", {300, 393}},
    };
    for (const auto &[name, at] : places) {
        QTest::addRow("%s, no clip", name) << at << false;
        QTest::addRow("%s, clip paused", name) << at << true;
    }
}

// Presses, drags and releases with either button where a user may click: the window passes them to
// the dashboard, which must not hand them back (that recursed until the stack overflowed).
void TestMainWindow::pressesOnAndAroundTheDashboard()
{
    QFETCH(QPoint, at);
    QFETCH(bool, withClip);
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    if (withClip) {
        m_window->openFolder(card());
        m_window->OnSlotspause();
        QVERIFY(m_window->dashboard()->isEnabled());
    }
    QWindow *window = m_window->windowHandle();
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        QTest::mousePress(window, button, {}, at);
        QTest::mouseMove(window, at + QPoint(3, -1));
        QTest::mouseRelease(window, button, {}, at + QPoint(3, -1));
    }
    QCOMPARE(m_window->dashboard()->isEnabled(), withClip);
    QVERIFY(m_window->isVisible());
    QVERIFY(m_warnings.isEmpty());
}

// A clip that cannot be opened warns once, and the map forgets the clip before it.
void TestMainWindow::unplayableClipWarnsAndClearsTheMap()
{
    m_window->openFolder(troubleCard());
    QTRY_VERIFY(qAbs(m_window->mapPane()->latitude() - kLatitude) < 1e-5);
    m_window->playSelectClip(1);
    QTRY_COMPARE(m_warnings, QStringList{Messages::openClipFailed()});
    QVERIFY(!m_window->isPlaying());
    QVERIFY(!m_window->session()->clip());
    QCOMPARE(m_window->mapPane()->latitude(), MapView::kDefaultLatitude);
    QCOMPARE(m_window->mapPane()->longitude(), MapView::kDefaultLongitude);
    QCOMPARE(m_window->clipList()->currentRow(), 1);
    // The next clip plays as usual.
    m_window->OnSlotsnext_file();
    QTRY_VERIFY(rowIsOpen(*m_window, 2));
    QVERIFY(m_window->isPlaying());
}

// A clip that breaks in the middle stops with the reason shown, the window stopped; Play opens
// it again and plays.
void TestMainWindow::errorWhilePlayingStopsAndPlayReopens()
{
    m_window->openFolder(troubleCard());
    m_window->playSelectClip(2);
    QTRY_VERIFY(rowIsOpen(*m_window, 2));
    m_window->OnSlotsProgress(4800); // near the broken picture
    QTRY_VERIFY_WITH_TIMEOUT(!m_warnings.isEmpty(), 20000);
    QCOMPARE(m_warnings.size(), 1);
    QVERIFY(m_warnings.first().startsWith(Messages::openClipFailed() + QLatin1String("\n\n")));
    QVERIFY(m_warnings.first().size() > Messages::openClipFailed().size() + 2); // and the reason
    QVERIFY(!m_window->isPlaying());
    QVERIFY(m_window->button(Button::Play)->isVisible());
    QVERIFY(!m_window->button(Button::Pause)->isVisible());
    QVERIFY(m_window->session()->engineStatus().broken);

    QSignalSpy reopened(m_window->session(), &PlaybackSession::opened);
    m_window->OnSlotsplay();
    QVERIFY(m_window->isPlaying());
    QTRY_COMPARE(reopened.count(), 1);
    QVERIFY(rowIsOpen(*m_window, 2) && !m_window->session()->engineStatus().broken);
    QTRY_VERIFY(paintedFrame(m_window->view1()) > 3);
    QVERIFY(m_window->isPlaying());
    QCOMPARE(m_warnings.size(), 1);
}

// The volume bar and the mute button set the clip's own sound level, also for the next clip; the
// system's mixer is not part of it.
void TestMainWindow::volumeAndMuteReachTheClipsSound()
{
    m_window->openFolder(troubleCard());
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    const PlaybackSession *session = m_window->session();
    QCOMPARE(session->engineStatus().appliedVolume, 1.0); // full until the bar is used
    const double half = 5 * 6553 / 65535.0; // level 5 of the bar
    m_window->volumeSlider()->setLevel(5);
    QVERIFY(qAbs(session->engineStatus().appliedVolume - half) < 1e-6);
    m_window->OnSlotsvolume();
    QVERIFY(!m_window->volumeSlider()->isEnabled());
    QCOMPARE(session->engineStatus().appliedVolume, 0.0);
    m_window->playSelectClip(2);
    QTRY_VERIFY(rowIsOpen(*m_window, 2));
    QCOMPARE(session->engineStatus().appliedVolume, 0.0); // still muted
    m_window->OnSlotsvolume();
    QCOMPARE(m_window->volumeSlider()->level(), 5);
    QVERIFY(qAbs(session->engineStatus().appliedVolume - half) < 1e-6);
}

void TestMainWindow::stopResetsTheSpeedGauge()
{
    m_window->openFolder(card());
    QTRY_COMPARE(m_window->dashboard()->speed(), 100);
    m_window->OnSlotsstop();
    QCOMPARE(m_window->dashboard()->speed(), 0);
    QCOMPARE(m_window->dashboard()->timeText().left(5), QStringLiteral("00:00"));
}

// Rows changed faster than clips open: only the last one is opened and plays; nothing answers late.
void TestMainWindow::quickSwitchingOpensTheLastClipOnly()
{
    m_window->openFolder(card());
    for (int i = 0; i < 12; ++i)
        m_window->OnSlotsnext_file();
    const int last = m_window->clipList()->currentRow();
    QCOMPARE(last, 12 % 4);
    QTRY_VERIFY(rowIsOpen(*m_window, last));
    QTRY_VERIFY(paintedFrame(m_window->view1()) > 2);
    QCOMPARE(m_window->clipList()->currentRow(), last);
    QVERIFY(m_window->isPlaying());
    QVERIFY(m_warnings.isEmpty());
}

// Without a decoder for the pictures the warning says what is not installed.
void TestMainWindow::missingDecoderIsNamed()
{
    m_window->openFolder(card());
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    {
        const MediaGen::HiddenDecoders hidden(MediaGen::HiddenDecoders::Kind::Pictures);
        m_window->playSelectClip(3); // the H.264 clip
        QTRY_VERIFY_WITH_TIMEOUT(!m_warnings.isEmpty(), 20000);
    }
    QCOMPARE(m_warnings.size(), 1);
    QVERIFY2(m_warnings.first().startsWith(Messages::openClipFailed() + QLatin1String("\n\n")), qPrintable(m_warnings.first()));
    QVERIFY2(m_warnings.first().contains(QLatin1String("H.264")), qPrintable(m_warnings.first()));
}

// The folder reopened at start rests on its first clip's first picture exactly as a clip opened
// and paused by hand: no loading picture over it, and the speed, the coordinates and the map marker
// of that moment filled in without a key being pressed.
void TestMainWindow::restoredClipLooksPausedByHand()
{
    ProgramSettings::setLastFolder(card());
    m_window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    ViewerSession::restore(*m_window);
    QFile::remove(ProgramSettings::filePath());
    VideoView *view = m_window->view1();
    QTRY_COMPARE(paintedFrame(view), 0);
    QTRY_VERIFY(!view->isLoadingShown());
    QTRY_COMPARE(m_window->dashboard()->speed(), 100);
    QTRY_VERIFY(qAbs(m_window->mapPane()->latitude() - kLatitude) < 1e-5);
    QVERIFY(qAbs(m_window->dashboard()->currentSample().latitude - kLatitude) < 1e-5);
    QVERIFY(m_window->dashboard()->timeText().startsWith(QLatin1String("00:00/")));
    QVERIFY(!m_window->isPlaying());
    const QImage restored = view->grab().toImage();

    // The same clip opened, played and paused by hand, then taken back to its first picture.
    m_window->OnSlotsplay();
    m_window->OnSlotspause();
    m_window->OnSlotsProgress(0);
    QTRY_COMPARE(paintedFrame(view), 0);
    QTRY_COMPARE(view->grab().toImage(), restored);
    QVERIFY(m_warnings.isEmpty());
}

int main(int argc, char **argv)
{
    MapView::registerUrlScheme();
    if (!MediaFramework::initialise())
        return 1;
    // Snapshot folders and the program's settings go to a home of the test's own.
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
