// The timeline strip of the dashboard under the mouse: a click seeks (its rules are kept as they
// were), a drag scrubs the pictures along and seeks exactly where it is released, and the pointer
// resting on the strip shows the time under it.
#include "viewer/widgetprogressa.h"

#include "viewer/dashboardgeometry.h"

#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>

Q_DECLARE_LOGGING_CATEGORY(lcDashboard)

namespace {
const QColor kPointerLabelBackground(20, 20, 20, 220);
const QColor kPointerLabelText(230, 230, 230);
} // namespace

void WidgetProgressA::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    qCDebug(lcDashboard, "WidgetProgressA::mousePressEvent (%d,%d)", pos.x(), pos.y());
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (pos.y() > Dashboard::kStripMaxY) {
        qCDebug(lcDashboard, "break y(mousePressEvent) = %d", pos.y());
        QWidget::mousePressEvent(event);
        return;
    }
    if (Dashboard::stripArea(rect()).contains(pos)) {
        m_dragging = true;
        m_dragPoint = pos;
        update();
        event->accept();
    }
}

void WidgetProgressA::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (!m_dragging) {
        if (!hoverAt(pos))
            event->ignore();
        return;
    }
    if (event->buttons() & Qt::LeftButton)
        scrubTo(pos.x());
    if (pos.y() > Dashboard::kStripMaxY) {
        qCDebug(lcDashboard, "break y(mouseMoveEvent) = %d", pos.y());
        QWidget::mouseMoveEvent(event);
        return;
    }
    if (Dashboard::stripArea(rect()).contains(pos)) {
        m_dragPoint = pos;
        update();
        event->accept();
    }
}

void WidgetProgressA::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !m_dragging) {
        event->ignore();
        return;
    }
    if (finishScrub(event))
        return;
    if (pos.y() > Dashboard::kStripMaxY) {
        qCDebug(lcDashboard, "break y(mouseReleaseEvent) = %d", pos.y());
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    if (!Dashboard::stripArea(rect()).contains(pos)) {
        event->ignore();
        return;
    }
    m_releasePoint = pos;
    const int newpos = Dashboard::releasePosition(m_timeRangeStart, m_timeRangeEnd, pos.x(), width());
    qCDebug(lcDashboard, "%d/%d, newpos=%d", pos.x() - 2, width() - 14, newpos);
    emit clicked(newpos);
}

std::optional<int> WidgetProgressA::pointerPosition() const
{
    if (!m_pointerX)
        return std::nullopt;
    return Dashboard::releasePosition(m_timeRangeStart, m_timeRangeEnd, *m_pointerX, width());
}

// The drag follows the pointer along the strip, held at its ends; the pictures follow through
// scrubbed().
void WidgetProgressA::scrubTo(int x)
{
    const int position =
        Dashboard::releasePosition(m_timeRangeStart, m_timeRangeEnd, Dashboard::clampToStrip(x, rect()), width());
    if (m_scrubbing && position == m_scrubPosition)
        return;
    m_scrubbing = true;
    m_scrubPosition = position;
    m_pointerX.reset();
    update();
    emit scrubbed(position);
}

// A drag that scrubbed ends at the release, wherever it is: the pictures land exactly where the
// marker was left. A press and release without a drag keep the strip's click rules.
bool WidgetProgressA::finishScrub(QMouseEvent *event)
{
    if (!m_scrubbing)
        return false;
    m_dragging = false;
    m_scrubbing = false;
    const int x = Dashboard::clampToStrip(event->position().toPoint().x(), rect());
    m_scrubPosition = Dashboard::releasePosition(m_timeRangeStart, m_timeRangeEnd, x, width());
    update();
    emit clicked(m_scrubPosition);
    return true;
}

bool WidgetProgressA::hoverAt(const QPoint &pos)
{
    const bool onStrip = pos.y() <= Dashboard::kStripMaxY && Dashboard::stripArea(rect()).contains(pos);
    const std::optional<int> x = onStrip && m_timeRangeEnd > m_timeRangeStart ? std::optional<int>(pos.x())
                                                                                : std::nullopt;
    if (x != m_pointerX) {
        m_pointerX = x;
        update(0, 0, width(), Dashboard::kStripHeight);
    }
    return onStrip;
}

void WidgetProgressA::leaveEvent(QEvent *event)
{
    hoverAt(QPoint(-1, -1));
    QWidget::leaveEvent(event);
}

void WidgetProgressA::paintPointerLabel(QPainter &painter) const
{
    const std::optional<int> position = m_dragging && m_scrubbing ? std::optional<int>(m_scrubPosition)
                                                                   : pointerPosition();
    if (!position)
        return;
    const QString text = Dashboard::pointerTimeText(*position);
    const QFontMetrics metrics(font());
    const QSize label(metrics.horizontalAdvance(text) + 8, metrics.height() + 2);
    const int x = m_pointerX ? *m_pointerX : Dashboard::markerX(*position, m_timeRangeEnd, width());
    const QRect box = Dashboard::pointerLabelRect(x, width(), label);
    painter.fillRect(box, kPointerLabelBackground);
    painter.setPen(kPointerLabelText);
    painter.drawText(box, Qt::AlignCenter, text);
}
