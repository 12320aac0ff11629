#pragma once

#include <QPixmap>
#include <QString>

#include "settingsui/configlayout.h"

class QPainter;

// The pictures the settings form is painted with.
struct ConfigPictures
{
    QPixmap background;        // the whole form with its empty boxes
    QPixmap chosen;            // check.png
    QPixmap ticked;            // check1.png
    QPixmap unavailableToggle; // disbox.png
    QPixmap unavailableChoice; // discheck2.png

    static ConfigPictures load();
    const QPixmap &forMark(ConfigLayout::Mark mark) const;
};

// Paints the settings form: the background, the labels and choice texts, then the marks for the
// values and the model. The painter's font is used for every text.
void paintConfigForm(QPainter &painter, const ConfigPictures &pictures, const ConfigLayout::Values &values,
                     ConfigLayout::ModelGroup model, const QString &firmwareText);
