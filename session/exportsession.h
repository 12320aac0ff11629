#pragma once

#include "evidence/exportplan.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class EvidenceExport;
class PlaybackSession;
class ViewerState;

// The viewer's exports of a moment: the in and out marks on the open clip (kept in the viewer
// state), the range Export offers, the plan of an export read on a worker, and the export under
// way. Answers by signal, with request numbers (a newer plan request drops an older one); GUI
// thread only.
class ExportSession : public QObject
{
    Q_OBJECT

public:
    // Without marks, Export offers this much around the position.
    static constexpr qint64 kOfferedSpanMs = 30000;

    struct Range
    {
        QString clip;
        qint64 fromMs = 0;
        qint64 toMs = 0;
        qint64 momentMs = 0; // the picture the document shows

        friend bool operator==(const Range &, const Range &) = default;
    };

    ExportSession(ViewerState &state, PlaybackSession &playback, QObject *parent = nullptr);
    ~ExportSession() override;

    // The in or out mark at the position shown; nothing without an open clip.
    void markIn();
    void markOut();
    void clearMarks();

    // What Export offers for the open clip; nothing without one.
    std::optional<Range> offeredRange() const;
    // The rule: between the marks (in any order; one mark alone runs to the clip's start or end), or
    // without them the 30 s around the position (shifted to stay inside the clip, the whole clip
    // when it is shorter). The document shows the position when it lies inside, else the start.
    static Range rangeFor(qint64 positionMs, qint64 lengthMs, std::optional<qint64> in, std::optional<qint64> out);
    // What Export offers for a clip that is not open: its first 30 s.
    static Range firstSpanOf(const QString &clip);

    // Reads what the export of `range` takes on a worker; planReady() or planFailed() follows with
    // the number returned.
    int requestPlan(const Range &range);

    // Starts exporting `plan` into `folder` (to be made); false, with exportError(), when it cannot.
    bool startExport(const ExportPlan &plan, const QString &folder, bool overlay);
    void cancelExport();
    bool isExporting() const;
    QString exportError() const { return m_error; }

signals:
    void planReady(int request, const ExportPlan &plan);
    void planFailed(int request, const QString &reason);
    void exportStarted(const QString &title);
    void exportProgress(double fraction);
    void exportFinished(const QString &folder);
    void exportFailed(const QString &reason);
    void exportCancelled();

private:
    void planDone();
    void exportEnded();

    ViewerState &m_state;
    PlaybackSession &m_playback;
    int m_request = 0;
    QFutureWatcher<std::pair<std::optional<ExportPlan>, QString>> m_planning;
    int m_planningRequest = 0;
    std::unique_ptr<EvidenceExport> m_export;
    QString m_error;
};
