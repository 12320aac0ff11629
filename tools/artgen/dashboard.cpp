// The telemetry dashboard's pictures: the panel skin, the speed meter with its segments and
// digits, caption boxes, the timeline marker and the volume bar.
#include <QLinearGradient>
#include <QRadialGradient>

#include "glyphs.h"
#include "meter.h"
#include "skin/skingeometry.h"
#include "theme.h"

namespace {

const QString kGroup = QStringLiteral("Dashboard");

// The top 36 rows are stretched across the widget: horizontal features only.
void drawTimelineStrip(QPainter &p, int width)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    QLinearGradient fill(0, 0, 0, 36);
    fill.setColorAt(0, QColor(4, 4, 5));
    fill.setColorAt(0.5, QColor(11, 11, 13));
    fill.setColorAt(1, QColor(4, 4, 5));
    p.fillRect(0, 0, width, 36, fill);
    p.fillRect(0, 0, width, 1, Theme::kEdge);
    p.fillRect(0, 35, width, 1, Theme::kEdge);
    for (int y : {9, 27})
        p.fillRect(0, y, width, 1, QColor(22, 23, 25));
    p.fillRect(0, 18, width, 1, QColor(44, 45, 49));   // rest line of the acceleration graph
    p.restore();
}

void drawButtonBand(QPainter &p)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    QLinearGradient band(0, 37, 0, 79);
    band.setColorAt(0, QColor(16, 16, 18));
    band.setColorAt(1, QColor(11, 11, 12));
    p.fillRect(0, 37, 642, 42, band);
    p.fillRect(0, 79, 642, 1, QColor(32, 33, 36));
    // Separators between the transport, file/frame, view and sound groups.
    for (int x : {103, 322, 547}) {
        p.fillRect(x, 43, 1, 30, QColor(4, 4, 5));
        p.fillRect(x + 1, 43, 1, 30, QColor(38, 39, 43));
    }
    // Volume slider trough frame (the slider sits at 577, 51, 52 x 9).
    p.setPen(QColor(36, 37, 40));
    p.drawRect(575, 49, 55, 12);
    p.restore();
}

void drawBlock(QPainter &p, const QRectF &r)
{
    p.save();
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, QColor(20, 21, 23));
    fill.setColorAt(1, QColor(13, 13, 15));
    p.setPen(QPen(QColor(36, 37, 41), 1));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    p.restore();
}

void drawAxisLabel(QPainter &p, int y, const QString &name, const QColor &colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(13, y + 4, 3, 8, colour);
    p.restore();
    Theme::drawCaption(p, QRectF(18, y, 12, 16), name, Qt::AlignCenter);
}

void drawLeftBlock(QPainter &p)
{
    drawBlock(p, QRectF(6, 82, 120, 160));
    Theme::drawCaption(p, QRectF(13, 158, 100, 14), QStringLiteral("G-SENSOR"));
    const struct { int y; const char *name; QColor colour; } axes[] = {
        {174, "X", QColor(255, 0, 0)}, {193, "Y", QColor(255, 255, 0)}, {212, "Z", QColor(40, 90, 255)}};
    for (const auto &axis : axes) {
        drawAxisLabel(p, axis.y, QString::fromLatin1(axis.name), axis.colour);
        Theme::drawField(p, QRectF(31, axis.y, 89, 16));
    }
}

void drawRightBlock(QPainter &p)
{
    drawBlock(p, QRectF(517, 82, 125, 160));
    Theme::drawCaption(p, QRectF(524, 170, 100, 14), QStringLiteral("POSITION"));
    Theme::drawCaption(p, QRectF(522, 188, 31, 16), QStringLiteral("LAT"), Qt::AlignRight | Qt::AlignVCenter);
    Theme::drawCaption(p, QRectF(522, 216, 31, 16), QStringLiteral("LON"), Qt::AlignRight | Qt::AlignVCenter);
    Theme::drawField(p, QRectF(555, 188, 86, 16));
    Theme::drawField(p, QRectF(555, 216, 86, 16));
}

QImage dashboardSkin()
{
    QImage image = Theme::canvas({642, 286}, Theme::kWindow);
    QPainter p(&image);
    Theme::prepare(p);
    drawTimelineStrip(p, 642);
    QLinearGradient panel(0, 36, 0, 286);
    panel.setColorAt(0, QColor(14, 14, 16));
    panel.setColorAt(1, Theme::kWindow);
    p.fillRect(0, 36, 642, 250, panel);
    drawButtonBand(p);
    // Side rims: on a wide window the panel sits centred under the stretched strip.
    p.fillRect(QRectF(0, 36, 1, 250), QColor(30, 31, 34));
    p.fillRect(QRectF(641, 36, 1, 250), QColor(30, 31, 34));
    drawLeftBlock(p);
    drawRightBlock(p);
    Meter::drawFace(p, false);
    return image;
}

QImage meterFace()
{
    const QRect face = SkinGeometry::kMeterFace;
    QImage image = Theme::canvas(face.size());
    QPainter p(&image);
    Theme::prepare(p);
    p.translate(-face.topLeft());
    Meter::drawFace(p, true);
    return image;
}

