// The viewer window's view of the whole card: its index read once in the background for the folder
// the list shows, feeding the driving events (marked on the timeline, reached with N and Shift+N,
// listed with E and from the clip list's menu) and the trips (the list's trip view, T); playing on
// through the list.
#include "viewer/mainwindow.h"

#include "base/messages.h"
#include "viewer/cliplistmenu.h"
#include "viewer/cliplistpane.h"
#include "viewer/eventnavigator.h"
#include "viewer/listplayon.h"
#include "viewer/tripnavigator.h"

void MainWindow::setupEventConnections()
{
    m_tripNavigator = new TripNavigator(
        {this, m_trips, m_session, m_state, m_listPane, m_clipList, m_panes}, this);
    m_eventNavigator = new EventNavigator(
        {this, m_events, m_trips, m_session, m_library, m_state, m_dashboard, m_clipList}, this);
    // list's menu -> events list, at the clip it was opened on.
    connect(m_listPane->menu(), &ClipListMenu::eventsRequested, m_eventNavigator,
            [this](const QString &path) { m_eventNavigator->showList(path); });
    // session -> list: the end of a clip or trip moves on through the list.
    m_playOn = new ListPlayOn({this, m_session, m_panes, m_clipList, m_tripNavigator}, this);
    connect(m_playOn, &ListPlayOn::warning, this, [this](const QString &text) { warn(Messages::viewerTitle(), text); });
}

void MainWindow::jumpToEvent(int direction) { m_eventNavigator->jump(direction); }
void MainWindow::showEventsList() { m_eventNavigator->showList(); }
