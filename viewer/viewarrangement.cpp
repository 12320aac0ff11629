#include "viewer/viewarrangement.h"

#include "session/viewerstate.h"
#include "viewer/videoview.h"
#include "viewer/viewerlayout.h"

ViewArrangement::ViewArrangement(VideoView *front, VideoView *rear, ViewerState *state, QObject *parent)
    : QObject(parent)
    , m_front(front)
    , m_rear(rear)
    , m_state(state)
    , m_windowSize(ViewerLayout::kDefaultWidth, ViewerLayout::kDefaultHeight)
{
    // state -> views: panning drags the pictures instead of moving the window.
    connect(state, &ViewerState::panModeChanged, this, [this](bool on) {
        m_front->setPanEnabled(on);
        m_rear->setPanEnabled(on);
    });
    m_front->setPanEnabled(state->isPanMode());
    m_rear->setPanEnabled(state->isPanMode());
}

void ViewArrangement::setWindowSize(const QSize &size)
{
    m_windowSize = size;
    arrange();
}

void ViewArrangement::showLarge(int channel)
{
    m_state->setLargeChannel(channel);
    arrange();
}

void ViewArrangement::swap()
{
    showLarge(m_state->largeChannel() == 0 ? 1 : 0);
}

VideoView *ViewArrangement::largeView() const
{
    return m_state->largeChannel() == 0 ? m_front : m_rear;
}

void ViewArrangement::zoom(int step)
{
    largeView()->zoomBy(step);
}

// The large view takes the area left of the side panel, its box as large as it is; the small one
// sits above the map.
void ViewArrangement::arrange()
{
    VideoView *large = largeView();
    VideoView *small = large == m_front ? m_rear : m_front;
    const int w = m_windowSize.width();
    const int h = m_windowSize.height();
    const QRect largeRect = ViewerLayout::largeViewRect(w, h);
    large->setGeometry(largeRect);
    large->setBoxForArea(largeRect.width(), largeRect.height());
    small->setGeometry(ViewerLayout::smallViewRect(w, h));
    small->setBoxForArea(ViewerLayout::kSmallViewBoxArea.width(), ViewerLayout::kSmallViewBoxArea.height());
    large->show();
    small->show();
    large->layoutRenderers();
    small->layoutRenderers();
}
