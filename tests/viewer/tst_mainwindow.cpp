// The viewer end to end on a generated card: folder, list, playback, telemetry, map, transport,
// filters, zoom, pan, rotate, snapshot, print and the settings round trip.
#include "viewer/mainwindow.h"

#include "base/messages.h"
#include "catalogue/clip.h"
#include "base/programsettings.h"
#include "playback/mediaframework.h"
#include "session/cliplibrary.h"
#include "session/playbacksession.h"
#include "settingsui/configwindow.h"
#include "skin/clearbutton.h"
#include "generators/clipwriter/aviclipwriter.h"
#include "generators/mediagen/mediagen.h"
#include "modaldialogs.h"
#include "tests/viewer/viewertestwindow.h"
#include "viewer/cliplist.h"
#include "viewer/folderbrowser.h"
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
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>

using ViewerTestWindow::click;
using ViewerTestWindow::rowIsOpen;

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

// The frame mark the view paints, read after turning the picture back by `rotation`.
int paintedFrame(VideoView *view, int rotation = 0)
{
    const QImage painted = view->grab().toImage().copy(view->rendererRect());
    return MediaGen::readFrameMark(painted.transformed(QTransform().rotate(-rotation))).frame;
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
    // The window's parts, found by name as a user finds them by sight.
    ClearButton *button(const char *name) const { return ViewerTestWindow::button(*m_window, name); }
    MyListWidget *list() const { return ViewerTestWindow::clipList(*m_window); }
    WidgetProgressA *dashboard() const { return m_window->findChild<WidgetProgressA *>(); }
    MapView *mapPane() const { return m_window->findChild<MapView *>(); }
    VideoView *view(const char *name) const { return m_window->findChild<VideoView *>(QLatin1String(name)); }
    PlaybackSession *session() const { return ViewerTestWindow::session(*m_window); }
    int paintedChannel(const char *name) const { return ViewerTestWindow::paintedMark(*m_window, name).channel; }
    bool isPlaying() const { return ViewerTestWindow::isPlaying(*m_window); }
    bool openFolder(const QString &folder) { return ViewerTestWindow::openFolder(*m_window, folder); }
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
    MediaGen::ClipDesign two;
    two.channels = {kFront, kRear};
    two.fps = 15;
    two.frames = 30;
    two.audio = false;
    QVERIFY2(MediaGen::writeMp4(card() + QStringLiteral("/REC/REC_2012_05_14_10_21_30.mp4"), two, &error),
             qPrintable(error));
    MediaGen::ClipDesign one = two;
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
    MediaGen::ClipDesign broken = one;
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

// The folder button's dialog chooses the card; its clips fill the list and the first one plays.
void TestMainWindow::folderFillsListAndPlaysFirstRow()
{
    QVERIFY(!button("play")->isEnabled());
    answerNextModal<FolderBrowserDialog>([this](FolderBrowserDialog *dialog) {
        QVERIFY(dialog->selectFolder(card()));
        QVERIFY(QTest::qWaitFor([dialog] { return dialog->okButton()->isEnabled(); }, 10000));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    QSignalSpy listed(&m_window->library(), &ClipLibrary::scanFinished);
    click(*m_window, "folder_open");
    QVERIFY(listed.wait(20000));
    QStringList names;
    for (int row = 0; row < list()->count(); ++row)
        names << list()->item(row)->text();
    // In the order of the recorder's clock, normal and event clips together.
    QCOMPARE(names, QStringList({"REC_2012_05_14_10_20_30.avi", "REC_2012_05_14_10_21_30.mp4",
                                 "EVS_2012_05_14_10_22_30_I.avi", "EVS_2012_05_14_10_23_30_M.mp4"}));
    QCOMPARE(list()->currentRow(), 0);
    QVERIFY(isPlaying()); // asked for at once, playing as soon as the clip is open
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    QCOMPARE(session()->facts().channelCount, 2);
    QVERIFY(isPlaying());
    QVERIFY(button("play")->isEnabled());
    QTRY_VERIFY(button("list_screen")->isEnabled());
    QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("folderLabel"))->text(), card());
    // Both channels reach their views; the time moves on the dashboard.
    QTRY_VERIFY(paintedFrame(view("view1")) > 2);
    QTRY_COMPARE(paintedChannel("view2"), 1);
    QTRY_VERIFY(dashboard()->timeText().endsWith(QLatin1String("/00:02")));
}

void TestMainWindow::telemetryMovesSpeedAndMap()
{
    QVERIFY(openFolder(card()));
    QTRY_COMPARE(dashboard()->speed(), 100);
    QTRY_VERIFY(qAbs(mapPane()->latitude() - kLatitude) < 1e-5);
    QVERIFY(qAbs(mapPane()->longitude() - kLongitude) < 1e-5);
    QVERIFY(!dashboard()->noPositionInClip());
}

void TestMainWindow::nextAndPreviousWrap()
{
    QVERIFY(openFolder(card()));
    click(*m_window, "pre_file");
    QCOMPARE(list()->currentRow(), 3);
    QTRY_VERIFY(rowIsOpen(*m_window, 3));
    click(*m_window, "next_file");
    QCOMPARE(list()->currentRow(), 0);
    click(*m_window, "next_file");
    QCOMPARE(list()->currentRow(), 1);
    QVERIFY(isPlaying());
}

void TestMainWindow::endOfClipPlaysNext()
{
    QVERIFY(openFolder(card()));
    m_window->playSelectClip(3);
    QCOMPARE(list()->currentRow(), 3);
    // The last clip runs to its end and the list wraps to the first.
    QTRY_COMPARE_WITH_TIMEOUT(list()->currentRow(), 0, 15000);
    QVERIFY(isPlaying());
}

void TestMainWindow::singleClipStopsAndRewinds()
{
    QVERIFY(openFolder(card()));
    click(*m_window, "filter1");
    QCOMPARE(list()->count(), 1);
    QVERIFY(isPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(!isPlaying(), 15000);
    QCOMPARE(list()->currentRow(), 0);
    QTRY_COMPARE(session()->position(), 0);
    QTRY_COMPARE(paintedFrame(view("view1")), 0);
    QVERIFY(session()->engineStatus().flags & Player::Paused);
}

// The buttons choose among the clips read when the folder was opened: a clip written to the card
// since does not show up, and the chosen buttons show as disabled.
void TestMainWindow::categoriesAndFilters()
{
    QVERIFY(openFolder(card()));
    const QString later = card() + QStringLiteral("/REC/REC_2012_05_14_10_25_30.mp4");
    QVERIFY(QFile::copy(card() + QStringLiteral("/REC/REC_2012_05_14_10_21_30.mp4"), later));
    const auto removeLater = qScopeGuard([later] { QFile::remove(later); });
    QVERIFY(!button("category0")->isEnabled());
    QVERIFY(!button("filter0")->isEnabled());

    click(*m_window, "category1");
    QCOMPARE(list()->count(), 2);
    QCOMPARE(list()->item(0)->text(), QStringLiteral("REC_2012_05_14_10_20_30.avi"));
    QCOMPARE(list()->item(1)->text(), QStringLiteral("REC_2012_05_14_10_21_30.mp4"));
    QVERIFY(!button("category1")->isEnabled());
    QVERIFY(button("category0")->isEnabled());

    click(*m_window, "category2");
    QCOMPARE(list()->count(), 2);
    QCOMPARE(list()->item(0)->text(), QStringLiteral("EVS_2012_05_14_10_22_30_I.avi"));

    // A filter keeps the category, and a category keeps the filter.
    click(*m_window, "filter2");
    QVERIFY(!button("category2")->isEnabled());
    QCOMPARE(list()->count(), 1);
    click(*m_window, "filter3");
    QCOMPARE(list()->count(), 0);
    click(*m_window, "category0");
    QVERIFY(!button("filter3")->isEnabled());
    QVERIFY(!button("category0")->isEnabled());
    QCOMPARE(list()->count(), 0);
    click(*m_window, "filter0");
    QCOMPARE(list()->count(), 4);
    QVERIFY(m_warnings.isEmpty());
}

void TestMainWindow::folderWithoutClipsWarns()
{
    QVERIFY(openFolder(card()));
    QCOMPARE(list()->count(), 4);
    // The list empties as soon as another folder is asked for, not once it has been read.
    QSignalSpy read(&m_window->library(), &ClipLibrary::scanFinished);
    m_window->openFolder(m_scratch.path());
    QCOMPARE(list()->count(), 0);
    QVERIFY(read.wait(10000));
    QTRY_COMPARE(m_warnings, QStringList{QStringLiteral("Please select proper folder")});
    QCOMPARE(list()->count(), 0);
    QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("folderLabel"))->text(), card());
    // A category button after that reads the folder shown again and lists its clips of that kind.
    click(*m_window, "category1");
    QVERIFY(read.wait(10000));
    QTRY_COMPARE(list()->count(), 2);
    QCOMPARE(m_warnings.size(), 1);

    // With no folder shown at all, it reads the working folder and finds nothing.
    m_window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
    m_window->show();
    QSignalSpy readAgain(&m_window->library(), &ClipLibrary::scanFinished);
    click(*m_window, "category1");
    QVERIFY(readAgain.wait(10000));
    QTRY_COMPARE(m_warnings.size(), 2);
    QCOMPARE(m_warnings.last(), QStringLiteral("폴더를 먼저 선택해 주세요."));
    // Events only may well find nothing: no warning for them.
    click(*m_window, "category2");
    QVERIFY(readAgain.wait(10000));
    QCOMPARE(m_warnings.size(), 2);
}

