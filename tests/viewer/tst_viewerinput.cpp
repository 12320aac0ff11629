// The viewer window's mouse and drop additions and the state it remembers, on the real window:
// the wheel over the pictures, double clicks, folders and files dropped on it, and reopening where
// the user left at the next start.
#include "viewer/viewerinput.h"

#include "base/messages.h"
#include "base/programsettings.h"
#include "catalogue/clipcatalogue.h"
#include "session/playbacksession.h"
#include "session/cliplibrary.h"
#include "skin/clearbutton.h"
#include "tests/viewer/viewertestwindow.h"
#include "viewer/cliplist.h"
#include "viewer/mainwindow.h"
#include "viewer/dashboardgeometry.h"
#include "viewer/videoview.h"
#include "viewer/viewersession.h"
#include "viewer/widgetprogressa.h"
#include "viewer/widgetvolume.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QFutureWatcher>
#include <QMimeData>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <memory>
#include <optional>

using ViewerTestWindow::isMaximized;
using ViewerTestWindow::Card;
using ViewerTestWindow::rowIsOpen;

namespace {

QList<QUrl> localUrls(const QStringList &paths)
{
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}

// Sends a wheel turn of `delta` eighths of a degree to `widget`, at `at` or its middle.
void turnWheel(QWidget *widget, int delta, std::optional<QPointF> at = std::nullopt)
{
    const QPointF where = at.value_or(QRectF(widget->rect()).center());
    QWheelEvent event(where, widget->mapToGlobal(where), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

// Where a point of the view lies on the shown picture, as a share of its width and height.
QPointF pictureShare(const VideoView *view, const QPointF &point)
{
    const QRect shown = view->rendererRect();
    return {(point.x() - shown.x()) / shown.width(), (point.y() - shown.y()) / shown.height()};
}

} // namespace

class TestViewerInput : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void wheelZoomsTheLargePicture();
    void wheelZoomsAboutThePointer();
    void panDragsAddUp();
    void volumeBarTakesClicksAndTheWheel();
    void timelineScrubsAndShowsThePointersTime();
    void doubleClickTogglesMaximize();
    void dropPlan_data();
    void dropPlan();
    void droppedFolderOpens();
    void droppedFilesPlayTheFirst();
    void dropOfNothingUsableIsRefused();
    void fileDialogOffersAvi();
    void restartReopensFolderPaused();
    void restartRestoresMaximized();
    void restartWithFolderGone_data();
    void restartWithFolderGone();
    void firstStartOpensTheOnlyCard_data();
    void firstStartOpensTheOnlyCard();

private:
    // Sends a drag of `urls` over the window and drops it; true when the window took the drop.
    bool drop(const QList<QUrl> &urls);
    // The window's parts, found by name as a user finds them by sight.
    MyListWidget *list() const { return ViewerTestWindow::clipList(*m_window); }
    VideoView *view(const char *name) const { return m_window->findChild<VideoView *>(QLatin1String(name)); }
    WidgetProgressA *dashboard() const { return m_window->findChild<WidgetProgressA *>(QStringLiteral("dashboard")); }
    WidgetVolume *volumeBar() const { return m_window->findChild<WidgetVolume *>(QStringLiteral("volumeSlider")); }
    // Opens the card, plays its six-second clip and waits, paused, on its first picture.
    void openCardPaused();
    QString folderShown() const { return m_window->findChild<QLabel *>(QStringLiteral("folderLabel"))->text(); }
    PlaybackSession *session() const { return ViewerTestWindow::session(*m_window); }
    bool isPlaying() const { return ViewerTestWindow::isPlaying(*m_window); }

    ViewerTestWindow::Card m_card;
    QTemporaryDir m_scratch;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_warnings;
    QTimer m_warningCloser;
};

void TestViewerInput::initTestCase()
{
    QString error;
    if (!m_card.create(&error))
        QSKIP(qPrintable(error));
    qputenv("QRD7700_CARDS", QFile::encodeName(m_card.path()));
    connect(&m_warningCloser, &QTimer::timeout, this, [this] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            m_warnings << box->text();
            box->accept();
        }
    });
    m_warningCloser.start(20);
}

