#pragma once

#include <QStyle>

class QPixmap;
class QString;
class QWidget;

// The four images of an image button, in the order the constructors take them.
enum class ButtonImage { Normal = 0, Pressed = 1, Hover = 2, Disabled = 3 };

// The image a button shows for its tool-button style state: disabled first; with the mouse
// over it, pressed when down or checked, else hover; normal otherwise (so a keyboard press
// without the mouse over the button keeps the normal image).
ButtonImage chooseButtonImage(QStyle::State state);

// ClearButton's rule: the hover image whenever the button is highlighted, whatever its state.
ButtonImage chooseClearButtonImage(QStyle::State state, bool highlighted);

// Paints an image button: `image` scaled over the whole button, then its text (if any) centred in
// light grey (200, 200, 200) with the button's font.
void paintImageButton(QWidget *button, const QPixmap &image, const QString &text);
