// The application icon and the splash screen.
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

#include "theme.h"

namespace {

const QString kGroup = QStringLiteral("Icon and splash");

// The icon drawn on a 256-unit grid: a dark tile with an amber segmented speed arc around a lens.
void drawIcon(QPainter &p, qreal size)
{
    p.save();
    p.scale(size / 256, size / 256);
    QLinearGradient tile(0, 0, 0, 256);
    tile.setColorAt(0, QColor(46, 47, 52));
    tile.setColorAt(1, QColor(12, 12, 14));
    p.setPen(QPen(QColor(80, 82, 88), 4));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(6, 6, 244, 244), 50, 50);

    const QPointF c(128, 136);
    constexpr int kSegments = 12;
    constexpr int kLit = 8;
    for (int i = 0; i < kSegments; ++i) {
        const qreal a1 = 225 - i * 270.0 / kSegments - 2, a2 = a1 - 270.0 / kSegments + 4;
        QPainterPath piece;
        piece.arcMoveTo(QRectF(c.x() - 100, c.y() - 100, 200, 200), a1);
        piece.arcTo(QRectF(c.x() - 100, c.y() - 100, 200, 200), a1, a2 - a1);
        piece.arcTo(QRectF(c.x() - 72, c.y() - 72, 144, 144), a2, a1 - a2);
        piece.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(i < kLit ? Theme::kAccent : QColor(58, 44, 28));
        p.drawPath(piece);
    }
    // Camera lens in the middle of the gauge.
    QRadialGradient lens(c - QPointF(12, 12), 56);
    lens.setColorAt(0, QColor(70, 74, 84));
    lens.setColorAt(1, QColor(6, 6, 8));
    p.setPen(QPen(QColor(150, 152, 158), 5));
    p.setBrush(lens);
    p.drawEllipse(c, 46, 46);
    p.setPen(QPen(QColor(40, 42, 48), 4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 28, 28);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 196, 110, 200));
    p.drawEllipse(c + QPointF(-14, -14), 7, 7);
    p.restore();
}

QImage icon(int size)
{
    QImage image = Theme::canvas({size, size});
    QPainter p(&image);
    Theme::prepare(p);
    drawIcon(p, size);
    return image;
}

QImage splash()
{
    QImage image = Theme::canvas({480, 280}, Theme::kWindow);
    QPainter p(&image);
    Theme::prepare(p);
    QRadialGradient glow(QPointF(140, 120), 420);
    glow.setColorAt(0, QColor(30, 31, 35));
    glow.setColorAt(1, QColor(8, 8, 9));
    p.fillRect(image.rect(), glow);
    p.translate(34, 52);
    drawIcon(p, 150);
    p.resetTransform();
    QFont title = Theme::uiFont(40, QFont::Bold);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(title);
    p.setPen(QColor(236, 237, 240));
    p.drawText(QRectF(206, 78, 260, 54), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("QRD-7700"));
    p.fillRect(QRectF(208, 138, 120, 3), Theme::kAccent);
    p.setFont(Theme::uiFont(15));
    p.setPen(QColor(160, 163, 170));
    p.drawText(QRectF(208, 150, 260, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Viewer and settings"));
    p.setPen(QColor(44, 45, 49));
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawRect(0, 0, 479, 279);
    return image;
}

} // namespace

void addBrandArt(ArtSet &set)
{
    // The .ico file is assembled from the 256-pixel picture by the writer (with smaller sizes).
    set.append({QStringLiteral("icon/ico_256.ico"), icon(256), kGroup});
    // The desktop entry's icon, installed into the icon theme.
    set.append({QStringLiteral("icon/qrd7700.png"), icon(256), kGroup});
    set.append({QStringLiteral("splash/splash.png"), splash(), kGroup});
}

QImage iconAtSize(int size)
{
    return icon(size);
}
