#pragma once

#include "viewer/viewerlayout.h"

#include <QKeySequence>
#include <QList>
#include <QObject>

#include <map>
#include <vector>

class MainWindow;
class PlaybackSession;
class QAction;
class ViewerState;

// The viewer's keyboard: one table of commands and their keys, installed on the main window as
// window-wide actions, so that they work whatever child has the focus (the clip list keeps Up and
// Down). A command does what its button does, and only while that button can be used (the same
// rule, taken from the viewer state, enables the button).
class ViewerShortcuts : public QObject
{
    Q_OBJECT

public:
    enum class Command {
        PlayPause, FrameBack, FrameForward, SeekBack, SeekForward, PreviousClip, NextClip, ZoomIn, ZoomOut,
        ZoomFit, ToggleMaximize, Restore, Mute, Snapshot, Print, OpenFolder, Slower, Faster, Quit, ClipMenu,
        NextEvent, PreviousEvent, EventsList, TripView, MarkIn, MarkOut, Export,
    };

    struct Entry
    {
        Command command;
        QList<QKeySequence> keys;
        ViewerLayout::Button gate;           // the command runs only while this button is enabled
        QList<ViewerLayout::Button> named;   // buttons whose tool tips name the keys
    };

    // How far Shift+Left and Shift+Right move.
    static constexpr qint64 kSeekStepMs = 5000;

    ViewerShortcuts(MainWindow *window, const ViewerState *state, PlaybackSession *session);

    static const std::vector<Entry> &table();
    // `text` (a button's tool tip, may be empty) followed by the keys of the commands naming that
    // button: "Play (Space)", or just "Ctrl+O" for a button without a tool tip of its own.
    static QString toolTip(ViewerLayout::Button button, const QString &text);

    QAction *action(Command command) const;
    // Runs the command when its button can be used; true when it ran.
    bool run(Command command);

private:
    void seekBy(qint64 deltaMs);
    void stepRate(int direction);

    MainWindow *m_window;
    const ViewerState *m_state;
    PlaybackSession *m_session;
    std::map<Command, QAction *> m_actions;
};
