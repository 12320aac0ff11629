#include "skin/buttonimage.h"

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