void TestMainWindow::zoomPanRotate()
{
    QVERIFY(openFolder(card()));
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    VideoView *large = view("view1");
    QTRY_VERIFY(paintedFrame(large) > 2);
    QCOMPARE(large->width(), 640);
    const QRect fitted = large->rendererRect();
    click(*m_window, "zoom_in");
    QCOMPARE(large->rendererRect(), VideoGeometry::zoomedRect(QSize(640, 360), 1.3f, QSize(640, 360)));
    QCOMPARE(view("view2")->zoom(), 1.0f);
    click(*m_window, "pan");
    QVERIFY(button("pan")->isHighlighted());
    QVERIFY(!list()->isEnabled());
    QVERIFY(!mapPane()->isEnabled());
    QVERIFY(large->isPanEnabled());
    click(*m_window, "zoom_win");
    QCOMPARE(large->rendererRect(), fitted);
    click(*m_window, "stop");
    QVERIFY(!button("pan")->isHighlighted());
    QVERIFY(list()->isEnabled());
    QVERIFY(!large->isPanEnabled());

    // Stopped on the first picture: turning shows that picture upside down, where it is.
    QTRY_COMPARE(paintedFrame(large), 0);
    click(*m_window, "rotate");
    QCOMPARE(paintedFrame(large, 180), 0);
    QCOMPARE(session()->position(), 0);
    click(*m_window, "rotate");
    QCOMPARE(paintedFrame(large), 0);

    // With the rear picture large, the zoom buttons act on it.
    click(*m_window, "list_screen");
    QCOMPARE(view("view2")->width(), 640);
    QCOMPARE(large->width(), 320);
    click(*m_window, "zoom_in");
    QVERIFY(view("view2")->zoom() > 1.0f);
    QCOMPARE(large->zoom(), 1.0f);
}

