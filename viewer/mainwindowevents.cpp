// The viewer window's driving events: found in the background for the folder the list shows,
// marked on the timeline, reached with N and Shift+N, and listed (E, the clip list's menu).
#include "viewer/mainwindow.h"

#include "session/cliplibrary.h"
#include "session/eventfinder.h"
#include "session/playbacksession.h"
#include "session/viewerstate.h"
#include "viewer/cliplistmenu.h"
#include "viewer/cliplistpane.h"
#include "viewer/eventnavigator.h"

void MainWindow::setupEventConnections()
{
    m_events = new EventFinder(this);
    m_eventNavigator = new EventNavigator(
        {this, m_events, m_session, m_library, m_state, m_dashboard, m_clipList}, this);
    // library -> finder: a folder read with clips has its card read for events; after one without,
    // nothing is left to look at.
    connect(m_library, &ClipLibrary::scanFinished, this, [this](int, bool hasClips) {
        if (hasClips)
            m_events->start(m_state->folder());
        else
            m_events->clear();
    });
    // list's menu -> events list, at the clip it was opened on.
    connect(m_listPane->menu(), &ClipListMenu::eventsRequested, m_eventNavigator,
            [this](const QString &path) { m_eventNavigator->showList(path); });
}

void MainWindow::jumpToEvent(int direction) { m_eventNavigator->jump(direction); }
void MainWindow::showEventsList() { m_eventNavigator->showList(); }
