// The settings editor's skin, its tick marks, the shock bar and the three option dialogs.
#include <QLinearGradient>

#include <functional>
#include <tuple>

#include "glyphs.h"
#include "skin/skingeometry.h"
#include "theme.h"

namespace {

using SkinGeometry::settingsBox;

const QString kGroup = QStringLiteral("Settings editor");

// Rows that carry tick boxes: the row's line and how many of the four columns it uses.
struct ChoiceRow
{
    int y;
    int columns;
};
constexpr ChoiceRow kChoiceRows[] = {
    {64, 3}, {91, 3}, {117, 3}, {144, 2}, {170, 4},              // video and sound
    {373, 3}, {399, 3}, {426, 3}, {478, 2}, {504, 2}, {530, 2}, {556, 3},   // functions
};

void drawTitleStrip(QPainter &p, int width, int height)
{
    QLinearGradient strip(0, 0, 0, height);
    strip.setColorAt(0, QColor(36, 37, 41));
    strip.setColorAt(1, QColor(17, 17, 19));
    p.fillRect(0, 0, width, height, strip);
    p.fillRect(0, height, width, 1, QColor(54, 56, 60));
    p.fillRect(0, height + 1, width, 1, QColor(4, 4, 5));
}

void drawWindowBorder(QPainter &p, QSize size)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(44, 45, 49));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    p.restore();
}

void drawPanel(QPainter &p, const QRectF &r)
{
    p.save();
    Theme::prepare(p);
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, QColor(20, 21, 23));
    fill.setColorAt(1, QColor(15, 15, 17));
    p.setPen(QPen(QColor(36, 37, 41), 1));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    p.restore();
}

// Faint rules halfway between the text lines of neighbouring rows (texts are centred 9 below a row's line).
void drawRowRules(QPainter &p, std::initializer_list<int> rows)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const int *prev = nullptr;
    for (const int &row : rows) {
        if (prev)
            p.fillRect(22, (*prev + row) / 2 + 9, 510, 1, QColor(29, 30, 33));
        prev = &row;
    }
    p.restore();
}

void drawSettingsBoxes(QPainter &p)
{
    for (const ChoiceRow &row : kChoiceRows)
        for (int c = 0; c < row.columns; ++c)
            Theme::drawEmptyBox(p, settingsBox(SkinGeometry::kSettingsColumns[c], row.y));
    Theme::drawEmptyBox(p, SkinGeometry::kTimeSettingBox);
    for (int column : SkinGeometry::kTimeFormatColumns)
        Theme::drawEmptyBox(p, settingsBox(column, SkinGeometry::kTimeFormatRow));
}

QImage settingsSkin()
{
    const QSize size(554, 660);
    QImage image = Theme::canvas(size, Theme::kWindow);
    QPainter p(&image);
    Theme::prepare(p);
    drawTitleStrip(p, size.width(), 34);
    Glyphs::gear(p, QRectF(20, 7, 20, 20), Theme::kAccent);   // settings mark beside the title
    for (const auto &[headingY, top, bottom] : {std::tuple{39, 60, 195}, {197, 219, 319}, {324, 344, 581}}) {
        Theme::drawHeadingTick(p, 15, headingY + 9);
        drawPanel(p, QRectF(12, top, 530, bottom - top));
    }
    drawRowRules(p, {64, 91, 117, 144, 170});
    drawRowRules(p, {229, 262, 287});
    drawRowRules(p, {349, 373, 399, 426, 456, 478, 504, 530, 556});
    drawSettingsBoxes(p);
    // Foot: the firmware line above, the version and the OK / Cancel buttons below the rule.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(1, 608, size.width() - 2, 1, QColor(40, 41, 45));
    p.fillRect(1, 609, size.width() - 2, 50, QColor(13, 13, 15));
    drawWindowBorder(p, size);
    return image;
}

QImage shockBarSkin()
{
    // Rows 0..9 stay clear: the bar writes its step numbers there before drawing this picture.
    QImage image = Theme::canvas({388, 25});
    QPainter p(&image);
    Theme::prepare(p);
    p.setPen(QPen(Theme::kEdge, 1));
    p.setBrush(Theme::kRecess);
    p.drawRoundedRect(QRectF(3.5, 9.5, 346, 11), 2, 2);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < 10; ++i)
        p.fillRect(i * 34 + 6, 11, 27, 8, QColor(28, 28, 31));
    p.setRenderHint(QPainter::Antialiasing, true);
    Theme::drawField(p, QRectF(352, 1, 34, 24));   // value label, black text
    return image;
}