void TestMainWindow::maximizeIgnoredOnSmallScreen()
{
    if (ViewerLayout::canMaximize(m_window->screen()->geometry().size()))
        QSKIP("the test screen is large enough to maximize");
    click(*m_window, "maximize");
    QVERIFY(!ViewerTestWindow::isMaximized(*m_window));
    QVERIFY(!button("maximize")->isHidden());
    QCOMPARE(m_window->size(), QSize(1024, 645));
}

void TestMainWindow::snapshotWritesOneFilePerChannel()
{
    QVERIFY(openFolder(card()));
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    QTRY_VERIFY(paintedFrame(view("view1")) >= 0);
    const QString chosen = m_scratch.filePath(QStringLiteral("shot"));
    QString startFolder;
    answerNextModal<QFileDialog>([chosen, &startFolder](QFileDialog *dialog) {
        startFolder = dialog->directory().absolutePath();
        typeFileName(dialog, chosen);
    });
    click(*m_window, "snapshot");
    // The dialog starts in the desktop's pictures folder, in a QRD-7700 folder made for it.
    QCOMPARE(startFolder, QDir::home().filePath(QStringLiteral("Pictures/QRD-7700")));
    QVERIFY(!isPlaying());
    QVERIFY(m_warnings.isEmpty());
    const QImage front(m_scratch.filePath(QStringLiteral("shot-1ch-SD.jpg")));
    const QImage rear(m_scratch.filePath(QStringLiteral("shot-2ch-SD.jpg")));
    QCOMPARE(front.size(), kFront);
    QCOMPARE(rear.size(), kRear);
}

