#include "skin/skinfont.h"

#include <QStringList>

QFont skinFont(int pointSize, QFont::Weight weight)
{
    QFont font;
    font.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Gulim")});
    font.setPointSize(pointSize);
    font.setWeight(weight);
    font.setItalic(false);
    return font;
}
