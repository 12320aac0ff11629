#include "skin/icontoolbutton.h"

#include "skin/skinfont.h"

#include <QPainter>
#include <QStyleOptionToolButton>

IconToolButton::IconToolButton(QWidget *parent, const QString &normal, const QString &pressed,
                               const QString &hover, const QString &disabled)
    : QToolButton(parent)
    , m_images{QPixmap(normal), QPixmap(pressed), QPixmap(hover), QPixmap(disabled)}
{
    setFont(skinFont(9));
    setAutoRaise(true);
}

ButtonImage IconToolButton::shownImage() const
{
    QStyleOptionToolButton option;
    initStyleOption(&option);
    return chooseButtonImage(option.state);
}

const QPixmap &IconToolButton::image(ButtonImage which) const
{
    return m_images.at(static_cast<int>(which));
}

void IconToolButton::paintEvent(QPaintEvent *)
{
    paintImageButton(this, image(shownImage()), text());
}
