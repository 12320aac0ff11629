#include "viewer/windowmouserouter.h"

#include "session/viewerstate.h"
#include "viewer/videoview.h"
#include "viewer/viewarrangement.h"
#include "viewer/viewerlayout.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPointer>

namespace {

// The point lies in the rectangle, its right and bottom edges (left + width, top + height) included.
bool containsWithEdges(const QRect &rect, const QPoint &point)
{
    return point.x() >= rect.left() && point.x() <= rect.left() + rect.width() && point.y() >= rect.top()
           && point.y() <= rect.top() + rect.height();
}

// Hands a copy of a mouse event to `target`, at `position` in the target's coordinates. The copy
// goes to the target alone: an event the target ignores (or a disabled target) would otherwise
// propagate back to the window, which would pass it on again, without end.
void forwardMouseEvent(QWidget *target, const QMouseEvent *event, const QPointF &position)
{
    QMouseEvent copy(event->type(), position, event->globalPosition(), event->button(), event->buttons(),
                     event->modifiers());
    const QPointer<QWidget> guard(target);
    const bool propagates = !target->testAttribute(Qt::WA_NoMousePropagation);
    target->setAttribute(Qt::WA_NoMousePropagation);
    QCoreApplication::sendEvent(target, &copy);
    if (guard)
        target->setAttribute(Qt::WA_NoMousePropagation, !propagates);
}

} // namespace

WindowMouseRouter::WindowMouseRouter(QWidget *window, QWidget *dashboard, const ViewArrangement *views,
                                     const ViewerState *state)
    : QObject(window)
    , m_window(window)
    , m_dashboard(dashboard)
    , m_views(views)
    , m_state(state)
{
    window->installEventFilter(this);
}

// The window's own handling of the event follows; it does nothing with mouse events.
bool WindowMouseRouter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: press(static_cast<QMouseEvent *>(event)); break;
        case QEvent::MouseMove: move(static_cast<QMouseEvent *>(event)); break;
        case QEvent::MouseButtonRelease: release(static_cast<QMouseEvent *>(event)); break;
        default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void WindowMouseRouter::press(QMouseEvent *event)
{
    if (m_state->isPanMode())
        toLargeView(event);
    else
        toDashboard(event);
}

void WindowMouseRouter::move(QMouseEvent *event)
{
    if (m_state->isPanMode() || ViewerLayout::largeViewMoveArea().contains(event->position().toPoint()))
        toLargeView(event);
}

void WindowMouseRouter::release(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        toDashboard(event);
}

void WindowMouseRouter::toDashboard(QMouseEvent *event)
{
    if (containsWithEdges(m_dashboard->geometry(), event->position().toPoint()))
        forwardMouseEvent(m_dashboard, event, event->position() - m_dashboard->pos());
}

void WindowMouseRouter::toLargeView(QMouseEvent *event)
{
    VideoView *view = m_views->largeView();
    forwardMouseEvent(view, event, view->mapFrom(m_window, event->position()));
}
