// The viewer window's playback commands: the clip a list row opens, the transport buttons,
// snapshots, printing and exports of a moment. The playback session does the work;
// PlaybackPanes keeps the views, the dashboard and the map in step with it; MomentCapture saves and
// prints; MomentExport marks the range to export and exports it.
#include "viewer/mainwindow.h"

#include "base/messages.h"
#include "catalogue/clip.h"
#include "session/cliplibrary.h"
#include "session/playbacksession.h"
#include "session/triplibrary.h"
#include "session/viewerstate.h"
#include "viewer/cliplist.h"
#include "viewer/cliplistmenu.h"
#include "viewer/cliplistpane.h"
#include "viewer/listplayon.h"
#include "viewer/momentcapture.h"
#include "viewer/momentexport.h"
#include "viewer/playbackpanes.h"
#include "viewer/savednotice.h"

// session -> panes (PlaybackPanes) and -> window: the list follows the clip that opened.
void MainWindow::setupPlaybackConnections()
{
    m_panes = new PlaybackPanes(m_session, m_state, {m_view1, m_view2, m_views, m_dashboard, m_mapPane}, this);
    m_capture = new MomentCapture(m_session, m_dashboard, m_trips, this);
    connect(m_session, &PlaybackSession::opened, this, &MainWindow::updateClipInformation);
    connect(m_panes, &PlaybackPanes::warning, this, [this](const QString &text) { warn(Messages::viewerTitle(), text); });
    connect(m_capture, &MomentCapture::warning, this, &MainWindow::warn);
    connect(m_capture, &MomentCapture::saved, m_notice, &SavedNotice::showSaved);
    m_export = new MomentExport(*m_state, *m_session, m_dashboard, this);
    connect(m_export, &MomentExport::warning, this, &MainWindow::warn);
    connect(m_export, &MomentExport::saved, m_notice, &SavedNotice::showSaved);
    connect(m_listPane->menu(), &ClipListMenu::exportRequested, m_export, &MomentExport::exportClip);
}

void MainWindow::resetViewer()
{
    OnSlotsstop();
    m_session->close();
    m_panes->showNothing();
    OnZoomWinMode(false);
}

// A trip row plays the trip from its start, a clip row the clip.
void MainWindow::OnSlotsselectFile(QListWidgetItem *current, QListWidgetItem *)
{
    m_playOn->rowChosen();
    resetViewer();
    if (current) {
        if (const int trip = MyListWidget::tripOf(current); trip >= 0)
            m_session->openTrip(m_trips->plan(trip));
        else if (Clip *clip = MyListWidget::clipOf(current))
            m_session->open(clip);
    }
    OnSlotsplay();
}

// Whether the session has a clip open (also one an error stopped), not one still opening.
bool MainWindow::updatePlayingInformation()
{
    return m_session->isOpen();
}

void MainWindow::updateClipInformation(const Clip *clip)
{
    if (!clip)
        return;
    if (m_session->isTrip())
        return; // the trip's row is the one chosen
    if (clip->kind() != Clip::Normal && clip->kind() != Clip::Event && !m_library->entries().contains(clip))
        return;
    const int row = m_clipList->rowOf(clip);
    if (row >= 0 && row != m_clipList->currentRow())
        m_clipList->setCurrentRow(row);
    showProgressData();
}

void MainWindow::OnSlotsstop()
{
    OnZoomWinMode(false);
    m_session->stop();
    m_panes->showStopped();
}

void MainWindow::OnSlotsProgress(int position)
{
    m_session->seek(position);
    m_panes->showSeek(position);
}

void MainWindow::OnTimeoutRefreshMap()
{
    if (m_state->isPlaying())
        m_panes->showSampleAt(m_session->position());
}

void MainWindow::showProgressData() { OnTimeoutRefreshMapB(); }
void MainWindow::showInformation(long long duration, long long position) { m_panes->showTime(duration, position); }
void MainWindow::OnTimeoutUpdate() { m_panes->showTime(m_session->length(), m_session->position()); }
void MainWindow::OnTimeoutRefreshMapB() { m_panes->showSampleAt(m_session->position()); }
void MainWindow::OnSlotsplay() { m_session->play(); }
void MainWindow::OnSlotspause() { m_session->pause(); }
void MainWindow::OnSlotsstopF() { m_session->stop(); }
void MainWindow::OnSlotsrw() { m_session->step(-1); }
void MainWindow::OnSlotsfw() { m_session->step(+1); }
void MainWindow::OnSlotspre_file() { playNextClip(-1); }
void MainWindow::OnSlotsnext_file() { playNextClip(+1); }
bool MainWindow::getSnap(QImage *images) { return m_capture->grab(images); }
void MainWindow::OnSlotssnapshot() { m_capture->snapshot(); }
void MainWindow::OnSlotsprint() { m_capture->print(); }
void MainWindow::OnSlotsmarkIn() { m_export->markIn(); }
void MainWindow::OnSlotsmarkOut() { m_export->markOut(); }
void MainWindow::OnSlotsexport() { m_export->exportShown(); }
