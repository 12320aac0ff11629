#pragma once

#include <QObject>
#include <QString>

class Clip;
class ClipListPane;
class MainWindow;
class MyListWidget;
class PlaybackNotice;
class PlaybackPanes;
class PlaybackSession;
class TripLibrary;
class ViewerState;

// The trip view in the viewer window: the list shows one row per drive of the card (T, the trip
// button), and what plays goes on where it is when the view changes, as part of its trip or as a
// clip of its own (once the card's index knows the clip's trip). A trip that plays takes every newer
// reading of the card. Clips passed over while playing on, in a trip or through the list, are named
// in a notice that stops nothing. Acts through the window's commands. GUI thread only.
class TripNavigator : public QObject
{
    Q_OBJECT

public:
    struct Parts
    {
        MainWindow *window;
        TripLibrary *trips;
        PlaybackSession *session;
        ViewerState *state;
        ClipListPane *listPane;
        MyListWidget *list;
        PlaybackPanes *panes;
    };

    TripNavigator(const Parts &parts, QObject *parent);

    // Switches the list between one row per clip and one row per trip.
    void toggle();
    // Says that `clip` could not be played and was passed over.
    void showSkipped(const Clip *clip);

private:
    void onTripsChanged();
    void continueAsTrip(const QString &path, qint64 clipPositionMs, bool playing);
    void continueAsClip(const QString &path, qint64 clipPositionMs, bool playing);

    Parts m_parts;
    PlaybackNotice *m_notice;
    QString m_awaitedTripOf; // the clip on screen goes on as part of its trip once that is read
};