void TestViewerInput::init()
{
    m_warnings.clear();
    QFile::remove(ProgramSettings::filePath());
    m_window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestViewerInput::cleanup()
{
    m_window.reset();
}

bool TestViewerInput::drop(const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(300, 200);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(m_window.get(), &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropEvent(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(m_window.get(), &dropEvent);
    // Whatever is dropped is only referred to, never moved away from the card.
    return dropEvent.isAccepted() && dropEvent.dropAction() == Qt::CopyAction;
}

// Notches (or their parts from fine wheels) zoom the large picture as the buttons do; the small
// picture does not zoom, and without a clip nothing zooms.
void TestViewerInput::wheelZoomsTheLargePicture()
{
    turnWheel(view("view1"), 120);
    QCOMPARE(view("view1")->zoom(), 1.0f);
    QVERIFY(ViewerTestWindow::openFolder(*m_window, m_card.path()));
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    VideoView *large = view("view1");
    turnWheel(large, 120);
    const float once = large->zoom();
    QVERIFY(once > 1.0f);
    ViewerTestWindow::click(*m_window, "zoom_win");
    ViewerTestWindow::click(*m_window, "zoom_in");
    QCOMPARE(large->zoom(), once); // the same step as the button's
    turnWheel(large, 60);
    QCOMPARE(large->zoom(), once);
    turnWheel(large, 60);
    QVERIFY(large->zoom() > once);
    turnWheel(large, -240);
    QCOMPARE(large->zoom(), 1.0f);
    turnWheel(view("view2"), 120);
    QCOMPARE(view("view2")->zoom(), 1.0f);
    QCOMPARE(large->zoom(), 1.0f);
    // With the rear picture of a two-channel clip large, the wheel zooms that one.
    m_window->playSelectClip(2);
    QTRY_VERIFY(rowIsOpen(*m_window, 2));
    ViewerTestWindow::click(*m_window, "list_screen");
    turnWheel(view("view2"), 120);
    QCOMPARE(view("view2")->zoom(), once);
    turnWheel(view("view1"), 120);
    QCOMPARE(view("view1")->zoom(), 1.0f);
}

void TestViewerInput::openCardPaused()
{
    QVERIFY(ViewerTestWindow::openFolder(*m_window, m_card.path()));
    const QList<QListWidgetItem *> found = list()->findItems(QFileInfo(m_card.clip(0)).fileName(), Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    const int row = list()->row(found.first());
    list()->setCurrentRow(row);
    QTRY_VERIFY(rowIsOpen(*m_window, row));
    QTRY_VERIFY(isPlaying());
    ViewerTestWindow::click(*m_window, "pause");
    QTRY_VERIFY(!session()->engineStatus().running);
    m_window->OnSlotsProgress(0);
    QTRY_COMPARE(ViewerTestWindow::shownFrame(*m_window), 0);
}

// The wheel zooms about the pointer: the point of the picture under it stays under it, also over
// several notches and back out, until the picture is fitted again.
void TestViewerInput::wheelZoomsAboutThePointer()
{
    openCardPaused();
    VideoView *large = view("view1");
    const QPointF pointer(large->width() * 0.25, large->height() * 0.3);
    const QPointF before = pictureShare(large, pointer);
    for (int notch = 0; notch < 3; ++notch) {
        turnWheel(large, 120, pointer);
        const QPointF after = pictureShare(large, pointer);
        QVERIFY2(qAbs(after.x() - before.x()) * large->rendererRect().width() <= 1.0
                     && qAbs(after.y() - before.y()) * large->rendererRect().height() <= 1.0,
                 qPrintable(QStringLiteral("notch %1: %2,%3 against %4,%5")
                                .arg(notch).arg(after.x()).arg(after.y()).arg(before.x()).arg(before.y())));
    }
    // The centre of the view is no longer the picture's centre: the zoom went where the pointer was.
    QVERIFY(pictureShare(large, QRectF(large->rect()).center()).x() < 0.45);
    turnWheel(large, -360, pointer);
    QCOMPARE(large->zoom(), 1.0f);
    ViewerTestWindow::click(*m_window, "zoom_in"); // the button still zooms about the centre
    const QPointF centre = pictureShare(large, QRectF(large->rect()).center());
    QVERIFY(qAbs(centre.x() - 0.5) < 0.01 && qAbs(centre.y() - 0.5) < 0.01);
}

// In pan mode the window's drags move the zoomed picture by as much as the pointer moved: the same
// drag twice goes twice as far, and a sideways drag keeps the picture's height where it was.
void TestViewerInput::panDragsAddUp()
{
    openCardPaused();
    VideoView *large = view("view1");
    ViewerTestWindow::click(*m_window, "zoom_in");
    ViewerTestWindow::click(*m_window, "zoom_in");
    ViewerTestWindow::click(*m_window, "pan");
    const auto drag = [large](QPoint from, QPoint to) {
        QTest::mousePress(large, Qt::LeftButton, {}, from);
        QTest::mouseMove(large, to);
        QTest::mouseRelease(large, Qt::LeftButton, {}, to);
        return large->rendererRect().topLeft();
    };
    const QPoint start = large->rendererRect().topLeft();
    const QPoint once = drag({300, 200}, {260, 180});
    QCOMPARE(once, start + QPoint(-40, -20));
    QCOMPARE(drag({300, 200}, {260, 180}), start + QPoint(-80, -40));
    QCOMPARE(drag({100, 100}, {150, 100}), start + QPoint(-30, -40));
    ViewerTestWindow::click(*m_window, "pan");
    QCOMPARE(drag({300, 200}, {200, 100}), start + QPoint(-30, -40)); // out of pan mode nothing moves
}

// The volume bar of the window: a click sets the level where it lands, the wheel steps it, the left
// end is silence for the clip playing, and the level is there again at the next start.
void TestViewerInput::volumeBarTakesClicksAndTheWheel()
{
    openCardPaused();
    WidgetVolume *bar = volumeBar();
    QVERIFY(bar->isEnabled());
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(24, 4));
    QCOMPARE(bar->level(), 5);
    QTRY_VERIFY(qAbs(session()->engineStatus().volume - 5 * 6553 / 65535.0) < 1e-3);
    turnWheel(bar, 240);
    QCOMPARE(bar->level(), 7);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(1, 4));
    QCOMPARE(bar->level(), 0);
    QCOMPARE(session()->engineStatus().volume, 0.0);
    turnWheel(bar, 120);
    turnWheel(bar, 120);
    QCOMPARE(bar->level(), 2);
    // Muting keeps the level; the bar takes no clicks meanwhile.
    ViewerTestWindow::click(*m_window, "volume");
    QCOMPARE(session()->engineStatus().volume, 0.0);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(49, 4));
    QCOMPARE(bar->level(), 2);
    ViewerTestWindow::click(*m_window, "volume");

    ViewerSession::save(*m_window);
    QCOMPARE(ProgramSettings::volumeLevel(), 2);
    m_window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
    m_window->show();
    ViewerSession::restore(*m_window);
    QCOMPARE(volumeBar()->level(), 2);
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    QTRY_VERIFY(qAbs(session()->engineStatus().volume - 2 * 6553 / 65535.0) < 1e-3);
}

// Dragging along the timeline shows the pictures under the pointer before the button is released,
// the marker and a time label follow the pointer, and the release lands exactly there; the pointer
// resting on the strip shows the time under it.
void TestViewerInput::timelineScrubsAndShowsThePointersTime()
{
    openCardPaused();
    WidgetProgressA *strip = dashboard();
    const int length = Card::LongClipMs;
    QTRY_COMPARE(session()->length(), qint64(length));
    const auto xAt = [strip, length](int ms) { return 2 + int(qint64(ms) * (strip->width() - 14) / length) + 1; };
    const auto frameAt = [](int ms) { return ms * Card::Fps / 1000; };

    const auto moveTo = [strip](QPointF at, Qt::MouseButtons held) {
        QMouseEvent move(QEvent::MouseMove, at, strip->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
        QApplication::sendEvent(strip, &move);
    };
    const QImage plain = strip->grab(QRect(0, 0, strip->width(), Dashboard::kStripHeight)).toImage();
    moveTo(QPointF(xAt(2000), 20), Qt::NoButton);
    QVERIFY(strip->pointerPosition().has_value());
    QCOMPARE(*strip->pointerPosition() / 1000, 2);
    QVERIFY(strip->grab(QRect(0, 0, strip->width(), Dashboard::kStripHeight)).toImage() != plain); // the label
    QCOMPARE(ViewerTestWindow::shownFrame(*m_window), 0); // hovering moves nothing
    moveTo(QPointF(xAt(2000), 80), Qt::NoButton);
    QVERIFY(!strip->pointerPosition().has_value()); // off the strip, no label

    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(xAt(1000), 20));
    for (int ms : {1500, 2500, 3500})
        moveTo(QPointF(xAt(ms), 20), Qt::LeftButton);
    // The newest position wins: the pictures come to 3.5 s with the button still down.
    QTRY_VERIFY(qAbs(ViewerTestWindow::shownFrame(*m_window) - frameAt(3500)) <= 1);
    QVERIFY(!isPlaying());
    // A move past the end of the strip (and below it) holds the drag at the strip's end; the release
    // lands where it is, exactly.
    moveTo(QPointF(strip->width() + 40, 60), Qt::LeftButton);
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(xAt(4200), 20));
    const int expected = Dashboard::releasePosition(0, length, xAt(4200), strip->width());
    QTRY_VERIFY(qAbs(session()->position() - expected) <= 1000 / Card::Fps);
    QTRY_COMPARE(ViewerTestWindow::shownFrame(*m_window), frameAt(expected));
    QCOMPARE(strip->timeText().left(5), QStringLiteral("00:04"));
}

