// The clip list side's trip view: one row per trip of the card, oldest first, filled in while the
// card is read, with a row that says how far the reading is.
#include "viewer/cliplistpane.h"

#include "base/messages.h"
#include "catalogue/clip.h"
#include "session/triplibrary.h"
#include "session/viewerstate.h"
#include "viewer/cliplist.h"
#include "viewer/triprow.h"

#include <QFileInfo>
#include <QScrollBar>
#include <QSignalBlocker>

// The rows of the view just chosen, none of them opened: the window decides what goes on playing.
void ClipListPane::showRows()
{
    m_chooseFirstTrip = false;
    if (m_state->isTripView())
        fillTrips();
    else
        fillClips();
}

// The trip chosen stays chosen as trips are read (it is known by its first clip), and so does the
// scrolled place. After a folder was read in this view its first trip plays as soon as it is known.
void ClipListPane::fillTrips()
{
    const QString chosen = MyListWidget::tripKeyOf(m_list->currentItem());
    const int scrolled = m_list->verticalScrollBar()->value();
    const QList<Trip> &trips = m_trips->trips();
    {
        const QSignalBlocker blocker(m_list);
        m_list->clear();
        for (int i = 0; i < trips.size(); ++i) {
            const Trip &trip = trips.at(i);
            m_list->appendTrip(i, TripRow::text(trip), trip.clips.first().clip.path, TripRow::toolTip(trip));
        }
        if (m_trips->isReading())
            m_list->appendNote(Messages::readingCard(m_trips->progress().first, m_trips->progress().second));
        else if (trips.isEmpty() && !m_trips->folder().isEmpty())
            m_list->appendNote(Messages::noTrips());
        if (!chosen.isEmpty())
            m_list->setCurrentRow(m_trips->tripOf(chosen));
        m_list->verticalScrollBar()->setValue(scrolled);
    }
    if (m_chooseFirstTrip && !trips.isEmpty()) {
        m_chooseFirstTrip = false;
        if (m_list->currentRow() < 0)
            m_list->setCurrentRow(0);
    }
}

// The trip `direction` steps from `row`, wrapping at the ends as the clip list does; -1 with fewer
// than two trips.
int ClipListPane::tripNeighbour(int row, int direction) const
{
    const int count = int(m_trips->trips().size());
    if (count <= 1)
        return -1;
    if (direction > 0)
        return row >= 0 && row < count - 1 ? row + 1 : 0;
    return row > 0 && row < count ? row - 1 : count - 1;
}

void ClipListPane::selectTripRow(int trip)
{
    const QSignalBlocker blocker(m_list);
    m_list->setCurrentRow(trip);
}

void ClipListPane::selectClipRow(const QString &path)
{
    const QString wanted = QFileInfo(path).absoluteFilePath();
    const QSignalBlocker blocker(m_list);
    for (int row = 0; row < m_list->count(); ++row) {
        const Clip *clip = MyListWidget::clipOf(m_list->item(row));
        if (clip && clip->file().absoluteFilePath() == wanted) {
            m_list->setCurrentRow(row);
            return;
        }
    }
    m_list->setCurrentRow(-1);
}
