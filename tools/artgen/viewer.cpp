// The viewer window's skin, the video view's idle picture and the loading banner.
#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

#include "theme.h"

namespace {

const QString kGroup = QStringLiteral("Viewer");
const QColor kWell(3, 3, 4);
const QColor kFrame(44, 46, 50);

// Title strip: rows 0..30, stretched sideways in the maximized layout, so only the top-left
// corner (22 x 32) carries a mark.
void drawTitleStrip(QPainter &p)
{
    QLinearGradient strip(0, 0, 0, 31);
    strip.setColorAt(0, QColor(36, 37, 41));
    strip.setColorAt(1, QColor(17, 17, 19));
    p.fillRect(0, 0, 1024, 30, strip);
    p.fillRect(0, 30, 1024, 1, QColor(54, 56, 60));
    p.fillRect(0, 31, 1024, 1, QColor(4, 4, 5));
    // Corner mark: an amber gauge arc.
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(Theme::kAccent, 2.2);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawArc(QRectF(5, 8, 13, 13), -40 * 16, 260 * 16);
    p.drawLine(QPointF(11.5, 14.5), QPointF(15, 11));
    p.restore();
}

void drawFramedWell(QPainter &p, const QRect &inner)
{
    p.fillRect(inner, kWell);
    p.setPen(kFrame);
    p.setBrush(Qt::NoBrush);
    p.drawRect(inner.adjusted(-1, -1, 0, 0));
}

void drawRightPanel(QPainter &p)
{
    QLinearGradient panel(679, 0, 1023, 0);
    panel.setColorAt(0, QColor(16, 17, 19));
    panel.setColorAt(1, QColor(20, 21, 23));
    p.fillRect(679, 32, 344, 613, panel);
    p.fillRect(679, 32, 1, 613, QColor(34, 35, 39));
    drawFramedWell(p, QRect(681, 32, 320, 180));   // small view
    drawFramedWell(p, QRect(680, 224, 320, 206));  // map
    // Folder row: a recessed field for the folder path, the file and folder buttons beside it.
    p.fillRect(681, 432, 260, 16, QColor(7, 7, 8));
    p.setPen(QColor(40, 41, 45));
    p.drawRect(680, 431, 261, 17);
    // Divider between the category and the filter buttons.
    p.fillRect(848, 453, 1, 15, QColor(44, 45, 49));
    // The clip list draws itself at 681, 469; its bottom rim and the panel foot.
    p.fillRect(680, 631, 322, 1, QColor(30, 31, 34));
}

QImage viewerSkin()
{
    QImage image = Theme::canvas({1024, 645}, Theme::kWindow);
    QPainter p(&image);
    drawTitleStrip(p);
    // Left edge: stretched downwards in the maximized layout, so uniform along y.
    p.fillRect(0, 32, 21, 613, QColor(14, 14, 16));
    p.fillRect(20, 32, 1, 613, QColor(28, 29, 32));
    drawFramedWell(p, QRect(22, 32, 640, 360));    // video area
    // Strip between the video area and the right panel (the swap-views button sits in it).
    QLinearGradient strip(662, 0, 679, 0);
    strip.setColorAt(0, QColor(12, 12, 14));
    strip.setColorAt(0.5, QColor(20, 20, 23));
    strip.setColorAt(1, QColor(12, 12, 14));
    p.fillRect(663, 31, 16, 362, strip);
    drawRightPanel(p);
    return image;
}

QImage idleScreen()
{
    QImage image = Theme::canvas({640, 360});
    QPainter p(&image);
    Theme::prepare(p);
    QRadialGradient fill(QPointF(320, 180), 380);
    fill.setColorAt(0, QColor(22, 23, 26));
    fill.setColorAt(1, QColor(4, 4, 5));
    p.fillRect(image.rect(), fill);
    // Viewfinder corners.
    QPen pen(QColor(62, 64, 69), 2);
    pen.setCapStyle(Qt::SquareCap);
    p.setPen(pen);
    const int m = 24, l = 30;
    p.drawPolyline(QPolygon{{m, m + l}, {m, m}, {m + l, m}});
    p.drawPolyline(QPolygon{{640 - m - l, m}, {640 - m, m}, {640 - m, m + l}});
    p.drawPolyline(QPolygon{{640 - m, 360 - m - l}, {640 - m, 360 - m}, {640 - m - l, 360 - m}});
    p.drawPolyline(QPolygon{{m + l, 360 - m}, {m, 360 - m}, {m, 360 - m - l}});
    // A camera lens in the middle.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(46, 47, 52), 3));
    p.drawEllipse(QPointF(320, 180), 42, 42);
    p.setPen(QPen(QColor(40, 41, 45), 2));
    p.drawEllipse(QPointF(320, 180), 26, 26);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(36, 37, 41));
    p.drawEllipse(QPointF(320, 180), 11, 11);
    p.setBrush(QColor(255, 152, 32, 110));
    p.drawEllipse(QPointF(313, 173), 3, 3);
    return image;
}

QImage loadingBanner()
{
    QImage image = Theme::canvas({390, 84});
    QPainter p(&image);
    Theme::prepare(p);
    p.setPen(QPen(QColor(255, 152, 32, 170), 1.5));
    p.setBrush(QColor(8, 8, 9, 215));
    p.drawRoundedRect(QRectF(1, 1, 388, 82), 14, 14);
    // Spinner: twelve dots fading round the circle.
    const QPointF c(50, 42);
    for (int i = 0; i < 12; ++i) {
        const qreal a = i * M_PI / 6;
        QColor dot = Theme::kAccent;
        dot.setAlpha(40 + i * 18);
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        p.drawEllipse(c + QPointF(std::cos(a) * 18, std::sin(a) * 18), 3.4, 3.4);
    }
    QFont font = Theme::uiFont(30, QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 5);
    p.setFont(font);
    p.setPen(QColor(228, 229, 232));
    p.drawText(QRectF(92, 0, 290, 84), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("LOADING"));
    return image;
}

} // namespace

void addViewerArt(ArtSet &set)
{
    set.append({QStringLiteral("2012/marlow_main_viewer_bg.png"), viewerSkin(), kGroup});
    set.append({QStringLiteral("2012/screen.png"), idleScreen(), kGroup});
    set.append({QStringLiteral("2012/loading.png"), loadingBanner(), kGroup});
}
