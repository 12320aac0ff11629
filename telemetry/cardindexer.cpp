#include "telemetry/cardindexer.h"

#include <QMetaObject>

CardIndexer::CardIndexer(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<CardIndex>();
    m_pool.setMaxThreadCount(1);
}

CardIndexer::~CardIndexer()
{
    cancel();
    // The build stops at its next clip; its queued answers die with this object.
    m_pool.waitForDone();
}

quint64 CardIndexer::start(const QString &folder, const QString &cacheFile)
{
    cancel();
    const quint64 request = ++m_request;
    m_cancelled = std::make_shared<std::atomic<bool>>(false);
    m_running = true;
    CardIndex::BuildOptions options;
    options.cacheFile = cacheFile.isEmpty() ? CardIndex::defaultCacheFile(folder) : cacheFile;
    options.cancelled = m_cancelled.get();
    // Runs on the build's thread: it only posts copies of the index (they share their data).
    options.progress = [this, request](const CardIndex &partial, int done, int total) {
        post(request, partial, done, total, false);
    };
    m_pool.start([this, request, folder, options, cancelled = m_cancelled, build = m_builder] {
        const CardIndex index = build(folder, options);
        if (!cancelled->load())
            post(request, index, int(index.entries().size()), int(index.entries().size()), true);
    });
    return request;
}

void CardIndexer::cancel()
{
    if (m_cancelled)
        m_cancelled->store(true);
    m_running = false;
}

void CardIndexer::post(quint64 request, const CardIndex &index, int done, int total, bool last)
{
    QMetaObject::invokeMethod(
        this,
        [this, request, index, done, total, last] {
            if (request != m_request || !m_running)
                return; // a newer request or a cancel came first
            emit progressed(request, done, total);
            if (!last) {
                emit updated(request, index);
                return;
            }
            m_running = false;
            emit finished(request, index);
        },
        Qt::QueuedConnection);
}