QImage segment(int k)
{
    const QRect r = SkinGeometry::segmentRect(k);
    QImage image = Theme::canvas(r.size());
    QPainter p(&image);
    Theme::prepare(p);
    p.translate(-r.topLeft());
    Meter::drawLitSegment(p, k);
    return image;
}

QImage digit(int d)
{
    QImage image = Theme::canvas({20, 23});
    QPainter p(&image);
    Theme::prepare(p);
    Meter::drawDigit(p, QPointF(0, 0), d, QColor(246, 242, 232));
    return image;
}

QImage unitLabel(QSize size, const QString &text, qreal pixelSize)
{
    QImage image = Theme::canvas(size);
    QPainter p(&image);
    Theme::prepare(p);
    p.setFont(Theme::uiFont(pixelSize, QFont::Bold));
    p.setPen(QColor(176, 179, 184));
    p.drawText(QRectF(0, 0, size.width(), size.height()), Qt::AlignCenter, text);
    return image;
}

QImage gpsOn()
{
    QImage image = Theme::canvas({43, 43});
    QPainter p(&image);
    Theme::prepare(p);
    QRadialGradient glow(QPointF(21.5, 21.5), 21.5);
    glow.setColorAt(0, QColor(255, 152, 32, 90));
    glow.setColorAt(1, QColor(255, 152, 32, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QRectF(0, 0, 43, 43));
    Glyphs::satellite(p, QRectF(6, 6, 31, 31), Theme::kAccent);
    return image;
}

// A caption strip of `captionHeight` rows above a light value field.
QImage captionBox(QSize size, const QString &caption, int captionHeight)
{
    QImage image = Theme::canvas(size);
    QPainter p(&image);
    Theme::prepare(p);
    if (captionHeight > 0)
        Theme::drawCaption(p, QRectF(2, 0, size.width() - 2, captionHeight), caption);
    Theme::drawField(p, QRectF(0, captionHeight, size.width(), size.height() - captionHeight));
    return image;
}


QImage progressMarker()
{
    // A playhead flag at the top and bottom of the 1-pixel line the dashboard draws at x.
    QImage image = Theme::canvas({7, 33});
    QPainter p(&image);
    Theme::prepare(p);
    p.setPen(Qt::NoPen);
    p.setBrush(Theme::kAccent);
    p.drawPolygon(QPolygonF{{0, 0}, {7, 0}, {0, 7}});
    p.drawPolygon(QPolygonF{{0, 33}, {7, 33}, {0, 26}});
    p.fillRect(QRectF(1, 7, 1, 19), QColor(255, 152, 32, 90));
    return image;
}

QImage volumeBar()
{
    QImage image = Theme::canvas({52, 9}, Theme::kRecess);
    QPainter p(&image);
    p.setPen(Theme::kEdge);
    p.drawRect(0, 0, 51, 8);
    for (int i = 0; i < 10; ++i)
        p.fillRect(1 + 5 * i, 1, 4, 7, QColor(28, 28, 31));
    return image;
}

QImage volumeLevel()
{
    // One lit block; the last column stays clear so that neighbouring blocks read apart.
    QImage image = Theme::canvas({5, 7});
    QPainter p(&image);
    QLinearGradient fill(0, 0, 0, 7);
    fill.setColorAt(0, Theme::kAccentBright);
    fill.setColorAt(1, Theme::kAccentDeep);
    p.fillRect(0, 0, 4, 7, fill);
    return image;
}

} // namespace

void addDashboardArt(ArtSet &set)
{
    set.append({QStringLiteral("2012/marlow_main_widget_bg.png"), dashboardSkin(), kGroup});
    set.append({QStringLiteral("2012/speed_meter1.png"), meterFace(), kGroup});
    for (int k = 0; k < 24; ++k)
        set.append({QStringLiteral("2012/s%1.png").arg(k + 1), segment(k), kGroup});
    for (int d = 0; d <= 9; ++d)
        set.append({QStringLiteral("2012/%1.png").arg(d), digit(d), kGroup});
    set.append({QStringLiteral("2012/km.png"), unitLabel({24, 13}, QStringLiteral("km/h"), 8), kGroup});
    set.append({QStringLiteral("2012/mph.png"), unitLabel({36, 13}, QStringLiteral("mph"), 10), kGroup});
    set.append({QStringLiteral("2012/gps_on.png"), gpsOn(), kGroup});
    set.append({QStringLiteral("2012/playtime.png"), captionBox({82, 16}, {}, 0), kGroup});
    set.append({QStringLiteral("2012/model.png"), captionBox({82, 29}, QStringLiteral("MODEL"), 13), kGroup});
    set.append({QStringLiteral("2012/date.png"), captionBox({82, 30}, QStringLiteral("DATE"), 16), kGroup});
    set.append({QStringLiteral("2012/progress_bar.png"), progressMarker(), kGroup});
    set.append({QStringLiteral("2012/volume_bar.png"), volumeBar(), kGroup});
    set.append({QStringLiteral("2012/volume_level.png"), volumeLevel(), kGroup});
}
