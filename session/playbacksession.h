#pragma once

#include "playback/playbackfacts.h"
#include "playback/player.h"
#include "playback/videooutput.h"
#include "session/tripplan.h"
#include "telemetry/telemetrysample.h"
#include "telemetry/telemetrytrack.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>

class Clip;
class ViewerState;

// The viewer's only way to the playback engine: opens the selected clip or trip, drives its
// transport and answers by signal, so that nothing waits for a pipeline; it never hands out a
// player. It owns two players, the facts of the clip on screen and the telemetry track of what
// plays (a clip's, read on a worker once its length is known, or the trip's, given with it).
// Pictures go to the outputs attached per channel, not to a player: while a trip plays, the second
// player prerolls the next clip and takes over at the end of the current one without the views
// noticing. Positions and lengths are on the time line of what plays (the trip's, or the clip's).
// The playing state, the rate and the channel count are written into the ViewerState; the chosen
// speed stays for every later clip. A newer open cancels one under way; a clip stopped by an error
// opens again when played. GUI thread only.
class PlaybackSession : public QObject
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

    // Starts opening `clip` (null: nothing happens); opened() or openFailed() follows. The clip
    // rests on its first picture, or at `startMs` when given.
    void open(Clip *clip, qint64 startMs = 0);
    // Starts playing `plan` from `startMs` of its time line (paused until play()): opened() comes
    // with its first clip that opens. A clip of the trip that cannot be opened is passed over
    // (clipSkipped()); openFailed() only when none can. A plan without parts does nothing.
    void openTrip(const TripPlan &plan, qint64 startMs = 0);
    // A newer reading of the trip that plays (more of the card read): taken when it still holds the
    // clip on screen, which plays on.
    void updateTrip(const TripPlan &plan);
    // Closes the clip or trip, or cancels the open under way.
    void close();
    // The clip on screen (of the trip, the one playing), being opened, or stopped by an error; null
    // when nothing is open.
    Clip *clip() const { return m_clip; }
    // A clip has opened (it may have been stopped by an error since); false while one is opening.
    bool isOpen() const { return m_open; }
    // What plays is a trip (see trip()).
    bool isTrip() const { return m_isTrip; }
    const TripPlan &trip() const { return m_plan; }

    // Plays now, or as soon as the clip under way has opened.
    void play();
    void pause();
    // Stops, rewinds and pauses on the first picture.
    void stop();
    // One picture forward (direction > 0) or back, paused; in a trip, across into the next or the
    // previous clip.
    void step(int direction);
    // To a position of the time line, the picture there exactly; in a trip, into whichever clip
    // plays there. Ends a scrub.
    void seek(qint64 positionMs);
    // Shows a picture near `positionMs` while the pointer drags along the timeline: the nearest key
    // frame, at most one seek every kScrubIntervalMs, the newest position winning. Playing goes on
    // playing; the drag ends with seek().
    void scrub(qint64 positionMs);
    // Playback speed (1.0 normal), kept for every later clip. The sound branch only resamples at
    // other speeds (no tempo correction), so it is silent there and comes back at 1.0; the level
    // set is kept. False when no clip is open or the player refused the speed.
    bool setRate(double rate);
    // The program's own sound level 0 … 1, for this and every later clip.
    void setVolume(double volume);
    // Turns the pictures by `degrees` more; the sum is kept in −359 … 359 (reduced modulo 360,
    // keeping its sign). The pictures are turned where they are drawn (rotationChanged()).
    void rotate(int degrees);
    // The last decoded picture of the channel at its full size (unrotated); null without one.
    QImage grabFrame(int channel);

    // Where the time line of what plays is and how long it is, in ms; 0 without an open clip.
    qint64 position() const;
    qint64 length() const;
    // Where the clip on screen is, inside that clip.
    qint64 clipPosition() const;
    const PlaybackFacts &facts() const { return m_facts; }
    // What the engine reports about the clip on screen (running, sound, volume applied, errors).
    Player::Status engineStatus() const;
    // The telemetry of what plays, and its sample at a position of the time line (none while it
    // is read).
    const TelemetryTrack &track() const { return m_track; }
    std::optional<TelemetrySample> sampleAt(qint64 positionMs);

    // The speeds offered, slowest first, and the next one from `current` in `direction` (-1 slower,
    // +1 faster), staying at the ends.
    static const QList<double> &rates();
    static double steppedRate(double current, int direction);