void TestViewerInput::doubleClickTogglesMaximize()
{
    if (!ViewerLayout::canMaximize(m_window->screen()->geometry().size()))
        QSKIP("the test screen is too small to maximize");
    QTest::mouseDClick(view("view1"), Qt::LeftButton);
    QVERIFY(isMaximized(*m_window));
    QCOMPARE(m_window->size(), m_window->screen()->geometry().size());
    QTest::mouseDClick(view("view2"), Qt::LeftButton);
    QVERIFY(!isMaximized(*m_window));
    QCOMPARE(m_window->size(), QSize(1024, 645));
    QTest::mouseDClick(view("view1"), Qt::RightButton);
    QVERIFY(!isMaximized(*m_window));
}

void TestViewerInput::dropPlan_data()
{
    QTest::addColumn<QStringList>("dropped"); // "@" is the card; "http:" items are remote
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("files");
    const QString rec = QStringLiteral("@/REC/REC_2012_05_14_10_20_30.avi");
    const QString rec2 = QStringLiteral("@/REC/REC_2012_05_14_10_21_30.avi");
    QTest::newRow("a folder") << QStringList{"@/REC"} << "@/REC" << QStringList{};
    QTest::newRow("two clips in their order") << QStringList{rec2, rec} << "" << QStringList{rec2, rec};
    QTest::newRow("a folder among files wins") << QStringList{rec, "@/EVENT", "@"} << "@/EVENT" << QStringList{};
    QTest::newRow("other files left out") << QStringList{"@/notes.txt", rec, "@/REC/REC_x.mov"} << ""
                                          << QStringList{rec};
    QTest::newRow("capital extension") << QStringList{"@/REC/REC_2012_05_14_10_25_30.AVI"} << ""
                                       << QStringList{"@/REC/REC_2012_05_14_10_25_30.AVI"};
    QTest::newRow("missing file") << QStringList{"@/REC/REC_2012_05_14_10_59_59.avi"} << "" << QStringList{};
    QTest::newRow("folder named like a clip") << QStringList{"@/dir.avi"} << "@/dir.avi" << QStringList{};
    QTest::newRow("remote address") << QStringList{"http://example.com/REC_1.avi"} << "" << QStringList{};
    QTest::newRow("nothing") << QStringList{} << "" << QStringList{};
}

