// The viewer window's picture controls: zoom, pan, rotate, mute, and the settings dialog.
#include "viewer/mainwindow.h"

#include "base/preferences.h"
#include "session/playbacksession.h"
#include "session/viewerstate.h"
#include "settingsui/configwindow.h"
#include "viewer/videoview.h"
#include "viewer/viewarrangement.h"
#include "viewer/widgetvolume.h"

// The zoom buttons act on the large view.
void MainWindow::OnSlotszoom_in() { m_views->zoom(+1); }
void MainWindow::OnSlotszoom_out() { m_views->zoom(-1); }
void MainWindow::OnSlotszoom_win() { m_views->zoom(0); }
void MainWindow::OnSlotspan() { OnZoomWinMode(!m_state->isPanMode()); }
void MainWindow::OnZoomWinMode(bool on) { m_state->setPanMode(on); }

// Every picture is turned as it is drawn, so a paused picture turns at once and stays where it is.
void MainWindow::OnSlotsrotate()
{
    m_session->rotate(180);
    m_view1->setVideoVisible(true);
    if (m_state->channelCount() > 1)
        m_view2->setVideoVisible(true);
    m_view1->update();
    m_view2->update();
}

// Mute and restore act on the program's own sound, through the volume bar's device; the bar keeps
// its level meanwhile.
void MainWindow::OnSlotsvolume()
{
    const bool muted = m_state->isMuted();
    m_volumeSlider->setSoundOn(muted);
    m_state->setMuted(!muted);
}

void MainWindow::OnSlotssetting()
{
    OnSlotspause();
    ConfigWindow dialog(this);
    dialog.viewerSpeedUnit = m_state->speedUnitKm() ? 1 : 2;
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool km = dialog.viewerSpeedUnit == 1;
    m_state->setSpeedUnitKm(km);
    storeSpeedUnit(km ? QStringLiteral("km") : QStringLiteral("mph"));
    applyTexts();
}
