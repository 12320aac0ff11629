#include "skin/icontoolbutton.h"

#include <QPainter>
#include <QStyleOptionToolButton>

namespace {

constexpr QColor kTextColour(200, 200, 200);

} // namespace

IconToolButton::IconToolButton(QWidget *parent, const QString &normal, const QString &pressed,
                               const QString &hover, const QString &disabled)
    : QToolButton(parent)
    , m_images{QPixmap(normal), QPixmap(pressed), QPixmap(hover), QPixmap(disabled)}
{
    QFont font;
    font.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Gulim")});
    font.setPointSize(9);
    font.setWeight(QFont::Normal);
    setFont(font);
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
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), image(shownImage()));
    if (!text().isEmpty()) {
        painter.setPen(kTextColour);
        painter.setFont(font());
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
}