void TestViewerInput::dropPlan()
{
    QFETCH(QStringList, dropped);
    QFETCH(QString, folder);
    QFETCH(QStringList, files);
    QVERIFY(QDir(m_card.path()).mkpath(QStringLiteral("dir.avi")));
    QFile upper(m_card.path() + QStringLiteral("/REC/REC_2012_05_14_10_25_30.AVI"));
    QVERIFY(upper.open(QIODevice::WriteOnly));
    upper.close();
    QFile text(m_card.path() + QStringLiteral("/notes.txt"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.close();
    QList<QUrl> urls;
    for (QString item : dropped) {
        if (item.startsWith(QLatin1String("http:")))
            urls.append(QUrl(item));
        else
            urls.append(QUrl::fromLocalFile(item.replace(QLatin1Char('@'), m_card.path())));
    }
    for (QString &file : files)
        file.replace(QLatin1Char('@'), m_card.path());
    const ViewerInput::DropPlan plan = ViewerInput::planDrop(urls);
    QCOMPARE(plan.folder, folder.replace(QLatin1Char('@'), m_card.path()));
    QCOMPARE(plan.files, files);
    QFile::remove(upper.fileName());
    QFile::remove(text.fileName());
    QDir(m_card.path()).rmdir(QStringLiteral("dir.avi"));
}

void TestViewerInput::droppedFolderOpens()
{
    QVERIFY(drop(localUrls({m_card.path()})));
    QTRY_COMPARE(list()->count(), 3);
    QCOMPARE(folderShown(), m_card.path());
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    QVERIFY(isPlaying());
    // A folder without clips is refused with the folder chooser's message.
    QVERIFY(drop(localUrls({m_scratch.path()})));
    QTRY_COMPARE(m_warnings, QStringList{QStringLiteral("Please select proper folder")});
}

// Clip files become entries of their own; the first one dropped plays, with the transport usable.
void TestViewerInput::droppedFilesPlayTheFirst()
{
    QVERIFY(drop(localUrls({m_card.clip(2), m_card.clip(1)})));
    QTRY_COMPARE(list()->count(), 2);
    QCOMPARE(list()->item(0)->text(), QStringLiteral("EVS_2012_05_14_10_22_30_I.avi"));
    QCOMPARE(list()->currentRow(), 0);
    QTRY_VERIFY(session()->isOpen());
    QCOMPARE(session()->clip()->file().absoluteFilePath(), m_card.clip(2));
    QVERIFY(isPlaying());
    QVERIFY(ViewerTestWindow::button(*m_window, "pause")->isEnabled());
    ViewerTestWindow::click(*m_window, "next_file");
    QTRY_COMPARE(session()->clip() ? session()->clip()->file().absoluteFilePath() : QString(),
                 m_card.clip(1));
    QVERIFY(folderShown().isEmpty());
}

void TestViewerInput::dropOfNothingUsableIsRefused()
{
    const QString text = m_scratch.filePath(QStringLiteral("notes.txt"));
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(!drop(localUrls({text})));
    QVERIFY(!drop({QUrl(QStringLiteral("https://example.com/REC_1.avi"))}));
    QCoreApplication::processEvents();
    QCOMPARE(list()->count(), 0);
    QVERIFY(m_warnings.isEmpty());
}

// The recorder's AVI clips are offered by the file button's dialog beside the MP4 ones.
void TestViewerInput::fileDialogOffersAvi()
{
    QStringList filters;
    auto *timer = new QTimer(this);
    connect(timer, &QTimer::timeout, timer, [timer, &filters] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            filters = dialog->nameFilters();
            timer->deleteLater();
            dialog->reject();
        }
    });
    timer->start(20);
    ViewerTestWindow::click(*m_window, "file_open");
    QCOMPARE(filters, QStringList{QStringLiteral("QRD-7700 Data Files (*.mp4 *.avi)")});
}

