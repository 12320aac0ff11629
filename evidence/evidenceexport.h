#pragma once

#include "evidence/evidencefiles.h"
#include "evidence/exportplan.h"

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>

class PipelineJob;

// One export of a moment into an evidence folder: the original clips byte for byte, the lossless
// segment, the overlay video when asked, the PDF, the GPX and CSV of the range and a SHA256SUMS
// file over all of them. Everything is made in a hidden folder beside the target, which takes the
// target's name once it is complete: the folder appears whole or not at all. The pipelines run on
// this object's thread from their bus messages, the copies and documents on worker threads; the
// thread (the GUI thread, or a command-line tool's event loop) never waits.
class EvidenceExport : public QObject
{
    Q_OBJECT

public:
    // `folder`: the folder to make; its parent must exist and the folder itself must not.
    EvidenceExport(const ExportPlan &plan, const QString &folder, bool overlay, QObject *parent = nullptr);
    // Stops a run under way and removes what it made (waiting for the workers to notice).
    ~EvidenceExport() override;

    // Starts; false at once (see errorString) when the folder cannot be made there.
    bool start();
    // Stops and removes what was made; cancelled() follows once it is gone. Once the folder has
    // taken its name the export is done and this does nothing.
    void cancel();
    bool isRunning() const { return m_running; }
    double progress() const;
    QString errorString() const { return m_error; }
    QStringList missingPlugins() const { return m_missing; }
    QString folder() const { return m_target; }
    // The files of the finished folder (relative names, SHA256SUMS last).
    QStringList files() const;

Q_SIGNALS:
    void progressChanged(double fraction);
    void finished();
    void failed(const QString &reason);
    void cancelled();

private:
    void startMedia(int step);
    void mediaFinished();
    void copiesFinished();
    void startDocuments();
    void documentsFinished();
    void stop(const QString &reason);
    void removeStaging();
    void emitProgress();

    ExportPlan m_plan;
    QString m_target;
    QString m_staging;
    bool m_overlay = false;
    bool m_running = false;
    bool m_stopping = false;
    bool m_documentsStarted = false;
    int m_mediaStep = 0; // 0 still pictures, 1 segment, 2 overlay, 3 done
    std::unique_ptr<PipelineJob> m_job;
    QList<QImage> m_pictures;
    qint64 m_copyTotal = 0;
    // Shared with the workers, which may outlive a cancelled run by a chunk.
    std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<std::atomic<qint64>> m_copied = std::make_shared<std::atomic<qint64>>(0);
    QFutureWatcher<EvidenceFiles::Result> m_copies;
    QFutureWatcher<EvidenceFiles::Result> m_documents;
    QTimer m_ticker;
    QString m_error;
    QStringList m_missing;
    QStringList m_files;
};
