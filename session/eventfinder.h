#pragma once

#include "telemetry/cardevents.h"
#include "telemetry/cardindexer.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <memory>

// The driving events of the card the viewer shows, found in the background: the card index reads
// the card's telemetry off the GUI thread, and each part of it that comes in is searched for events
// on a worker of this finder's own, so that the events fill in while the card is read. The
// direction the recorder faces is learned over the whole card. Every start is a numbered request;
// the answers of an older one are dropped. The thresholds and the zone for a card without any fix
// come from the program's settings file at each start. GUI thread only; the destructor stops the
// reading and waits for the worker (within a clip).
class EventFinder : public QObject
{
    Q_OBJECT

public:
    explicit EventFinder(QObject *parent = nullptr);
    ~EventFinder() override;

    // The reader of the card's index; its signals carry the index as it fills in.
    CardIndexer &indexer() { return *m_indexer; }

    // Forgets the events found so far and starts reading `folder`; returns the request number.
    quint64 start(const QString &folder);
    // Stops the reading and forgets the events.
    void clear();

    QString folder() const { return m_folder; }
    // Reading or searching is still under way for the folder.
    bool isFinding() const { return m_finding; }
    // Clips of the folder read so far, and in all (0 until the reading has counted them).
    int clipsRead() const { return m_done; }
    int clipCount() const { return m_total; }

    // The events found so far, in true-time order.
    const QList<CardEvent> &events() const { return m_events; }
    // Those of the clip at `path` (absolute), in the order they happen in it.
    QList<DrivingEvent> clipEvents(const QString &path) const;

signals:
    // events() changed.
    void eventsChanged();
    // The clips read so far, and in all.
    void progressed(int done, int total);
    // Every clip of the folder has been read and searched.
    void finished();

private:
    struct Search;

    void take(quint64 request, const CardIndex &index, bool last);
    void searchNext();
    void answer(quint64 request, const QList<CardEvent> &events, bool last);
    void setEvents(const QList<CardEvent> &events);

    CardIndexer *m_indexer;
    QThreadPool m_pool;
    quint64 m_request = 0;
    QString m_folder;
    bool m_finding = false;
    int m_done = 0;
    int m_total = 0;
    QList<CardEvent> m_events;
    QHash<QString, QList<DrivingEvent>> m_byClip; // each clip's, in the order they happen in it
    std::shared_ptr<Search> m_search; // the request's state, shared with its worker jobs
};