// Closing with a folder open and starting again: the folder is back, its first clip open and
// paused on its first picture, no warning.
void TestViewerInput::restartReopensFolderPaused()
{
    QVERIFY(ViewerTestWindow::openFolder(*m_window, m_card.path()));
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    ViewerSession::save(*m_window);
    m_window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
    m_window->show();
    ViewerSession::restore(*m_window);
    QTRY_COMPARE(list()->count(), 3);
    QCOMPARE(list()->currentRow(), 0);
    QCOMPARE(folderShown(), m_card.path());
    QVERIFY(!isPlaying());
    QTRY_VERIFY(rowIsOpen(*m_window, 0));
    QTRY_COMPARE(ViewerTestWindow::shownFrame(*m_window), 0);
    QVERIFY(!isPlaying());
    QVERIFY(!session()->engineStatus().running);
    QCOMPARE(session()->position(), 0);
    QVERIFY(ViewerTestWindow::button(*m_window, "play")->isEnabled());
    QVERIFY(m_warnings.isEmpty());

    // A window closed without a folder open keeps the folder remembered before.
    m_window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
    ViewerSession::save(*m_window);
    QCOMPARE(ProgramSettings::lastFolder(), m_card.path());
}

void TestViewerInput::restartRestoresMaximized()
{
    if (!ViewerLayout::canMaximize(m_window->screen()->geometry().size()))
        QSKIP("the test screen is too small to maximize");
    ViewerTestWindow::click(*m_window, "maximize");
    ViewerSession::save(*m_window);
    QVERIFY(ProgramSettings::maximized());
    m_window = std::make_unique<MainWindow>(nullptr, Qt::FramelessWindowHint);
    m_window->show();
    ViewerSession::restore(*m_window);
    QVERIFY(isMaximized(*m_window));
    QCOMPARE(m_window->size(), m_window->screen()->geometry().size());
    ViewerTestWindow::click(*m_window, "back2origin");
    ViewerSession::save(*m_window);
    QVERIFY(!ProgramSettings::maximized());
}

