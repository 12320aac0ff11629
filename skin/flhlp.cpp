#include "skin/flhlp.h"

#include <QMouseEvent>
#include <QWidget>

namespace {

// Exactly these two hints: no system frame, no title bar; everything else waits for detaching.
constexpr Qt::WindowFlags kFramelessFlags = Qt::FramelessWindowHint | Qt::CustomizeWindowHint;

} // namespace

FlHlp::FlHlp(QObject *parent)
    : QObject(parent)
{
}

FlHlp::~FlHlp()
{
    // A widget that is already being destroyed (typically our own parent) has dropped out of
    // m_states through its destroyed() signal; the rest get their old flags back.
    const auto states = m_states;
    m_states.clear();
    for (const auto &state : states)
        restore(*state);
}

void FlHlp::attachTo(QWidget *widget)
{
    if (!widget || m_states.contains(widget))
        return;
    auto state = std::make_shared<FramelessWindowState>();
    state->widget = widget;
    state->savedWindowFlags = widget->windowFlags();
    const bool visible = widget->isVisible();

    widget->setMouseTracking(true);
    widget->setWindowFlags(kFramelessFlags);
    widget->setAttribute(Qt::WA_Hover, true);
    if (visible)
        widget->show();   // changing the window flags hides the widget

    m_states.insert(widget, state);
    connect(widget, &QObject::destroyed, this, &FlHlp::forget);
    widget->installEventFilter(this);
}

void FlHlp::detachFrom(QWidget *widget)
{
    const auto state = m_states.take(widget);
    if (!state)
        return;
    disconnect(widget, &QObject::destroyed, this, &FlHlp::forget);
    restore(*state);
}

bool FlHlp::isAttached(const QWidget *widget) const
{
    return m_states.contains(widget);
}

void FlHlp::setMovable(bool movable)
{
    m_movable = movable;
}

bool FlHlp::isMovable() const
{
    return m_movable;
}

void FlHlp::setResizable(bool resizable)
{
    m_resizable = resizable;
}

bool FlHlp::isResizable() const
{
    return m_resizable;
}

void FlHlp::forget(QObject *widget)
{
    m_states.remove(widget);
}

void FlHlp::restore(FramelessWindowState &state)
{
    QWidget *widget = state.widget;
    if (!widget)
        return;
    widget->removeEventFilter(this);
    const bool visible = widget->isVisible();
    widget->setMouseTracking(false);
    widget->setWindowFlags(state.savedWindowFlags);
    widget->setAttribute(Qt::WA_Hover, false);
    if (visible)
        widget->show();
}

bool FlHlp::eventFilter(QObject *watched, QEvent *event)
{
    const auto it = m_states.constFind(watched);
    if (it == m_states.constEnd() || !it.value()->widget)
        return QObject::eventFilter(watched, event);
    FramelessWindowState &state = *it.value();
    QWidget *widget = state.widget;

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            state.leftButtonDown = true;
            state.dragOffset = mouse->globalPosition().toPoint() - widget->frameGeometry().topLeft();
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            state.leftButtonDown = false;
        break;
    case QEvent::MouseMove:
        if (state.leftButtonDown && m_movable)
            widget->move(static_cast<QMouseEvent *>(event)->globalPosition().toPoint() - state.dragOffset);
        break;
    case QEvent::Leave:
        if (!state.leftButtonDown)
            widget->unsetCursor();
        break;
    case QEvent::HoverMove:   // only of use to edge resizing, which this program never switches on
    default:
        break;
    }
    return false;
}
