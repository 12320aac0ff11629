// The viewer window's exports of a moment: the marks on the timeline, the export of the range they
// choose (or of the 30 s around the position), its progress bar and the clip list's menu entry.
#include "viewer/mainwindow.h"

#include "session/exportsession.h"
#include "session/viewerstate.h"
#include "viewer/cliplistmenu.h"
#include "viewer/cliplistpane.h"
#include "viewer/exportprogress.h"
#include "viewer/momentexport.h"
#include "viewer/widgetprogressa.h"

// state -> timeline: the marks are drawn where the state has them. list menu -> export.
void MainWindow::setupExportConnections()
{
    m_exports = new ExportSession(*m_state, *m_session, this);
    m_momentExport = new MomentExport(m_exports, this);
    m_exportProgress = new ExportProgress(m_exports, this);
    connect(m_state, &ViewerState::marksChanged, this,
            [this] { m_dashboard->setExportMarks(m_state->markIn(), m_state->markOut()); });
    connect(m_momentExport, &MomentExport::warning, this, &MainWindow::warn);
    connect(m_listPane->menu(), &ClipListMenu::exportRequested, m_momentExport, &MomentExport::exportClip);
}

void MainWindow::OnSlotsmarkIn() { m_exports->markIn(); }
void MainWindow::OnSlotsmarkOut() { m_exports->markOut(); }
void MainWindow::OnSlotsexport() { m_momentExport->exportShown(); }
