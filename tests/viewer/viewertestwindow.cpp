#include "tests/viewer/viewertestwindow.h"

#include "catalogue/clip.h"
#include "playback/mediaframework.h"
#include "session/playbacksession.h"
#include "generators/mediagen/mediagen.h"
#include "session/cliplibrary.h"
#include "skin/clearbutton.h"
#include "viewer/cliplist.h"
#include "viewer/mainwindow.h"
#include "viewer/mapview.h"
#include "viewer/videoview.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace ViewerTestWindow {

namespace {

const char *const kClipNames[] = {"REC/REC_2012_05_14_10_20_30.avi", "REC/REC_2012_05_14_10_21_30.avi",
                                  "EVENT/EVS_2012_05_14_10_22_30_I.avi"};

} // namespace

void prepareEnvironment()
{
    static QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
    if (qgetenv("QT_QPA_PLATFORM") != "offscreen")
        return;
    const QString config = home.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(R"({"screens": [{"name": "big", "x": 0, "y": 0, "width": 1920, "height": 1080,
                      "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        file.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    }
}

bool Card::create(QString *error)
{
    const QStringList missing = MediaGen::missingForAvi();
    if (!missing.isEmpty()) {
        *error = QStringLiteral("GStreamer elements missing: ") + missing.join(QLatin1String(", "));
        return false;
    }
    QDir(path()).mkpath(QStringLiteral("REC"));
    QDir(path()).mkpath(QStringLiteral("EVENT"));
    MediaGen::ClipDesign written;
    written.fps = Fps;
    written.frames = LongClipMs * Fps / 1000;
    written.audio = true;
    if (!MediaGen::writeAvi(clip(0), written, error))
        return false;
    written.frames = 2 * Fps;
    written.audio = false;
    written.channels = {QSize(320, 180), QSize(160, 90)};
    if (!MediaGen::writeAvi(clip(1), written, error))
        return false;
    written.channels = {QSize(320, 180)};
    return MediaGen::writeAvi(clip(2), written, error);
}

QString Card::clip(int index) const
{
    return m_dir.filePath(QLatin1String(kClipNames[index]));
}

bool rowIsOpen(const MainWindow &window, int row)
{
    const PlaybackSession *open = session(window);
    return open->isOpen() && open->clip() == MyListWidget::clipOf(clipList(window)->item(row));
}

int shownFrame(const MainWindow &window)
{
    return paintedMark(window).frame;
}

MediaGen::FrameMark paintedMark(const MainWindow &window, const char *name)
{
    VideoView *view = window.findChild<VideoView *>(QLatin1String(name));
    return MediaGen::readFrameMark(view->grab().toImage().copy(view->rendererRect()));
}

ClearButton *button(const MainWindow &window, const char *name)
{
    return window.findChild<ClearButton *>(QLatin1String(name));
}

ClearButton *button(const MainWindow &window, ViewerLayout::Button which)
{
    for (const ViewerLayout::ButtonSpec &entry : ViewerLayout::buttonTable()) {
        if (entry.button == which)
            return button(window, entry.objectName);
    }
    return nullptr;
}

void click(const MainWindow &window, const char *name)
{
    ClearButton *target = button(window, name);
    QVERIFY2(target, name);
    QTest::mouseClick(target, Qt::LeftButton);
}

MyListWidget *clipList(const MainWindow &window)
{
    return window.findChild<MyListWidget *>(QStringLiteral("clipList"));
}

PlaybackSession *session(const MainWindow &window)
{
    return window.findChild<PlaybackSession *>();
}

bool isPlaying(const MainWindow &window)
{
    return !button(window, "pause")->isHidden() && button(window, "play")->isHidden();
}

bool isMaximized(const MainWindow &window)
{
    return window.size() == window.screen()->geometry().size() && !button(window, "back2origin")->isHidden()
           && button(window, "maximize")->isHidden();
}

void openPaused(MainWindow &window, int row)
{
    window.playSelectClip(row);
    QTRY_VERIFY(rowIsOpen(window, row));
    window.OnSlotspause();
    window.OnSlotsProgress(0);
    QTRY_COMPARE(shownFrame(window), 0);
    clipList(window)->setFocus();
    QTRY_VERIFY(clipList(window)->hasFocus());
}

void rightClick(const MainWindow &window, int row)
{
    MyListWidget *list = clipList(window);
    const QPoint local = list->visualItemRect(list->item(row)).center();
    const QPoint global = list->viewport()->mapToGlobal(local);
    QCursor::setPos(global);
    if (QCursor::pos() == global) {
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::RightButton, Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::RightButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &release);
    }
    QContextMenuEvent menu(QContextMenuEvent::Mouse, local, global);
    QApplication::sendEvent(list->viewport(), &menu);
}

bool openFolder(MainWindow &window, const QString &folder)
{
    QSignalSpy finished(&window.library(), &ClipLibrary::scanFinished);
    window.openFolder(folder);
    return finished.wait(20000) && finished.constLast().at(1).toBool();
}

int run(int argc, char **argv, const std::function<std::unique_ptr<QObject>()> &makeTest)
{
    MapView::registerUrlScheme();
    if (!MediaFramework::initialise())
        return 1;
    prepareEnvironment();
    qputenv("QRD7700_MAP_TILES", "");
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QStandardPaths::setTestModeEnabled(true);
    const std::unique_ptr<QObject> test = makeTest();
    return QTest::qExec(test.get(), argc, argv);
}

} // namespace ViewerTestWindow
