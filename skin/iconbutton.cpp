#include "skin/iconbutton.h"

#include <QPainter>
#include <QStyleOptionToolButton>

IconButton::IconButton(QWidget *parent, const QString &normal, const QString &pressed, const QString &hover,
                       const QString &disabled, int width, int height)
    : QToolButton(parent)
    , m_icons{QIcon(normal), QIcon(pressed), QIcon(hover), QIcon(disabled)}
    , m_width(width)
    , m_height(height)
{
    setAutoRaise(true);
}

int IconButton::imageWidth() const
{
    return m_width;
}

int IconButton::imageHeight() const
{
    return m_height;
}

ButtonImage IconButton::shownImage() const
{
    QStyleOptionToolButton option;
    initStyleOption(&option);
    return chooseButtonImage(option.state);
}

const QIcon &IconButton::icon(ButtonImage which) const
{
    return m_icons[static_cast<int>(which)];
}

void IconButton::paintEvent(QPaintEvent *)
{
    if (icon(ButtonImage::Normal).isNull() || icon(ButtonImage::Pressed).isNull())
        return;
    const QSize size = iconSize().boundedTo(this->size());
    const QPixmap pixmap = icon(shownImage()).pixmap(size);
    if (pixmap.isNull())
        return;
    // The icon may come out smaller than asked for (it never scales up): centre what it gives.
    const QSize drawn = pixmap.deviceIndependentSize().toSize();
    QPainter painter(this);
    painter.drawPixmap(QRect(QPoint((width() - drawn.width()) / 2, (height() - drawn.height()) / 2), drawn), pixmap);
}
