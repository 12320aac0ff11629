#include "skin/clearbutton.h"

#include "skin/skinfont.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyleOptionToolButton>
#include <QToolTip>

ClearButton::ClearButton(QWidget *parent, const QString &normal, const QString &pressed, const QString &hover,
                         const QString &disabled, const QString &toolTip)
    : QToolButton(parent)
    , m_images{QPixmap(normal), QPixmap(pressed), QPixmap(hover), QPixmap(disabled)}
    , m_toolTip(toolTip)
{
    setFont(skinFont(10, QFont::DemiBold));
    setAutoRaise(true);
    resize(m_images[0].size());
}

void ClearButton::setToolTipText(const QString &text)
{
    m_toolTip = text;
}

QString ClearButton::toolTipText() const
{
    return m_toolTip;
}

void ClearButton::setHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    update();
}

bool ClearButton::isHighlighted() const
{
    return m_highlighted;
}

ButtonImage ClearButton::shownImage() const
{
    QStyleOptionToolButton option;
    initStyleOption(&option);
    return chooseClearButtonImage(option.state, m_highlighted);
}

const QPixmap &ClearButton::image(ButtonImage which) const
{
    return m_images[static_cast<int>(which)];
}

bool ClearButton::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && !m_toolTip.isEmpty()) {
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), m_toolTip, this);
        return true;
    }
    // Deliberately the plain widget handling, not the tool button's: the tool button's own
    // tool tip and hover bookkeeping are not wanted; the virtual mouse handlers still run.
    return QWidget::event(event);
}

void ClearButton::paintEvent(QPaintEvent *)
{
    paintImageButton(this, image(shownImage()), text());
}
