#include "viewer/momentexport.h"

#include "base/exportmessages.h"
#include "base/messages.h"
#include "catalogue/clip.h"
#include "viewer/exportdialog.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

MomentExport::MomentExport(ExportSession *session, QWidget *window)
    : QObject(window), m_session(session), m_window(window)
{
    setObjectName(QStringLiteral("momentExport"));
    connect(session, &ExportSession::planReady, this, &MomentExport::planReady);
    connect(session, &ExportSession::planFailed, this, [this](int request, const QString &reason) {
        if (request == m_request)
            emit warning(Messages::viewerTitle(), Messages::exportFailed(reason));
    });
    connect(session, &ExportSession::exportFinished, this, &MomentExport::finished);
    connect(session, &ExportSession::exportFailed, this, [this](const QString &reason) {
        emit warning(Messages::viewerTitle(), Messages::exportFailed(reason));
    });
}

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

void MomentExport::finished(const QString &folder)
{
    QMessageBox box(QMessageBox::Information, Messages::viewerTitle(),
                    Messages::exportWritten(QDir::toNativeSeparators(folder)), QMessageBox::Ok, m_window);
    box.setObjectName(QStringLiteral("exportWritten"));
    box.exec();
}
