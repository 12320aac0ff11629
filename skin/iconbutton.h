#pragma once

#include <QIcon>
#include <QToolButton>

#include <array>

#include "skin/buttonimage.h"

// Icon-drawn image button (the settings editor's exit button): the chosen icon at the tool-button
// icon size, centred, no text. The width and height are kept for the owner; they do not change
// the drawing.
class IconButton : public QToolButton
{
    Q_OBJECT

public:
    IconButton(QWidget *parent, const QString &normal, const QString &pressed, const QString &hover,
               const QString &disabled, int width, int height);

    int imageWidth() const;
    int imageHeight() const;
    ButtonImage shownImage() const;
    const QIcon &icon(ButtonImage which) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::array<QIcon, 4> m_icons;
    int m_width;
    int m_height;
};
