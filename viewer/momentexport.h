#pragma once

#include "session/exportsession.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class ExportProgress;
class PlaybackSession;
class QWidget;
class ViewerState;
class WidgetProgressA;

// The window's side of exporting a moment: I and O set the marks (shown on the timeline), Export
// (Ctrl+E, the clip list's menu) asks the export session for the plan of the range it offers, the
// dialog shows it with its size and options, a bar in the window follows the export with Cancel,
// and the outcome is told: the finished folder (saved()), or why nothing was written (warning()).
// GUI thread only.
class MomentExport : public QObject
{
    Q_OBJECT

public:
    MomentExport(ViewerState &state, PlaybackSession &playback, WidgetProgressA *timeline, QWidget *window);

    // The in or out mark at the position shown.
    void markIn();
    void markOut();
    // The open clip: between the marks, or the 30 s around the position.
    void exportShown();
    // A clip of the list: the open one as above, another one from its start.
    void exportClip(const QString &path);
    // Places the progress bar for a window w × h.
    void place(int w, int h);
    // Where the dialog first offers to put the folder: QRD-7700/Exports in the documents folder.
    static QString defaultParent();

signals:
    void warning(const QString &title, const QString &text);
    void saved(const QStringList &paths);

private:
    void ask(const ExportSession::Range &range);
    void planReady(int request, const ExportPlan &plan);

    ExportSession *m_session;
    ExportProgress *m_progress;
    QPointer<QWidget> m_window;
    int m_request = 0;
    QString m_parent; // the parent chosen last
};
