// The viewer window's picture controls: zoom, pan, rotate, mute, and the settings dialog.
#include "viewer/mainwindow.h"

#include "base/preferences.h"
#include "session/playbacksession.h"
#include "session/viewerstate.h"
#include "settingsui/configwindow.h"
#include "skin/clearbutton.h"
#include "skin/flhlp.h"
#include "viewer/cliplist.h"
#include "viewer/mapview.h"
#include "viewer/videoview.h"
#include "viewer/widgetprogressa.h"
#include "viewer/widgetvolume.h"

using ViewerLayout::Button;

VideoView *MainWindow::zoomTarget() const
{
    if (m_view1->width() == 640 || (m_maximized && m_layoutMode == 1))
        return m_view1;
    return m_view2;
}

void MainWindow::OnSlotszoom_in()
{
    zoomTarget()->zoomBy(+1);
}

void MainWindow::OnSlotszoom_out()
{
    zoomTarget()->zoomBy(-1);
}

void MainWindow::OnSlotszoom_win()
{
    zoomTarget()->zoomBy(0);
}

void MainWindow::OnSlotspan()
{
    OnZoomWinMode(!m_panMode);
}

void MainWindow::OnZoomWinMode(bool on)
{
    m_panMode = on;
    m_buttons[Button::Pan]->setHighlighted(on);
    m_mover->setMovable(!on && !m_maximized);
    m_clipList->setEnabled(!on);
    m_mapPane->setEnabled(!on);
    m_view1->setPanEnabled(on);
    m_view2->setPanEnabled(on);
}

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

// Mute and restore act on the program's own sound, through the volume bar's device.
void MainWindow::OnSlotsvolume()
{
    const bool wasOn = m_volumeSlider->isEnabled();
    m_volumeSlider->setSoundOn(!wasOn);
    m_volumeSlider->setEnabled(!wasOn);
    m_buttons[Button::Volume]->setHighlighted(!m_volumeSlider->isEnabled());
}

void MainWindow::OnSlotssetting()
{
    OnSlotspause();
    ConfigWindow dialog(this);
    dialog.viewerSpeedUnit = m_dashboard->speedUnitKm() ? 1 : 2;
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool km = dialog.viewerSpeedUnit == 1;
    m_dashboard->setSpeedUnitKm(km);
    storeSpeedUnit(km ? QStringLiteral("km") : QStringLiteral("mph"));
    applyTexts();
}
