// The viewer window's mouse and drop additions and the state it remembers, on the real window:
// the wheel over the pictures, double clicks, folders and files dropped on it, and reopening where
// the user left at the next start.
#include "viewer/viewerinput.h"

#include "base/programsettings.h"
#include "catalogue/clipcatalogue.h"
#include "session/playbacksession.h"
#include "session/cliplibrary.h"
#include "skin/clearbutton.h"
#include "tests/viewer/viewertestwindow.h"
#include "viewer/cliplist.h"
#include "viewer/mainwindow.h"
#include "viewer/videoview.h"
#include "viewer/viewersession.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <memory>

using ViewerTestWindow::isMaximized;
using ViewerTestWindow::rowIsOpen;

namespace {

QList<QUrl> localUrls(const QStringList &paths)
{
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}

// Sends a wheel turn of `delta` eighths of a degree to the middle of `widget`.
void turnWheel(QWidget *widget, int delta)
{
    const QPointF at = QRectF(widget->rect()).center();
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
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

private:
    // Sends a drag of `urls` over the window and drops it; true when the window took the drop.
    bool drop(const QList<QUrl> &urls);
    // The window's parts, found by name as a user finds them by sight.
    MyListWidget *list() const { return ViewerTestWindow::clipList(*m_window); }
    VideoView *view(const char *name) const { return m_window->findChild<VideoView *>(QLatin1String(name)); }
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

int main(int argc, char **argv)
{
    return ViewerTestWindow::run(argc, argv, [] { return std::make_unique<TestViewerInput>(); });
}

#include "tst_viewerinput.moc"
