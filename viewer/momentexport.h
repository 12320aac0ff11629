#pragma once

#include "session/exportsession.h"

#include <QObject>
#include <QPointer>

class QWidget;

// The window's side of exporting a moment: Export (Ctrl+E, the clip list's menu) asks the export
// session for the plan of the range it offers, the dialog shows it with its size and options, and
// the outcome is told: the finished folder, or why nothing was written. GUI thread only.
class MomentExport : public QObject
{
    Q_OBJECT

public:
    MomentExport(ExportSession *session, QWidget *window);

    // The open clip: between the marks, or the 30 s around the position.
    void exportShown();
    // A clip of the list: the open one as above, another one from its start.
    void exportClip(const QString &path);
    // Where the dialog first offers to put the folder: QRD-7700/Exports in the documents folder.
    static QString defaultParent();

signals:
    void warning(const QString &title, const QString &text);

private:
    void ask(const ExportSession::Range &range);
    void planReady(int request, const ExportPlan &plan);
    void finished(const QString &folder);

    ExportSession *m_session;
    QPointer<QWidget> m_window;
    int m_request = 0;
    QString m_parent; // the parent chosen last
};
