#pragma once

#include <QObject>
#include <QString>

class Clip;
class MainWindow;
class MyListWidget;
class PlaybackPanes;
class PlaybackSession;
class TripNavigator;

// Playing on through the clip list: at the end of a clip (or trip) the next row plays, the chosen
// speed kept, or a single clip stops on its first picture. A clip reached that way that cannot be
// opened is passed over with a notice naming it, and playing goes on (once round the list at most);
// a clip the user chose gets the warning. Acts through the window's commands. GUI thread only.
class ListPlayOn : public QObject
{
    Q_OBJECT

public:
    struct Parts
    {
        MainWindow *window;
        PlaybackSession *session;
        PlaybackPanes *panes;
        MyListWidget *list;
        TripNavigator *trips;
    };

    ListPlayOn(const Parts &parts, QObject *parent);

    // A row becomes current: whether the list moved there by itself decides how a failure is told.
    void rowChosen() { m_playingOn = m_advancing; }

Q_SIGNALS:
    void warning(const QString &text);

private:
    void onEnded();
    void playOn();
    void onOpenFailed(Clip *clip, const QString &text);

    Parts m_parts;
    bool m_advancing = false; // the list moves on by itself at the end of a clip
    bool m_playingOn = false; // the clip opening was reached by playing on through the list
    int m_skippedInRow = 0;   // clips passed over since the last one that opened
};
