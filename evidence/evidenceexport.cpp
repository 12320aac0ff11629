#include "evidence/evidenceexport.h"

#include "evidence/overlaytext.h"
#include "playback/overlayrenderer.h"
#include "playback/segmentwriter.h"
#include "playback/stillreader.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentRun>

Q_LOGGING_CATEGORY(lcEvidence, "qrd7700.evidence")

namespace {

enum MediaStep { Stills, Segment, Overlay, MediaDone };

// Shares of the whole run, by what takes how long.
constexpr double kCopyShare = 0.10;
constexpr double kStillShare = 0.03;
constexpr double kSegmentShare = 0.07;
constexpr double kOverlayShare = 0.70;
constexpr double kDocumentShare = 0.10;
constexpr int kTickMs = 200;

} // namespace

EvidenceExport::EvidenceExport(const ExportPlan &plan, const QString &folder, bool overlay, QObject *parent)
    : QObject(parent), m_plan(plan), m_target(QFileInfo(folder).absoluteFilePath()), m_overlay(overlay)
{
    m_ticker.setInterval(kTickMs);
    connect(&m_ticker, &QTimer::timeout, this, &EvidenceExport::emitProgress);
    connect(&m_copies, &QFutureWatcher<EvidenceFiles::Result>::finished, this, &EvidenceExport::copiesFinished);
    connect(&m_documents, &QFutureWatcher<EvidenceFiles::Result>::finished, this, &EvidenceExport::documentsFinished);
}

EvidenceExport::~EvidenceExport()
{
    m_cancelled->store(true);
    m_job.reset();
    m_copies.waitForFinished();
    m_documents.waitForFinished();
    if (m_running)
        removeStaging();
}

bool EvidenceExport::start()
{
    if (m_running || m_plan.parts.isEmpty())
        return false;
    const QFileInfo target(m_target);
    const QFileInfo parent(target.absolutePath());
    if (target.exists() || target.isSymLink())
        m_error = QStringLiteral("%1: already exists").arg(m_target);
    else if (!parent.isDir())
        m_error = QStringLiteral("%1: no such folder").arg(parent.filePath());
    QTemporaryDir staging(parent.filePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".partial-XXXXXX"));
    if (m_error.isEmpty() && !staging.isValid())
        m_error = QStringLiteral("%1: %2").arg(parent.filePath(), staging.errorString());
    if (!m_error.isEmpty())
        return false;
    staging.setAutoRemove(false);
    m_staging = staging.path();
    m_running = true;
    QStringList clips;
    for (const ExportPart &part : m_plan.parts) {
        if (!clips.contains(part.media.path)) {
            clips << part.media.path;
            m_copyTotal += part.fileSize;
        }
    }
    m_copies.setFuture(QtConcurrent::run([clips, folder = m_staging, cancelled = m_cancelled, copied = m_copied] {
        return EvidenceFiles::copyOriginals(clips, folder, *cancelled, [copied](qint64 done) { copied->store(done); });
    }));
    startMedia(Stills);
    m_ticker.start();
    return true;
}

void EvidenceExport::startMedia(int step)
{
    m_mediaStep = step == Overlay && !m_overlay ? MediaDone : step;
    const QList<MediaPart> parts = m_plan.mediaParts();
    const QDir dir(m_staging);
    switch (m_mediaStep) {
    case Stills:
        m_job = std::make_unique<StillReader>(m_plan.parts.at(m_plan.momentPart).media.path, m_plan.momentMs);
        break;
    case Segment:
        m_job = std::make_unique<SegmentWriter>(parts, dir.filePath(EvidenceFiles::segmentName()));
        break;
    case Overlay: {
        auto plan = std::make_shared<const ExportPlan>(m_plan);
        m_job = std::make_unique<OverlayRenderer>(parts, dir.filePath(EvidenceFiles::overlayName()),
                                                  [plan](int part, qint64 clipMs) {
                                                      return OverlayText::lines(plan->momentAt(part, clipMs));
                                                  });
        break;
    }
    default:
        m_job.reset();
        startDocuments();
        return;
    }
    connect(m_job.get(), &PipelineJob::finished, this, &EvidenceExport::mediaFinished);
    connect(m_job.get(), &PipelineJob::failed, this, [this](const QString &reason) {
        m_missing << m_job->missingPlugins();
        stop(reason);
    });
    if (!m_job->start()) {
        m_missing << m_job->missingPlugins();
        const QString why = m_job->errorString();
        QMetaObject::invokeMethod(this, [this, why] { stop(why); }, Qt::QueuedConnection);
    }
}

