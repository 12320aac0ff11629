#pragma once

// Whether the texts on screen can be read: the contrast of a text's colour against the colour under
// it, as the web's accessibility guidelines define it (1 … 21; 4.5 : 1 for body text), measured on
// the pictures the widgets draw.
#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRect>
#include <QSignalBlocker>
#include <QStringList>
#include <QWidget>

#include <cmath>

namespace Readability {

inline double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return la > lb ? la / lb : lb / la;
}

// The contrast of a text drawn in `area` of `drawn`, where `under` is the same picture without the
// text: of the pixels the text changed, the one it changed most shows the text's colour over its
// background. 0 when nothing changed.
inline double drawnContrast(const QImage &drawn, const QImage &under, const QRect &area)
{
    const QRect inside = area & drawn.rect() & under.rect();
    double best = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb p = drawn.pixel(x, y);
            const QRgb q = under.pixel(x, y);
            if (p != q)
                best = std::max(best, contrast(QColor(p), QColor(q)));
        }
    }
    return best;
}

struct Report
{
    int checked = 0;         // texts measured
    QStringList unreadable;  // "text: contrast" of those below the minimum
};

// Measures every visible, enabled label, button and text field of `window` that shows a text: the
// window is grabbed as it is and with that one text emptied.
inline Report measureTexts(QWidget *window, double minimum = 4.5)
{
    Report report;
    const QImage drawn = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QList<QWidget *> widgets = window->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        if (!widget->isVisibleTo(window) || !widget->isEnabled() || widget->window() != window)
            continue;
        if (!qobject_cast<QLabel *>(widget) && !qobject_cast<QAbstractButton *>(widget)
            && !qobject_cast<QLineEdit *>(widget))
            continue;
        const QString text = widget->property("text").toString();
        if (text.trimmed().isEmpty())
            continue;
        QImage under;
        {
            // Nobody may take the emptied text for an edit (a spin box would read it back).
            const QSignalBlocker quiet(widget);
            widget->setProperty("text", QString());
            under = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
            widget->setProperty("text", text);
        }
        const QRect area(widget->mapTo(window, QPoint(0, 0)), widget->size());
        const double measured = drawnContrast(drawn, under, area);
        ++report.checked;
        if (measured < minimum)
            report.unreadable.append(QStringLiteral("%1 (%2): %3")
                                         .arg(text, QLatin1String(widget->metaObject()->className()))
                                         .arg(measured, 0, 'f', 2));
    }
    return report;
}

} // namespace Readability
