#pragma once

#include "generators/mediagen/mediagen.h"

// What the viewer window's tests share: a small generated card, a big offscreen screen to maximize
// on, the window's parts found as a user finds them (by name), clicks on its buttons, and a few
// waits.
#include "viewer/viewerlayout.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class ClearButton;
class MainWindow;
class MyListWidget;
class PlaybackSession;
class QObject;

namespace ViewerTestWindow {

// Before the application object: makes the offscreen test screen 1920 × 1080, so the window can
// maximize (only when the tests run offscreen), and gives the test a home of its own.
void prepareEnvironment();

// The whole main() of a window test: the map's scheme, the media framework, the environment above,
// the application with non-native dialogs and test-mode paths, then the test `makeTest` creates.
int run(int argc, char **argv, const std::function<std::unique_ptr<QObject>()> &makeTest);

// One card of AVI clips, 320 × 180 at 15 pictures per second:
//   REC/REC_2012_05_14_10_20_30.avi  6 s, with sound
//   REC/REC_2012_05_14_10_21_30.avi  2 s, two channels
//   EVENT/EVS_2012_05_14_10_22_30_I.avi 2 s
class Card
{
public:
    // Writes the card; false (with `error`) when a GStreamer element is missing.
    bool create(QString *error);
    QString path() const { return m_dir.path(); }
    QString clip(int index) const;
    static constexpr int LongClipMs = 6000;
    static constexpr int Fps = 15;

private:
    QTemporaryDir m_dir;
};

// The clip of `row` is open in the window's playback session.
bool rowIsOpen(const MainWindow &window, int row);
// The frame number the first view paints; -1 when none.
int shownFrame(const MainWindow &window);

// The window's image button named `name` (play, pause, zoom_in, category1, filter3, …) or for
// `which`.
ClearButton *button(const MainWindow &window, const char *name);
ClearButton *button(const MainWindow &window, ViewerLayout::Button which);
// Clicks the button with the left mouse button, as a user does; a disabled button takes no click.
void click(const MainWindow &window, const char *name);
MyListWidget *clipList(const MainWindow &window);
// The playback session behind the views.
PlaybackSession *session(const MainWindow &window);
// The frame mark the view named `name` ("view1", "view2") paints.
MediaGen::FrameMark paintedMark(const MainWindow &window, const char *name = "view1");
// The pause button shows while playing, the play button otherwise.
bool isPlaying(const MainWindow &window);
// The window fills the screen, the restore button in place of the maximize button.
bool isMaximized(const MainWindow &window);
// Makes `row` current and waits until it is open, then pauses it on its first picture and puts the
// focus in the clip list, as after a click on it.
void openPaused(MainWindow &window, int row);
// A right click on the clip list's entry `row` as the pointer makes it: press and release on the
// entry, then the context menu event.
void rightClick(const MainWindow &window, int row);
// Opens `folder` as the open-folder button does and waits until it has been read; true when its
// clips are listed.
bool openFolder(MainWindow &window, const QString &folder);

} // namespace ViewerTestWindow
