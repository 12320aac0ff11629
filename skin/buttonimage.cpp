#include "skin/buttonimage.h"

#include <QPainter>
#include <QPixmap>
#include <QWidget>

ButtonImage chooseButtonImage(QStyle::State state)
{
    if (!(state & QStyle::State_Enabled))
        return ButtonImage::Disabled;
    if (state & QStyle::State_MouseOver)
        return (state & (QStyle::State_Sunken | QStyle::State_On)) ? ButtonImage::Pressed : ButtonImage::Hover;
    return ButtonImage::Normal;
}

ButtonImage chooseClearButtonImage(QStyle::State state, bool highlighted)
{
    return highlighted ? ButtonImage::Hover : chooseButtonImage(state);
}

void paintImageButton(QWidget *button, const QPixmap &image, const QString &text)
{
    QPainter painter(button);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(button->rect(), image);
    if (!text.isEmpty()) {
        painter.setPen(QColor(200, 200, 200));
        painter.setFont(button->font());
        painter.drawText(button->rect(), Qt::AlignCenter, text);
    }
}
