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
#include <QPointer>
#include <QString>

#include <map>
#include <memory>
#include <optional>

class Clip;

// The drives on the folder the viewer has open: the card's index, built off the GUI thread (or
// loaded from its cache) by an indexer the library shares with whoever starts it, comes in in parts
// and the trips are worked out again for each, so the trip list fills in while the card is read.
// Owns a Clip for every clip of a trip, for the playback session to play, until the folder changes
// (aboutToReset()). Also answers the recorder's clock offset of any clip indexed. GUI thread only.
class TripLibrary : public QObject
{
    Q_OBJECT

public:
    // Takes the trips from what `indexer` reads; the indexer may go before the library.
    explicit TripLibrary(CardIndexer *indexer, QObject *parent = nullptr);
    ~TripLibrary() override;

    // Drops the trips of the folder before and takes those of `folder` from the indexer's request
    // `request` (see CardIndexer::start); an empty folder for none.
    void follow(const QString &folder, quint64 request);
    QString folder() const { return m_folder; }
    // The card is still being read; progress() says how far.
    bool isReading() const;
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

    QPointer<CardIndexer> m_indexer;
    quint64 m_request = 0;
    QString m_folder;
    CardIndex m_index;
    QList<Trip> m_trips;
    QHash<QString, RecorderClock::Offset> m_offsets;
    std::map<QString, std::unique_ptr<Clip>> m_clips;
    int m_done = 0;
    int m_total = 0;
};
