#include "viewer/momentexport.h"

#include "base/exportmessages.h"
#include "base/messages.h"
#include "catalogue/clip.h"
#include "session/viewerstate.h"
#include "viewer/exportdialog.h"
#include "viewer/exportprogress.h"
#include "viewer/widgetprogressa.h"

#include <QFileInfo>
#include <QStandardPaths>

MomentExport::MomentExport(ViewerState &state, PlaybackSession &playback, WidgetProgressA *timeline,
                           QWidget *window)
    : QObject(window)
    , m_session(new ExportSession(state, playback, this))
    , m_progress(new ExportProgress(m_session, window))
    , m_window(window)
{
    setObjectName(QStringLiteral("momentExport"));
    // state -> timeline: the marks are drawn where the state has them.
    connect(&state, &ViewerState::marksChanged, timeline,
            [&state, timeline] { timeline->setExportMarks(state.markIn(), state.markOut()); });
    connect(m_session, &ExportSession::planReady, this, &MomentExport::planReady);
    connect(m_session, &ExportSession::planFailed, this, [this](int request, const QString &reason) {
        if (request == m_request)
            emit warning(Messages::viewerTitle(), Messages::exportFailed(reason));
    });
    // The notice names the folder and shows it where it was made.
    connect(m_session, &ExportSession::exportFinished, this, [this](const QString &folder) { emit saved({folder}); });
    connect(m_session, &ExportSession::exportFailed, this, [this](const QString &reason) {
        emit warning(Messages::viewerTitle(), Messages::exportFailed(reason));
    });
}

void MomentExport::markIn() { m_session->markIn(); }
void MomentExport::markOut() { m_session->markOut(); }
void MomentExport::place(int w, int h) { m_progress->place(w, h); }

QString MomentExport::defaultParent()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/QRD-7700/Exports");
}

void MomentExport::exportShown()
{
    if (const std::optional<ExportSession::Range> range = m_session->offeredRange())
        ask(*range);
}

void MomentExport::exportClip(const QString &path)
{
    const std::optional<ExportSession::Range> shown = m_session->offeredRange();
    ask(shown && QFileInfo(shown->clip) == QFileInfo(path) ? *shown : ExportSession::firstSpanOf(path));
}

void MomentExport::ask(const ExportSession::Range &range)
{
    if (m_session->isExporting()) {
        emit warning(Messages::viewerTitle(), Messages::exportBusy());
        return;
    }
    m_request = m_session->requestPlan(range);
}

void MomentExport::planReady(int request, const ExportPlan &plan)
{
    if (request != m_request || m_session->isExporting())
        return;
    ExportDialog dialog(plan, m_parent.isEmpty() ? defaultParent() : m_parent, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_parent = QFileInfo(dialog.folder()).absolutePath();
    if (!m_session->startExport(plan, dialog.folder(), dialog.overlay()))
        emit warning(Messages::viewerTitle(), Messages::exportFailed(m_session->exportError()));
}
