#pragma once

#include "telemetry/drivingevent.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class Clip;
class ClipLibrary;
class EventFinder;
class EventsList;
class MainWindow;
class MyListWidget;
class PlaybackSession;
class TripLibrary;
class ViewerState;
class WidgetProgressA;

// The card's driving events in the viewer window: marks on the timeline of what plays, jumps to the
// next or previous event of the listed clips (landing kLeadInMs before it, opening its clip when it
// lies in another), and the events list, whose entries play from kLeadInMs before them. In the trip
// view the rows are the drives: a drive's events lie on its time line, its clips' events one after
// another, and a jump goes on into the next or previous drive. Acts through the window's commands,
// as the keys and buttons do. Starts the reading of the card for every folder the library reads.
// GUI thread only.
class EventNavigator : public QObject
{
    Q_OBJECT

public:
    // How long before an event playback starts, so that the moment leading to it is seen.
    static constexpr qint64 kLeadInMs = 2000;

    struct Parts
    {
        MainWindow *window;
        EventFinder *finder;
        TripLibrary *trips;
        PlaybackSession *session;
        ClipLibrary *library;
        const ViewerState *state;
        WidgetProgressA *dashboard;
        MyListWidget *list;
    };

    EventNavigator(const Parts &parts, QObject *parent);

    // Goes to the next (direction > 0) or previous event; false when there is none that way. Events
    // are taken in the list's order of clips, each clip's in the order they happen. Playback goes
    // on as it was: paused stays paused, also in another clip.
    bool jump(int direction);
    // Shows the events list, with the first event of the clip at `clipPath` current when it has one.
    void showList(const QString &clipPath = QString());
    // Plays the clip of `event` from kLeadInMs before it (in the trip view, its drive from there);
    // the list shows every clip again when the category or filter hides that clip. False when the
    // clip is not in the folder's list (or in none of the drives).
    bool play(const DrivingEvent &event);
    // The events list once it has been shown; null before.
    EventsList *list() const;
    void applyTexts();

private:
    // The last jump: the row (by the path of its clip, or of a drive's first clip), which of its
    // events (-1: none of them), where it landed and whether it plays on.
    struct Place
    {
        QString row;
        int event = -1;
        qint64 positionMs = 0;
        bool play = false;
    };

    // The list's rows as jumps see them (eventnavigatorrows.cpp): clips, or drives in the trip view.
    bool byTrips() const;
    int rowCount() const;
    QString rowKey(int row) const;
    QString keyOf(const Clip *clip) const;
    QList<DrivingEvent> eventsOfRow(int row) const;
    QList<DrivingEvent> eventsOfTrip(int trip) const;
    int rowOfPath(const QString &path) const;
    DrivingEvent placedInRow(int row, const DrivingEvent &event) const;
    int currentRow() const;
    qint64 currentPosition() const;
    int nextInClip(const QList<DrivingEvent> &events, int row, int direction) const;
    void goTo(int row, int event, qint64 landing, bool play);
    void seekWhenOpened(const Clip *clip);
    void showMarks();
    void refreshList(bool eventsToo);

    Parts m_parts;
    QPointer<EventsList> m_list;
    Place m_last;
    Place m_pending; // the place to seek to once its clip has opened
};