void TestMainWindow::printPlacesPictures()
{
    QVERIFY(openFolder(card()));
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    QTRY_VERIFY(paintedFrame(view("view1")) >= 0);
    const QString pdf = m_scratch.filePath(QStringLiteral("print.pdf"));
    answerNextModal<QPrintDialog>([pdf](QPrintDialog *dialog) {
        dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog->printer()->setOutputFileName(pdf);
        dialog->done(QDialog::Accepted);
    });
    click(*m_window, "print");
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(bytes.count("/Subtype /Image"), 2); // one picture per channel
}

void TestMainWindow::settingsRoundTripChangesSpeedUnit()
{
    QVERIFY(dashboard()->speedUnitKm());
    answerNextModal<ConfigWindow>([](ConfigWindow *dialog) {
        QCOMPARE(dialog->viewerSpeedUnit, 1);
        QTest::mouseClick(dialog, Qt::LeftButton, {}, QPoint(330, 605)); // the hidden mph target
        dialog->OnSlotsOK();
    });
    click(*m_window, "setting");
    QVERIFY(!dashboard()->speedUnitKm());
    // The next visit starts from the unit now shown.
    answerNextModal<ConfigWindow>([](ConfigWindow *dialog) {
        QCOMPARE(dialog->viewerSpeedUnit, 2);
        dialog->reject();
    });
    click(*m_window, "setting");
    QVERIFY(!dashboard()->speedUnitKm());
}

// A file chosen with the file button gets an entry of its own; chosen there, it plays, and the
// transport can pause and stop it.
void TestMainWindow::looseFilePlays()
{
    const QString path = card() + QStringLiteral("/REC/REC_2012_05_14_10_21_30.mp4");
    answerNextModal<QFileDialog>([path](QFileDialog *dialog) {
        typeFileName(dialog, path);
    });
    click(*m_window, "file_open");
    QCOMPARE(list()->count(), 1);
    QVERIFY(button("pause")->isEnabled());
    m_window->playSelectClip(0);
    QTRY_VERIFY(session()->isOpen());
    QCOMPARE(session()->clip()->file().absoluteFilePath(), QFileInfo(path).absoluteFilePath());
    QTRY_VERIFY(paintedFrame(view("view1")) > 2);
    click(*m_window, "pause");
    QVERIFY(!isPlaying());
    QTRY_VERIFY(session()->engineStatus().flags & Player::Paused);
}

