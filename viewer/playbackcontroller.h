#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class Clip;
class Player;
class VideoView;

// Opens the selected clip on the first view's player and drives its transport; the main window
// calls it from its buttons and listens to its signals, so that no step waits for the pipeline.
// A newer open cancels one under way; a clip stopped by an error opens again when played.
// GUI thread only.
class PlaybackController : public QObject
{
    Q_OBJECT

public:
    static constexpr int kUpdateIntervalMs = 100;

    PlaybackController(VideoView *view1, VideoView *view2, QObject *parent = nullptr);

    // Starts opening `clip` on view 1; opened() or openFailed() follows (not for a null clip).
    void open(Clip *clip);
    // Closes the clip, or cancels the open under way.
    void close();
    // The player of view 1 once a clip opened on it; null before the first successful open.
    Player *player() const { return m_player; }
    // The clip open, being opened, or stopped by an error; null when nothing is open.
    Clip *clip() const { return m_clip; }
    bool isOpening() const;
    bool isPlaying() const { return m_playing; }

    // Plays now, or as soon as the clip under way has opened.
    void play();
    void pause();
    // Stops, rewinds and pauses on the first picture.
    void stop();
    void stepBackward();
    void stepForward();
    void seek(qint64 positionMs);
    // The program's own sound level 0 … 1, for this and every later clip.
    void setVolume(double volume);
    // Playback speed (1.0 normal). The sound branch only resamples at other speeds (no tempo
    // correction), so it is silent there and comes back at 1.0; the level set above is kept. A
    // clip opens at 1.0. False when no clip is open or the player refused the speed.
    bool setRate(double rate);
    double rate() const { return m_rate; }
    // The speeds offered, slowest first, and the next one from `current` in `direction` (-1 slower,
    // +1 faster), staying at the ends.
    static const QList<double> &rates();
    static double steppedRate(double current, int direction);

signals:
    // The clip is open, stopped on its first picture; playback follows when it was asked for.
    void opened(Clip *clip);
    // The clip cannot be played. `missing` names plugins that would have been needed.
    void openFailed(Clip *clip, const QString &reason, const QStringList &missing);
    void playingChanged(bool playing);
    // Every 100 ms while playing.
    void tick();
    // A new picture is on screen while paused (after a step or a seek).
    void pausedPictureShown();
    void clipEnded();
    // The playback speed changed (also back to 1.0 when a clip opens).
    void rateChanged(double rate);
    // An error stopped the clip in the middle; it is in the stopped state.
    void playbackFailed(const QString &reason);

private:
    void onOpened();
    void onOpenFailed(const QString &reason);
    void onError(const QString &reason);
    void setPlaying(bool playing);
    void applyVolume();
    Player *openPlayer() const;

    VideoView *m_view1;
    VideoView *m_view2;
    Player *m_player = nullptr;
    Clip *m_clip = nullptr;
    bool m_playWhenOpened = false;
    bool m_playing = false;
    double m_volume = 1.0;
    double m_rate = 1.0;
    QTimer m_updateTimer;
};
