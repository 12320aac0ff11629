#include "session/eventfinder.h"

#include "base/programsettings.h"

#include <QLoggingCategory>
#include <QMetaObject>

#include <algorithm>
#include <optional>
#include <utility>

Q_LOGGING_CATEGORY(lcEvents, "qrd7700.session.events")

// One request's search: the card's events worked out so far (touched by one worker job at a time),
// and the newest part of the index still to be searched (GUI thread only).
struct EventFinder::Search
{
    Search(const EventThresholds &thresholds, const RecorderClock::FallbackZone &zone) : events(thresholds, zone) {}

    CardEvents events;
    std::atomic<bool> cancelled{false};
    std::optional<CardIndex> waiting;
    bool waitingIsLast = false;
    bool busy = false; // a job of this search is on the worker
};

namespace {

EventThresholds thresholdsInEffect()
{
    QStringList rejected;
    const EventThresholds thresholds = EventThresholds::withOverrides(ProgramSettings::eventThresholds(), &rejected);
    for (const QString &problem : rejected)
        qCWarning(lcEvents, "viewer.conf [events] %s; the default is used", qPrintable(problem));
    return thresholds;
}

} // namespace

EventFinder::EventFinder(QObject *parent)
    : QObject(parent)
    , m_indexer(new CardIndexer(this))
{
    // One search at a time: the parts of one card's index are searched in order.
    m_pool.setMaxThreadCount(1);
    // indexer -> finder: each part of the index is searched; a part that comes while the one before
    // is being searched waits, and a newer one replaces it.
    connect(m_indexer, &CardIndexer::updated, this,
            [this](quint64 request, const CardIndex &partial) { take(request, partial, false); });
    connect(m_indexer, &CardIndexer::finished, this,
            [this](quint64 request, const CardIndex &index) { take(request, index, true); });
    connect(m_indexer, &CardIndexer::progressed, this, [this](quint64 request, int done, int total) {
        if (request != m_request)
            return;
        m_done = done;
        m_total = total;
        emit progressed(done, total);
    });
}

EventFinder::~EventFinder()
{
    // Nothing is told any more: whoever listens may be half gone with the window that owns both.
    blockSignals(true);
    clear();
    m_pool.waitForDone();
}

quint64 EventFinder::start(const QString &folder)
{
    clear();
    m_folder = folder;
    m_finding = true;
    m_search = std::make_shared<Search>(thresholdsInEffect(),
                                        RecorderClock::FallbackZone::fromSetting(ProgramSettings::timeZone()));
    m_request = m_indexer->start(folder);
    return m_request;
}

void EventFinder::clear()
{
    m_indexer->cancel();
    if (m_search)
        m_search->cancelled.store(true);
    m_search.reset();
    m_folder.clear();
    m_finding = false;
    m_done = m_total = 0;
    if (!m_events.isEmpty())
        setEvents({});
}

QList<DrivingEvent> EventFinder::clipEvents(const QString &path) const
{
    return m_byClip.value(path);
}

void EventFinder::setEvents(const QList<CardEvent> &events)
{
    m_events = events;
    m_byClip.clear();
    for (const CardEvent &event : m_events)
        m_byClip[event.event.clip].append(event.event);
    for (QList<DrivingEvent> &clip : m_byClip) {
        std::sort(clip.begin(), clip.end(), [](const DrivingEvent &a, const DrivingEvent &b) {
            return a.offsetMs != b.offsetMs ? a.offsetMs < b.offsetMs : a.kind < b.kind;
        });
    }
    emit eventsChanged();
}

void EventFinder::take(quint64 request, const CardIndex &index, bool last)
{
    if (request != m_request || !m_search)
        return;
    m_search->waiting = index;
    m_search->waitingIsLast = m_search->waitingIsLast || last;
    searchNext();
}

// Hands the newest waiting part of the index to the worker, unless a search of it is under way.
void EventFinder::searchNext()
{
    Search &search = *m_search;
    if (search.busy || !search.waiting)
        return;
    search.busy = true;
    const bool last = search.waitingIsLast;
    const CardIndex index = *std::exchange(search.waiting, std::nullopt);
    m_pool.start([this, request = m_request, shared = m_search, index, last] {
        if (!shared->events.update(index, &shared->cancelled))
            return; // dropped: a newer request or clear() came first
        const QList<CardEvent> events = shared->events.events();
        // The destructor waits for this job, so the finder is still there to queue the answer to.
        QMetaObject::invokeMethod(
            this, [this, request, events, last] { answer(request, events, last); }, Qt::QueuedConnection);
    });
}

void EventFinder::answer(quint64 request, const QList<CardEvent> &events, bool last)
{
    if (request != m_request || !m_search)
        return;
    m_search->busy = false;
    if (events != m_events)
        setEvents(events);
    if (last) {
        m_finding = false;
        qCDebug(lcEvents, "%lld events in %s", qlonglong(m_events.size()), qPrintable(m_folder));
        emit finished();
        return;
    }
    searchNext();
}
