#pragma once

// The screenshot tool's ways with the real viewer window: wait, open a card and a clip, take pictures.
#include <QImage>

class MainWindow;
class MapView;
class MyListWidget;
class PlaybackSession;
class QListWidgetItem;
class QString;

namespace Shots {

// Runs the event loop for `ms`.
void runFor(int ms);
// A picture of the map pane. The page is drawn in a native window of its own (see MapHost), which a
// grab of the pane does not see: the web view's own picture goes over the pane's frame.
QImage grabMap(MapView &map);
// A picture of the window with the map pane's page in it.
QImage grabWindow(MainWindow &window);
MyListWidget *clipList(const MainWindow &window);
PlaybackSession *playback(const MainWindow &window);
// Shows the window, opens `folder` and waits until its clips are listed; the list's entry named
// `clipName`, or null.
QListWidgetItem *showCard(MainWindow &window, const QString &folder, const QString &clipName);
// Makes `clip` the list's current entry and waits until it has opened (it plays): a seek asked for
// before that would find no clip to move in.
void openClip(MainWindow &window, QListWidgetItem *clip);

} // namespace Shots
