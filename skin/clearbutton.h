#pragma once

#include <QPixmap>
#include <QToolButton>

#include <array>

#include "skin/buttonimage.h"

// Image button of the viewer: four pixmaps, sized to its normal image, optional tool tip and a
// highlighted flag that keeps the hover image lit (the chosen category of the clip list).
class ClearButton : public QToolButton
{
    Q_OBJECT

public:
    ClearButton(QWidget *parent, const QString &normal, const QString &pressed, const QString &hover,
                const QString &disabled, const QString &toolTip = {});

    void setToolTipText(const QString &text);
    QString toolTipText() const;
    void setHighlighted(bool highlighted);
    bool isHighlighted() const;

    // The image the next paint draws.
    ButtonImage shownImage() const;
    const QPixmap &image(ButtonImage which) const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    std::array<QPixmap, 4> m_images;
    QString m_toolTip;
    bool m_highlighted = false;
};
