#include "tools/screenshots/shotwindow.h"

#include "catalogue/clip.h"
#include "session/cliplibrary.h"
#include "session/playbacksession.h"
#include "viewer/cliplist.h"
#include "viewer/mainwindow.h"
#include "viewer/mapview.h"

#include <QEventLoop>
#include <QPainter>
#include <QTimer>
#include <QWebEngineView>

#include <cstdio>

namespace Shots {

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A picture of the map pane. The page is drawn in a native window of its own (see MapHost), which a
// grab of the pane does not see: the web view's own picture goes over the pane's frame.
QImage grabMap(MapView &map)
{
    QImage shot = map.grab().toImage();
    QPainter painter(&shot);
    painter.drawPixmap(0, 0, map.webView()->grab());
    return shot;
}

// A picture of the window with the map pane's page in it.
QImage grabWindow(MainWindow &window)
{
    QImage shot = window.grab().toImage();
    if (auto *map = window.findChild<MapView *>(); map && map->isVisible()) {
        QPainter painter(&shot);
        painter.drawImage(map->mapTo(&window, QPoint(0, 0)), grabMap(*map));
    }
    return shot;
}

MyListWidget *clipList(const MainWindow &window)
{
    return window.findChild<MyListWidget *>();
}

PlaybackSession *playback(const MainWindow &window)
{
    return window.findChild<PlaybackSession *>();
}

// Shows the window, opens `folder` and waits until its clips are listed; the list's entry named
// `clipName`, or null.
QListWidgetItem *showCard(MainWindow &window, const QString &folder, const QString &clipName)
{
    window.setWindowTitle(QStringLiteral("Viewer"));
    window.show();
    QEventLoop loop;
    QObject::connect(&window.library(), &ClipLibrary::scanFinished, &loop, &QEventLoop::quit);
    window.openFolder(folder);
    loop.exec();
    const auto found = clipList(window)->findItems(clipName, Qt::MatchExactly);
    if (found.isEmpty()) {
        std::fprintf(stderr, "no clip named %s\n", qPrintable(clipName));
        return nullptr;
    }
    return found.first();
}

// Makes `clip` the list's current entry and waits until it has opened (it plays): a seek asked for
// before that would find no clip to move in.
void openClip(MainWindow &window, QListWidgetItem *clip)
{
    QEventLoop loop;
    QObject::connect(playback(window), &PlaybackSession::opened, &loop, &QEventLoop::quit);
    QObject::connect(playback(window), &PlaybackSession::openFailed, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    clipList(window)->setCurrentItem(clip);
    loop.exec();
}

} // namespace Shots
