#pragma once

#include "session/tripplan.h"
#include "telemetry/cardindex.h"
#include "telemetry/cardindexer.h"
#include "telemetry/recorderclock.h"
#include "telemetry/trips.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <map>
#include <memory>
#include <optional>

class Clip;

// The drives on the folder the viewer has open: the card's index is built off the GUI thread (or
// loaded from its cache) and the trips are worked out again each time more of it comes in, so the
// trip list fills in while the card is read. Owns a Clip for every clip of a trip, for the playback
// session to play, until the folder changes (aboutToReset()). Also answers the recorder's clock
// offset of any clip indexed. GUI thread only.
class TripLibrary : public QObject
{
    Q_OBJECT

public:
    explicit TripLibrary(QObject *parent = nullptr);
    // Cancels a build under way and waits for it to stop (within a clip).
    ~TripLibrary() override;

    // Starts reading the trips of `folder` (empty: none), dropping those of the folder before;
    // `cacheFile` empty for the card's own cache file.
    void setFolder(const QString &folder, const QString &cacheFile = QString());
    QString folder() const { return m_folder; }
    // The card is still being read; progress() says how far.
    bool isReading() const { return m_indexer.isRunning(); }
    QPair<int, int> progress() const { return {m_done, m_total}; }

    // Oldest first.
    const QList<Trip> &trips() const { return m_trips; }
    // The trip with `clip` among its clips (by path), -1 for none.
    int tripOf(const QString &clipPath) const;
    // What the playback session plays for trip `index`: its clips, the telemetry on its time line
    // and its events. Empty for an index out of range.
    TripPlan plan(int index);
    // The trip's clips as pieces of one exported track.
    QList<TrackExport::Piece> pieces(int index) const;
    // The offset of the recorder's clock (recorder time − UTC) the card gives the clip at `path`:
    // its own fixes', else borrowed from the nearest clip with some, else the assumed zone's.
    // Nothing while the clip has not been indexed.
    std::optional<RecorderClock::Offset> offsetOf(const QString &path) const;

signals:
    // The trips' clips are about to go: whoever holds one lets go now.
    void aboutToReset();
    // trips() was replaced (more of the card read, or another folder).
    void tripsChanged();
    // The whole card has been read.
    void finished();

private:
    void take(quint64 request, const CardIndex &index);
    Clip *clipFor(const QString &path);

    CardIndexer m_indexer;
    quint64 m_request = 0;
    QString m_folder;
    CardIndex m_index;
    QList<Trip> m_trips;
    QHash<QString, RecorderClock::Offset> m_offsets;
    std::map<QString, std::unique_ptr<Clip>> m_clips;
    int m_done = 0;
    int m_total = 0;
};