signals:
    // The clip (a trip's first) is open, paused on its first picture (or where the trip was asked
    // to start); playback follows when it was asked for.
    void opened(Clip *clip);
    // Another clip of the trip is on screen now.
    void clipChanged(Clip *clip);
    // A clip of the trip cannot be opened and was passed over; playback goes on with the next.
    void clipSkipped(Clip *clip, const QString &reason);
    // The clip cannot be played. `missing` names plugins that would have been needed.
    void openFailed(Clip *clip, const QString &reason, const QStringList &missing);
    void playingChanged(bool playing);
    // Every 100 ms while playing (and once after it stopped), and once whenever a picture comes
    // to rest: after an open, a seek, a step.
    void positionChanged(qint64 positionMs, qint64 lengthMs);
    // What plays has played to its end (a trip: its last clip that could be played).
    void ended();
    // The playback speed changed (also back to 1.0 when a clip opens).
    void rateChanged(double rate);
    // An error stopped the clip in the middle; it is in the stopped state.
    void failed(const QString &reason);
    void rotationChanged(int degrees);
    // The telemetry track was replaced or emptied.
    void trackChanged();

private:
    class Relay;
    // The clip the standby player prepares, so that it can take over at the current one's end.
    struct Standby
    {
        int part = -1;    // of the plan; -1 for none
        bool ready = false;
        bool takeOver = false; // take over as soon as it is ready
        qint64 positionMs = 0; // where to take over
        bool play = false;     // and whether to play on
    };

    Player &player() const { return *m_players[m_active]; }
    Player &standby() const { return *m_players[1 - m_active]; }
    void start(const TripPlan &plan, bool trip, qint64 startMs);
    // Picture relays of the two players (playbacksession.cpp).
    void takePicture(int slot, int channel, const QImage &picture, quint64 serial);
    void takeReset(int slot, bool opening);
    void forwardPicture(int channel, const QImage &picture);
    // Answers of the two players.
    void onOpened(int slot);
    void onOpenFailed(int slot, const QString &reason);
    void onError(int slot, const QString &reason);
    void onEnded(int slot);
    void finishFirstOpen();
    bool isOpening() const { return m_clip && (!m_open || m_switching); }
    void setPlaying(bool playing);
    void setFacts(const PlaybackFacts &facts);
    void applyRate(Player &player);
    void applyVolume();
    double effectiveVolume() const { return m_rate == 1.0 ? m_volume : 0.0; }
    void emitPosition();
    void sendScrub();
    void cancelScrub();
    // The clips of a trip (playbacksequence.cpp).
    int playablePart(int from, int direction) const;
    void prepareStandby();
    void dropStandby();
    void onStandbyOpened();
    void onStandbyFailed(const QString &reason);
    void moveTo(int part, qint64 positionMs, bool play);
    void takeOver(qint64 positionMs, bool play);
    void switchTo(int part, qint64 positionMs, bool play);
    void onSwitched();
    void skipFailed(const QString &reason);
    bool stepAcross(int direction);

    ViewerState &m_state;
    VideoOutput *m_outputs[2] = {nullptr, nullptr};
    std::unique_ptr<Relay> m_relays[2]; // outlive the players
    std::unique_ptr<Player> m_players[2];
    int m_active = 0; // the player of the clip on screen; the other is the standby
    TripPlan m_plan;  // what plays; a single clip is a plan of one part
    bool m_isTrip = false;
    int m_index = 0;  // the part on screen
    QSet<const Clip *> m_skipped; // clips of the trip that could not be opened
    Standby m_standby;
    QImage m_held[2]; // the standby's pictures, shown when it takes over
    quint64 m_serials[2] = {0, 0}; // pictures handed to the outputs since the open
    PlaybackFacts m_facts;
    TelemetryTrack m_track;
    Clip *m_clip = nullptr;
    bool m_open = false;      // a clip has opened (it may have been stopped by an error since)
    bool m_switching = false; // the player opens another clip of the trip that is open
    qint64 m_pendingMs = 0;   // where the clip under way goes once open; -1 its last picture
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