void TestMainWindow::timelineClickThroughWindowSeeks()
{
    QVERIFY(openFolder(card()));
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    click(*m_window, "pause");
    QTRY_VERIFY(dashboard()->timeText().endsWith(QLatin1String("/00:02")));
    // A press and release the window receives over the dashboard's strip reach the dashboard, in its
    // coordinates: x 322 of a 642-wide strip is 2000 × 320 / 628 = 1019 ms into the 2 s clip.
    const QPoint at = dashboard()->geometry().topLeft() + QPoint(322, 10);
    QMouseEvent press(QEvent::MouseButtonPress, at, m_window->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, m_window->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(m_window.get(), &press);
    QCoreApplication::sendEvent(m_window.get(), &release);
    const qint64 length = session()->length();
    const qint64 expected = length * 320 / 628;
    QTRY_VERIFY(qAbs(session()->position() - expected) <= 100);
}

// The window goes while a clip is still opening, and while a folder is still being read: nothing
// it owned may answer later.
void TestMainWindow::closingWhileOpening()
{
    QVERIFY(openFolder(card()));
    QVERIFY(session()->clip() && !session()->isOpen()); // still opening
    m_window.reset();
    QTest::qWait(0);
    QCoreApplication::processEvents();
    m_window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
    m_window->openFolder(card());
    m_window.reset();
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
        QVERIFY(openFolder(card()));
        click(*m_window, "pause");
        QVERIFY(dashboard()->isEnabled());
    }
    QWindow *window = m_window->windowHandle();
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        QTest::mousePress(window, button, {}, at);
        QTest::mouseMove(window, at + QPoint(3, -1));
        QTest::mouseRelease(window, button, {}, at + QPoint(3, -1));
    }
    QCOMPARE(dashboard()->isEnabled(), withClip);
    QVERIFY(m_window->isVisible());
    QVERIFY(m_warnings.isEmpty());
}

// A clip that cannot be opened warns once, and nothing of the clip before it stays: not its place
// on the map, not its two channels (the swap button), not its pictures (a snapshot).
void TestMainWindow::unplayableClipWarnsAndClearsTheMap()
{
    QVERIFY(openFolder(troubleCard()));
    QTRY_VERIFY(qAbs(mapPane()->latitude() - kLatitude) < 1e-5);
    QTRY_VERIFY(button("list_screen")->isEnabled());
    m_window->playSelectClip(1);
    QTRY_COMPARE(m_warnings, QStringList{Messages::openClipFailed()});
    QVERIFY(!isPlaying());
    QVERIFY(!session()->clip());
    QCOMPARE(mapPane()->latitude(), MapView::kDefaultLatitude);
    QCOMPARE(mapPane()->longitude(), MapView::kDefaultLongitude);
    QCOMPARE(list()->currentRow(), 1);
    QVERIFY(!button("list_screen")->isEnabled());
    click(*m_window, "snapshot");
    QTRY_COMPARE(m_warnings.size(), 2);
    QCOMPARE(m_warnings.last(), Messages::playFirst());
    // The next clip plays as usual.
    click(*m_window, "next_file");
    QTRY_VERIFY(rowIsOpen(*m_window, 2));
    QVERIFY(isPlaying());
}

// A clip that breaks in the middle stops with the reason shown, the window stopped; Play opens
// it again and plays.
void TestMainWindow::errorWhilePlayingStopsAndPlayReopens()
{
    QVERIFY(openFolder(troubleCard()));
    m_window->playSelectClip(2);
    QTRY_VERIFY(rowIsOpen(*m_window, 2));
    m_window->OnSlotsProgress(4800); // near the broken picture
    QTRY_VERIFY_WITH_TIMEOUT(!m_warnings.isEmpty(), 20000);
    QCOMPARE(m_warnings.size(), 1);
    QVERIFY(m_warnings.first().startsWith(Messages::openClipFailed() + QLatin1String("\n\n")));
    QVERIFY(m_warnings.first().size() > Messages::openClipFailed().size() + 2); // and the reason
    QVERIFY(!isPlaying());
    QVERIFY(button("play")->isVisible());
    QVERIFY(!button("pause")->isVisible());
    QVERIFY(session()->engineStatus().broken);

    QSignalSpy reopened(session(), &PlaybackSession::opened);
    click(*m_window, "play");
    QVERIFY(isPlaying());
    QTRY_COMPARE(reopened.count(), 1);
    QVERIFY(rowIsOpen(*m_window, 2) && !session()->engineStatus().broken);
    QTRY_VERIFY(paintedFrame(view("view1")) > 3);
    QVERIFY(isPlaying());
    QCOMPARE(m_warnings.size(), 1);
}