QImage mark(int kind)
{
    QImage image = Theme::canvas({14, 14});
    QPainter p(&image);
    Theme::prepare(p);
    const QRectF box(0, 0, 14, 14);
    if (kind >= 2) {   // unavailable: a greyed box
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(box, QColor(26, 26, 28));
        p.setPen(QColor(60, 62, 66));
        p.drawRect(0, 0, 13, 13);
        p.setRenderHint(QPainter::Antialiasing, true);
        if (kind == 2)   // an unavailable toggle keeps a faint tick
            Glyphs::tick(p, QRectF(3, 3, 8, 8), QColor(70, 72, 76), 1.6);
        return image;
    }
    Theme::drawEmptyBox(p, box);
    if (kind == 0) {   // chosen value
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 152, 32, 70));
        p.drawRect(QRectF(2, 2, 10, 10));
        p.setBrush(Theme::kAccent);
        p.drawRoundedRect(QRectF(3.5, 3.5, 7, 7), 1, 1);
    } else {           // ticked toggle
        Glyphs::tick(p, QRectF(2.5, 2.5, 9, 9), Theme::kAccent, 2.2);
    }
    return image;
}

QImage spinArrows()
{
    QImage image = Theme::canvas({21, 18}, QColor(236, 236, 238));
    QPainter p(&image);
    Theme::prepare(p);
    p.fillRect(0, 0, 1, 18, QColor(200, 200, 204));
    p.fillRect(1, 8, 20, 1, QColor(214, 214, 218));
    Glyphs::triangle(p, QRectF(6.5, 2.5, 8, 4), QColor(88, 90, 96), true);
    Glyphs::triangle(p, QRectF(6.5, 11.5, 8, 4), QColor(88, 90, 96), false);
    return image;
}

// An option dialog: title strip, the step row with the off box and `steps` step boxes.
QImage optionSkin(int steps, const std::function<void(QPainter &)> &mark)
{
    const QSize size(554, 147);
    QImage image = Theme::canvas(size, Theme::kWindow);
    QPainter p(&image);
    Theme::prepare(p);
    drawTitleStrip(p, size.width(), 40);
    mark(p);
    drawPanel(p, QRectF(12, 52, 530, 53));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(85, 58, 1, 41, QColor(40, 41, 45));   // the off box stands apart from the steps
    // A scale line through the step boxes.
    const int first = SkinGeometry::kOptionStepX[0];
    const int last = SkinGeometry::kOptionStepX[steps - 1];
    p.fillRect(first, 90, last - first, 1, QColor(48, 49, 54));
    Theme::drawEmptyBox(p, SkinGeometry::optionBox(SkinGeometry::kOptionOffBoxX));
    for (int i = 0; i < steps; ++i)
        Theme::drawEmptyBox(p, SkinGeometry::optionBox(SkinGeometry::kOptionStepX[i]));
    drawWindowBorder(p, size);
    return image;
}

} // namespace

void addSettingsArt(ArtSet &set)
{
    set.append({QStringLiteral("2012/marlow_setting_bg.png"), settingsSkin(), kGroup});
    set.append({QStringLiteral("2012/marlow_bar_bg.png"), shockBarSkin(), kGroup});
    set.append({QStringLiteral("2012/check.png"), mark(0), kGroup});
    set.append({QStringLiteral("2012/check1.png"), mark(1), kGroup});
    set.append({QStringLiteral("2012/disbox.png"), mark(2), kGroup});
    set.append({QStringLiteral("2012/discheck2.png"), mark(3), kGroup});
    set.append({QStringLiteral("2012/time_up1.png"), spinArrows(), kGroup});
    const QRectF markBox(18, 9, 24, 24);
    set.append({QStringLiteral("2012/batt_timer_bg.png"),
                optionSkin(6, [&](QPainter &p) { Glyphs::clock(p, markBox, Theme::kAccent); }), kGroup});
    set.append({QStringLiteral("2012/batt_12v_bg.png"),
                optionSkin(6, [&](QPainter &p) { Glyphs::battery(p, markBox, Theme::kAccent, 1); }), kGroup});
    set.append({QStringLiteral("2012/batt_24v_bg.png"),
                optionSkin(5, [&](QPainter &p) { Glyphs::battery(p, markBox, Theme::kAccent, 2); }), kGroup});
}
