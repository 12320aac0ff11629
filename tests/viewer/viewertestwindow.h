#pragma once

// What the tests of the viewer window's keyboard, mouse, drops and remembered state share: a small
// generated card, a big offscreen screen to maximize on, and a few waits.
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class MainWindow;
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

} // namespace ViewerTestWindow