void EvidenceExport::mediaFinished()
{
    if (auto *stills = qobject_cast<StillReader *>(m_job.get()))
        m_pictures = stills->pictures();
    // The job that emitted this goes after its signal has returned.
    m_job.release()->deleteLater();
    startMedia(m_mediaStep + 1);
}

void EvidenceExport::copiesFinished()
{
    if (m_stopping) {
        stop(m_error);
        return;
    }
    if (const QString error = m_copies.result().error; !error.isEmpty()) {
        stop(error);
        return;
    }
    startDocuments();
}

// Once the media files and the copies are there: the documents, the checksums, and the name.
void EvidenceExport::startDocuments()
{
    if (m_stopping || m_mediaStep != MediaDone || !m_copies.isFinished() || m_documentsStarted)
        return;
    m_documentsStarted = true;
    const QList<Checksums::Entry> originals = m_copies.result().entries;
    m_documents.setFuture(QtConcurrent::run([plan = m_plan, pictures = m_pictures, originals, staging = m_staging,
                                             target = m_target, cancelled = m_cancelled] {
        EvidenceFiles::Result result = EvidenceFiles::writeDocuments(staging, plan, pictures, originals, *cancelled);
        if (result.error.isEmpty() && !cancelled->load() && !EvidenceFiles::publish(staging, target, &result.error))
            result.entries.clear();
        else if (cancelled->load())
            result.error = QStringLiteral("cancelled");
        return result;
    }));
}

void EvidenceExport::documentsFinished()
{
    // Once the folder has its name the export is done, even when a cancel came meanwhile.
    const EvidenceFiles::Result result = m_documents.result();
    if (!result.error.isEmpty()) {
        stop(m_stopping ? m_error : result.error);
        return;
    }
    m_stopping = false;
    m_ticker.stop();
    m_running = false;
    m_files.clear();
    for (const Checksums::Entry &entry : result.entries)
        m_files << entry.path;
    m_files.sort();
    m_files << QLatin1String(Checksums::FileName);
    qCDebug(lcEvidence).noquote() << "exported" << m_files.size() << "files to" << m_target;
    Q_EMIT progressChanged(1.0);
    Q_EMIT finished();
}

void EvidenceExport::cancel()
{
    if (m_running && !m_stopping)
        stop(QString());
}

// Stops what runs; once no worker touches the hidden folder any more it goes, and the run ends
// with failed() or, for a cancel (no reason), cancelled().
void EvidenceExport::stop(const QString &reason)
{
    if (!m_running)
        return;
    if (!m_stopping) {
        m_stopping = true;
        m_error = reason;
        m_cancelled->store(true);
        if (m_job) {
            m_job->cancel(); // the pipeline stops now; the object may be the sender being handled
            m_job.release()->deleteLater();
        }
        m_ticker.stop();
    }
    if (m_copies.isRunning() || m_documents.isRunning())
        return; // their finished() comes back here
    removeStaging();
    m_running = false;
    if (m_error.isEmpty()) {
        Q_EMIT cancelled();
    } else {
        qCWarning(lcEvidence).noquote() << "export to" << m_target << "failed:" << m_error;
        Q_EMIT failed(m_error);
    }
}

void EvidenceExport::removeStaging()
{
    if (!m_staging.isEmpty() && QFileInfo(m_staging).isDir())
        QDir(m_staging).removeRecursively();
}

double EvidenceExport::progress() const
{
    const double overlayShare = m_overlay ? kOverlayShare : 0;
    const double total = kCopyShare + kStillShare + kSegmentShare + overlayShare + kDocumentShare;
    const double copied = m_copyTotal > 0 ? double(m_copied->load()) / double(m_copyTotal) : 1.0;
    const double current = m_job ? m_job->progress() : 0;
    double done = kCopyShare * qBound(0.0, copied, 1.0);
    done += m_mediaStep > Stills ? kStillShare : 0;
    done += m_mediaStep > Segment ? kSegmentShare : m_mediaStep == Segment ? kSegmentShare * current : 0;
    done += m_mediaStep > Overlay ? overlayShare : m_mediaStep == Overlay ? overlayShare * current : 0;
    return qBound(0.0, done / total, 1.0);
}

void EvidenceExport::emitProgress()
{
    Q_EMIT progressChanged(progress());
}

QStringList EvidenceExport::files() const
{
    return m_running ? QStringList() : m_files;
}