void TestViewerInput::restartWithFolderGone_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("folder deleted") << "gone";
    QTest::newRow("folder emptied") << "empty";
    QTest::newRow("a file now") << "file";
}

// A folder that no longer holds clips is left alone at start-up: no list, no warning.
void TestViewerInput::restartWithFolderGone()
{
    QFETCH(QString, folder);
    const QString path = m_scratch.filePath(folder);
    if (folder == QLatin1String("empty"))
        QVERIFY(QDir().mkpath(path));
    if (folder == QLatin1String("file")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    ProgramSettings::setLastFolder(path);
    ViewerSession::restore(*m_window);
    QCoreApplication::processEvents();
    QVERIFY(!m_window->library().isScanning());
    QCOMPARE(list()->count(), 0);
    QVERIFY(folderShown().isEmpty());
    QVERIFY(m_warnings.isEmpty());
}

void TestViewerInput::firstStartOpensTheOnlyCard_data()
{
    QTest::addColumn<QString>("cards"); // "@" is the test's card, "+" a second card
    QTest::addColumn<bool>("openedBefore");
    QTest::addColumn<bool>("opens");
    QTest::newRow("the only card opens") << "@" << false << true;
    QTest::newRow("two cards: which one is not guessed") << "@:+" << false << false;
    QTest::newRow("no card") << "" << false << false;
    QTest::newRow("a folder was opened before") << "@" << true << false;
}

// At the first start the recorder's card opens by itself, paused on its first clip, when it is the
// only one; otherwise the empty list says how to open a card.
void TestViewerInput::firstStartOpensTheOnlyCard()
{
    QFETCH(QString, cards);
    QFETCH(bool, openedBefore);
    QFETCH(bool, opens);
    const QString second = m_scratch.filePath(QStringLiteral("second-card"));
    QVERIFY(QDir().mkpath(second + QStringLiteral("/EVENT")));
    qputenv("QRD7700_CARDS", QFile::encodeName(cards.replace(QLatin1Char('@'), m_card.path())
                                                    .replace(QLatin1Char('+'), second)));
    const auto restoreCards = qScopeGuard([this] { qputenv("QRD7700_CARDS", QFile::encodeName(m_card.path())); });
    if (openedBefore)
        ProgramSettings::setLastFolder(m_scratch.filePath(QStringLiteral("gone")));
    QVERIFY(!list()->emptyText().isEmpty());
    ViewerSession::restore(*m_window);
    if (opens) {
        QTRY_COMPARE(list()->count(), 3);
        QTRY_VERIFY(rowIsOpen(*m_window, 0));
        QCOMPARE(folderShown(), m_card.path());
        QVERIFY(!isPlaying());
        QTRY_COMPARE(ViewerTestWindow::shownFrame(*m_window), 0);
        QVERIFY(list()->emptyText().isEmpty());
    } else {
        // Nothing is opened behind the user's back (once the drives have been looked at); the list
        // tells how to open a card.
        QTRY_VERIFY(!m_window->findChild<QFutureWatcherBase *>());
        QCOMPARE(list()->count(), 0);
        QVERIFY(!m_window->library().isScanning());
        QCOMPARE(list()->emptyText(), Messages::emptyListHint());
        const QImage shown = list()->viewport()->grab().toImage();
        const QColor background = shown.pixelColor(2, 2);
        int hint = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                hint += shown.pixelColor(x, y) != background;
        QVERIFY2(hint > 200, qPrintable(QString::number(hint)));
    }
    QVERIFY(m_warnings.isEmpty());
}

int main(int argc, char **argv)
{
    return ViewerTestWindow::run(argc, argv, [] { return std::make_unique<TestViewerInput>(); });
}

#include "tst_viewerinput.moc"
