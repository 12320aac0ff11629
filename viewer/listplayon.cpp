#include "viewer/listplayon.h"

#include "catalogue/clip.h"
#include "session/playbacksession.h"
#include "viewer/cliplist.h"
#include "viewer/mainwindow.h"
#include "viewer/playbackpanes.h"
#include "viewer/tripnavigator.h"

#include <QMetaObject>

ListPlayOn::ListPlayOn(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
{
    connect(parts.session, &PlaybackSession::ended, this, &ListPlayOn::onEnded);
    connect(parts.session, &PlaybackSession::opened, this, [this] {
        m_playingOn = false;
        m_skippedInRow = 0;
    });
    connect(parts.panes, &PlaybackPanes::openFailed, this, &ListPlayOn::onOpenFailed);
}

void ListPlayOn::onEnded()
{
    m_parts.window->showInformation(m_parts.session->length(), m_parts.session->length());
    playOn();
}

// Moves on to the next row as the end of a clip does.
void ListPlayOn::playOn()
{
    m_advancing = true;
    const int next = m_parts.window->playNextClip(+1);
    m_advancing = false;
    if (next == -1)
        m_parts.window->OnSlotsstopF();
    else
        m_parts.window->OnSlotsplay();
}

void ListPlayOn::onOpenFailed(Clip *clip, const QString &text)
{
    if (!m_playingOn || !clip) {
        emit warning(text);
        return;
    }
    m_parts.trips->showSkipped(clip);
    if (++m_skippedInRow >= m_parts.list->count()) {
        m_playingOn = false;
        return;
    }
    // Not from inside the failed open's answer.
    QMetaObject::invokeMethod(this, &ListPlayOn::playOn, Qt::QueuedConnection);
}
