#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class Clip;
class MapView;
class PlaybackSession;
class VideoView;
class ViewArrangement;
class ViewerState;
class WidgetProgressA;

// Keeps the panes that show the clip in step with the playback session: the two views take the
// open clip's channels, the dashboard its date, timeline, speed and accelerations, the map its
// position. Talks to the user only through warning(). GUI thread only.
class PlaybackPanes : public QObject
{
    Q_OBJECT

public:
    struct Panes
    {
        VideoView *view1;
        VideoView *view2;
        ViewArrangement *views;
        WidgetProgressA *dashboard;
        MapView *map;
    };

    PlaybackPanes(PlaybackSession *session, ViewerState *state, const Panes &panes, QObject *parent);

    // The timeline shows `position` of a clip `length` long.
    void showTime(qint64 lengthMs, qint64 positionMs);
    // The telemetry of a position goes to the dashboard and the map.
    void showSampleAt(qint64 positionMs);
    // A seek asked for on the timeline: the marker moves there at once.
    void showSeek(qint64 positionMs);
    // Back to the state of a stopped clip (timeline at its start, no speed), or of no clip at all.
    void showStopped();
    void showNothing();

signals:
    // Something the user must be told (the window shows it).
    void warning(const QString &text);

private:
    void onOpened(Clip *clip);
    void onOpenFailed(Clip *clip, const QString &reason, const QStringList &missing);
    void onFailed(const QString &reason);
    void onPlayingChanged(bool playing);
    void onTrackChanged();
    void showClip(const Clip *clip);

    PlaybackSession *m_session;
    ViewerState *m_state;
    Panes m_panes;
};
