// The contact sheet: every picture at its own size with its name.
#include <QFontMetrics>

#include "output.h"

namespace {

constexpr int kSheetWidth = 1240;
constexpr int kMargin = 16;
constexpr int kGap = 14;
constexpr int kLabelHeight = 14;
const QColor kSheetColour(52, 54, 58);

void drawChecker(QPainter &p, const QRect &r)
{
    p.save();
    p.setClipRect(r);
    for (int y = r.top(); y <= r.bottom(); y += 6)
        for (int x = r.left(); x <= r.right(); x += 6)
            p.fillRect(x, y, 6, 6, ((x - r.left()) / 6 + (y - r.top()) / 6) % 2 ? QColor(70, 72, 76) : QColor(60, 62, 66));
    p.restore();
}

QString labelFor(const Art &art)
{
    const QString name = art.path.section(QLatin1Char('/'), -1);
    if (art.image.width() < 60)
        return name;
    return QStringLiteral("%1  %2x%3").arg(name).arg(art.image.width()).arg(art.image.height());
}

struct Placed
{
    const Art *art;
    QRect rect;   // picture position
};

// Flows the pictures of one group from left to right; returns the height used.
int layoutGroup(const QList<const Art *> &arts, int top, QList<Placed> &placed)
{
    const QFontMetrics metrics(Theme::uiFont(10));
    int x = kMargin, y = top, rowHeight = 0;
    for (const Art *art : arts) {
        const int cellWidth = qMax(art->image.width(), metrics.horizontalAdvance(labelFor(*art)));
        if (x > kMargin && x + cellWidth > kSheetWidth - kMargin) {
            x = kMargin;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        placed.append({art, QRect(QPoint(x, y), art->image.size())});
        x += cellWidth + kGap;
        rowHeight = qMax(rowHeight, art->image.height() + kLabelHeight);
    }
    return y + rowHeight - top;
}

} // namespace

QImage groupSheet(const ArtSet &set, const QString &group, int scale)
{
    ArtSet subset;
    for (const Art &art : set)
        if (art.group == group && art.image.width() <= 200)
            subset.append(art);
    const QImage sheet = contactSheet(subset);
    return sheet.scaled(sheet.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QImage contactSheet(const ArtSet &set)
{
    QStringList groups;
    for (const Art &art : set)
        if (!groups.contains(art.group))
            groups << art.group;

    QList<Placed> placed;
    QList<QPair<QString, int>> headings;
    int y = kMargin;
    for (const QString &group : groups) {
        headings.append({group, y});
        y += 24;
        QList<const Art *> arts;
        for (const Art &art : set)
            if (art.group == group)
                arts << &art;
        y += layoutGroup(arts, y, placed) + kGap * 2;
    }

    QImage sheet(kSheetWidth, y, QImage::Format_RGB32);
    sheet.fill(kSheetColour);
    QPainter p(&sheet);
    Theme::prepare(p);
    p.setFont(Theme::uiFont(15, QFont::Bold));
    p.setPen(Theme::kAccent);
    for (const auto &[group, top] : headings)
        p.drawText(QRect(kMargin, top, kSheetWidth, 20), Qt::AlignLeft | Qt::AlignVCenter, group);
    p.setFont(Theme::uiFont(10));
    for (const Placed &item : placed) {
        drawChecker(p, item.rect);
        p.drawImage(item.rect.topLeft(), item.art->image);
        p.setPen(QColor(214, 216, 220));
        p.drawText(QRect(item.rect.left(), item.rect.bottom() + 1, 400, kLabelHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   labelFor(*item.art));
    }
    return sheet;
}