// The volume bar and the mute button set the clip's own sound level, also for the next clip and
// the next folder; the system's mixer is not part of it.
void TestMainWindow::volumeAndMuteReachTheClipsSound()
{
    QVERIFY(openFolder(troubleCard()));
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    const PlaybackSession *playback = session();
    auto *bar = m_window->findChild<WidgetVolume *>(QStringLiteral("volumeSlider"));
    QCOMPARE(playback->engineStatus().appliedVolume, 1.0); // full until the bar is used
    const double half = 5 * 6553 / 65535.0; // level 5 of the bar
    bar->setLevel(5);
    QVERIFY(qAbs(playback->engineStatus().appliedVolume - half) < 1e-6);
    click(*m_window, "volume");
    QVERIFY(!bar->isEnabled());
    QVERIFY(button("volume")->isHighlighted());
    QCOMPARE(playback->engineStatus().appliedVolume, 0.0);
    m_window->playSelectClip(2);
    QTRY_VERIFY(rowIsOpen(*m_window, 2));
    QCOMPARE(playback->engineStatus().appliedVolume, 0.0); // still muted
    // Another folder keeps the sound off, and the bar and the button say so.
    QVERIFY(openFolder(troubleCard()));
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    QVERIFY(!bar->isEnabled());
    QVERIFY(button("volume")->isHighlighted());
    QCOMPARE(playback->engineStatus().appliedVolume, 0.0);
    click(*m_window, "volume");
    QVERIFY(bar->isEnabled());
    QVERIFY(!button("volume")->isHighlighted());
    QCOMPARE(bar->level(), 5);
    QVERIFY(qAbs(playback->engineStatus().appliedVolume - half) < 1e-6);
}

void TestMainWindow::stopResetsTheSpeedGauge()
{
    QVERIFY(openFolder(card()));
    QTRY_COMPARE(dashboard()->speed(), 100);
    click(*m_window, "stop");
    QCOMPARE(dashboard()->speed(), 0);
    QCOMPARE(dashboard()->timeText().left(5), QStringLiteral("00:00"));
}

// Rows changed faster than clips open: only the last one is opened and plays; nothing answers late.
void TestMainWindow::quickSwitchingOpensTheLastClipOnly()
{
    QVERIFY(openFolder(card()));
    for (int i = 0; i < 12; ++i)
        click(*m_window, "next_file");
    const int last = list()->currentRow();
    QCOMPARE(last, 12 % 4);
    QTRY_VERIFY(rowIsOpen(*m_window, last));
    QTRY_VERIFY(paintedFrame(view("view1")) > 2);
    QCOMPARE(list()->currentRow(), last);
    QVERIFY(isPlaying());
    QVERIFY(m_warnings.isEmpty());
}

// Without a decoder for the pictures the warning says what is not installed.
void TestMainWindow::missingDecoderIsNamed()
{
    QVERIFY(openFolder(card()));
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
    VideoView *front = view("view1");
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    QTRY_COMPARE(paintedFrame(front), 0);
    QTRY_VERIFY(!front->isLoadingShown());
    QTRY_COMPARE(dashboard()->speed(), 100);
    QTRY_VERIFY(qAbs(mapPane()->latitude() - kLatitude) < 1e-5);
    QVERIFY(qAbs(dashboard()->currentSample().latitude - kLatitude) < 1e-5);
    QVERIFY(dashboard()->timeText().startsWith(QLatin1String("00:00/")));
    QVERIFY(!isPlaying());
    const QImage restored = front->grab().toImage();

    // The same clip played and paused by hand, then taken back to its first picture.
    click(*m_window, "play");
    click(*m_window, "pause");
    m_window->OnSlotsProgress(0);
    QTRY_COMPARE(paintedFrame(front), 0);
    QTRY_COMPARE(front->grab().toImage(), restored);
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
