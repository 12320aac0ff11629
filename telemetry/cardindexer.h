#pragma once

#include "telemetry/cardindex.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

// Builds a card's index (CardIndex::build) off the GUI thread and reports by signal as clips come
// in, so that a trip list can fill in while the card is read. One build at a time: a newer start, or
// cancel(), drops the older one (its signals no longer come). Every signal carries the number of
// its request. GUI thread only; the destructor stops the build (within a clip) and waits for it.
class CardIndexer : public QObject
{
    Q_OBJECT

public:
    // Builds an index; runs on the indexer's thread. CardIndex::build unless told otherwise.
    using Builder = std::function<CardIndex(const QString &folder, const CardIndex::BuildOptions &options)>;

    explicit CardIndexer(QObject *parent = nullptr);
    ~CardIndexer() override;

    // How the next builds read the card: a builder of the caller's own, for example one that holds
    // the reading back.
    void setBuilder(Builder builder) { m_builder = std::move(builder); }

    // Starts indexing `folder`, caching in `cacheFile` (the card's default cache file when empty).
    // Returns the request number its signals carry.
    quint64 start(const QString &folder, const QString &cacheFile = QString());
    void cancel();
    bool isRunning() const { return m_running; }
    quint64 request() const { return m_request; }

signals:
    // Clips indexed so far (`done` of `total`), about four times a second while the build runs.
    void progressed(quint64 request, int done, int total);
    void updated(quint64 request, const CardIndex &partial);
    // The whole index; also after a failure to read clips (they are then left out).
    void finished(quint64 request, const CardIndex &index);

private:
    void post(quint64 request, const CardIndex &index, int done, int total, bool last);

    Builder m_builder = CardIndex::build;
    QThreadPool m_pool;
    quint64 m_request = 0;
    bool m_running = false;
    std::shared_ptr<std::atomic<bool>> m_cancelled;
};
