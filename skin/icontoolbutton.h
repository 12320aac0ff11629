#pragma once

#include <QList>
#include <QPixmap>
#include <QToolButton>

#include "skin/buttonimage.h"

// Image button of the settings editor: four pixmaps scaled over the button, text centred on top.
// Its owner sets the size.
class IconToolButton : public QToolButton
{
    Q_OBJECT

public:
    IconToolButton(QWidget *parent, const QString &normal, const QString &pressed, const QString &hover,
                   const QString &disabled);

    ButtonImage shownImage() const;
    const QPixmap &image(ButtonImage which) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<QPixmap> m_images;
};
