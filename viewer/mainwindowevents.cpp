// The viewer window's view of the whole card: its index read once in the background for the folder
// the list shows, feeding the driving events (marked on the timeline, reached with N and Shift+N,
// listed with E and from the clip list's menu) and the trips (the list's trip view, T).
#include "viewer/mainwindow.h"

#include "session/cliplibrary.h"
#include "session/eventfinder.h"
#include "session/playbacksession.h"
#include "session/triplibrary.h"
#include "session/viewerstate.h"
#include "viewer/cliplistmenu.h"
#include "viewer/cliplistpane.h"
#include "viewer/eventnavigator.h"
#include "viewer/tripnavigator.h"

void MainWindow::setupEventConnections()
{
    m_tripNavigator = new TripNavigator(
        {this, m_trips, m_session, m_state, m_listPane, m_clipList, m_panes}, this);
    m_eventNavigator = new EventNavigator(
        {this, m_events, m_trips, m_session, m_library, m_state, m_dashboard, m_clipList}, this);
    // library -> finder and trips: a folder read with clips has its card read; after one without,
    // nothing is left to look at.
    connect(m_library, &ClipLibrary::scanFinished, this, [this](int, bool hasClips) {
        if (hasClips) {
            m_trips->follow(m_state->folder(), m_events->start(m_state->folder()));
        } else {
            m_events->clear();
            m_trips->follow(QString(), 0);
        }
    });
    // list's menu -> events list, at the clip it was opened on.
    connect(m_listPane->menu(), &ClipListMenu::eventsRequested, m_eventNavigator,
            [this](const QString &path) { m_eventNavigator->showList(path); });
}

void MainWindow::jumpToEvent(int direction) { m_eventNavigator->jump(direction); }
void MainWindow::showEventsList() { m_eventNavigator->showList(); }
