#pragma once

#include "playback/playbackfacts.h"
#include "playback/player.h"
#include "playback/videooutput.h"
#include "telemetry/telemetrysample.h"
#include "telemetry/telemetrytrack.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>

class Clip;
class ViewerState;

// The viewer's only way to the playback engine: opens the selected clip, drives its transport and
// answers by signal, so that nothing waits for a pipeline; it never hands out a player. It owns the
// player, the facts of the clip on screen (reset at every open) and the clip's telemetry track
// (read on a worker once the clip's length is known). Pictures go to the outputs attached per
// channel, not to a player: a second player prerolling the next clip could take over without the
// views noticing. The playing state, the rate and the channel count are written into the
// ViewerState. A newer open cancels one under way; a clip stopped by an error opens again when
// played. GUI thread only.
class PlaybackSession : public QObject, private VideoOutput
{
    Q_OBJECT

public:
    static constexpr int kPositionIntervalMs = 100;
    static constexpr int kScrubIntervalMs = 60;

    explicit PlaybackSession(ViewerState &state, QObject *parent = nullptr);
    ~PlaybackSession() override;

    // The pictures of `channel` go to `output` (null: nowhere) from now on.
    void setOutput(int channel, VideoOutput *output);
    // The size the pictures of `channel` are drawn at, for this clip and the next ones.
    void setDisplaySize(int channel, const QSize &size);

    // Starts opening `clip` (null: nothing happens); opened() or openFailed() follows.
    void open(Clip *clip);
    // Closes the clip, or cancels the open under way.
    void close();
    // The clip open, being opened, or stopped by an error; null when nothing is open.
    Clip *clip() const { return m_clip; }
    // A clip has opened (it may have been stopped by an error since); false while one is opening.
    bool isOpen() const { return m_open; }

    // Plays now, or as soon as the clip under way has opened.
    void play();
    void pause();
    // Stops, rewinds and pauses on the first picture.
    void stop();
    // One picture forward (direction > 0) or back, paused.
    void step(int direction);
    // Shows the picture at `positionMs` exactly; ends a scrub.
    void seek(qint64 positionMs);
    // Shows a picture near `positionMs` while the pointer drags along the timeline: the nearest key
    // frame, at most one seek every kScrubIntervalMs, the newest position winning. Playing goes on
    // playing; the drag ends with seek().
    void scrub(qint64 positionMs);
    // Playback speed (1.0 normal). The sound branch only resamples at other speeds (no tempo
    // correction), so it is silent there and comes back at 1.0; the level set is kept. A clip opens
    // at 1.0. False when no clip is open or the player refused the speed.
    bool setRate(double rate);
    // The program's own sound level 0 … 1, for this and every later clip.
    void setVolume(double volume);
    // Turns the pictures by `degrees` more; the sum is kept in −359 … 359 (reduced modulo 360,
    // keeping its sign). The pictures are turned where they are drawn (rotationChanged()).
    void rotate(int degrees);
    // The last decoded picture of the channel at its full size (unrotated); null without one.
    QImage grabFrame(int channel);

    // Where the open clip is and how long it is, in ms; 0 without an open clip.
    qint64 position() const;
    qint64 length() const;
    const PlaybackFacts &facts() const { return m_facts; }
    // What the engine reports about the clip on screen (running, sound, volume applied, errors).
    Player::Status engineStatus() const;
    // The telemetry of the clip on screen, and its sample at a position (none while it is read).
    const TelemetryTrack &track() const { return m_track; }
    std::optional<TelemetrySample> sampleAt(qint64 positionMs);

    // The speeds offered, slowest first, and the next one from `current` in `direction` (-1 slower,
    // +1 faster), staying at the ends.
    static const QList<double> &rates();
    static double steppedRate(double current, int direction);

signals:
    // The clip is open, paused on its first picture; playback follows when it was asked for.
    void opened(Clip *clip);
    // The clip cannot be played. `missing` names plugins that would have been needed.
    void openFailed(Clip *clip, const QString &reason, const QStringList &missing);
    void playingChanged(bool playing);
    // Every 100 ms while playing (and once after it stopped), and once whenever a picture comes
    // to rest: after an open, a seek, a step.
    void positionChanged(qint64 positionMs, qint64 lengthMs);
    void ended();
    // The playback speed changed (also back to 1.0 when a clip opens).
    void rateChanged(double rate);
    // An error stopped the clip in the middle; it is in the stopped state.
    void failed(const QString &reason);
    void rotationChanged(int degrees);
    // The telemetry track was replaced or emptied.
    void trackChanged();

private:
    void presentPicture(int channel, const QImage &picture, quint64 serial) override;
    void resetPictures(bool opening) override;
    void onOpened();
    void onOpenFailed(const QString &reason);
    void onError(const QString &reason);
    bool isOpening() const { return m_clip && !m_open; }
    void setPlaying(bool playing);
    void setFacts(const PlaybackFacts &facts);
    void applyVolume();
    void emitPosition();
    void sendScrub();
    void cancelScrub();

    ViewerState &m_state;
    VideoOutput *m_outputs[2] = {nullptr, nullptr};
    std::unique_ptr<Player> m_player;
    PlaybackFacts m_facts;
    TelemetryTrack m_track;
    Clip *m_clip = nullptr;
    bool m_open = false; // m_clip has opened (it may have been stopped by an error since)
    bool m_playWhenOpened = false;
    bool m_firstPictureShown = false; // channel 0 has shown a picture of the clip
    bool m_restPending = false;       // show the first picture afresh once it has been shown
    bool m_playing = false;
    double m_volume = 1.0;
    double m_rate = 1.0;
    int m_rotation = 0;
    QTimer m_ticker;
    QTimer m_scrubTimer;      // runs for an interval after each scrub seek
    qint64 m_scrubTarget = -1; // the scrub position not sent yet
};
