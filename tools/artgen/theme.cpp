#include "theme.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace Theme {

QImage canvas(QSize size, QColor fill)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

void prepare(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QFont uiFont(qreal pixelSize, QFont::Weight weight)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    font.setWeight(weight);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void drawPlate(QPainter &p, const QRectF &r, qreal radius, State state)
{
    const QRectF body = r.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    QColor edge;
    switch (state) {
    case State::Normal:
        fill.setColorAt(0, QColor(44, 45, 50));
        fill.setColorAt(1, QColor(20, 20, 23));
        edge = QColor(66, 68, 74);
        break;
    case State::Hover:
        fill.setColorAt(0, QColor(64, 62, 60));
        fill.setColorAt(1, QColor(30, 28, 26));
        edge = kAccent;
        break;
    case State::Pressed:   // lit from below and darker on top: sunk into the panel
        fill.setColorAt(0, QColor(30, 17, 4));
        fill.setColorAt(1, QColor(92, 50, 10));
        edge = kAccentDeep;
        break;
    case State::Disabled:
        fill.setColorAt(0, QColor(24, 24, 26));
        fill.setColorAt(1, QColor(17, 17, 19));
        edge = QColor(38, 39, 42);
        break;
    }
    p.save();
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawRoundedRect(body, radius, radius);
    if (state == State::Normal || state == State::Hover) {
        // Top highlight of a raised plate.
        p.setPen(QPen(QColor(255, 255, 255, state == State::Hover ? 60 : 34), 1));
        const qreal inset = qMin(radius, body.width() / 3);
        p.drawLine(QPointF(body.left() + inset, body.top() + 1), QPointF(body.right() - inset, body.top() + 1));
    } else if (state == State::Pressed) {
        // Inner shadow along the top edge.
        p.setPen(QPen(QColor(0, 0, 0, 150), 1.5));
        const qreal inset = qMin(radius, body.width() / 3);
        p.drawLine(QPointF(body.left() + inset, body.top() + 1.5), QPointF(body.right() - inset, body.top() + 1.5));
    }
    p.restore();
}

QColor glyphColour(State state)
{
    switch (state) {
    case State::Normal:
        return kGlyph;
    case State::Hover:
        return kAccent;
    case State::Pressed:
        return kAccentBright;
    case State::Disabled:
        return kGlyphDim;
    }
    return kGlyph;
}

void drawField(QPainter &p, const QRectF &r)
{
    p.save();
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, kField.darker(112));
    fill.setColorAt(0.25, kField);
    fill.setColorAt(1, kField.lighter(104));
    p.setPen(QPen(kFieldEdge, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    p.restore();
}

void drawEmptyBox(QPainter &p, const QRectF &r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(kBoxFill);
    p.drawRect(r);
    p.setPen(kBoxEdge);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(QColor(0, 0, 0, 160));   // inner shadow
    p.drawLine(QPointF(r.left() + 1, r.top() + 1), QPointF(r.right() - 2, r.top() + 1));
    p.restore();
}

void drawCaption(QPainter &p, const QRectF &r, const QString &text, Qt::Alignment align)
{
    p.save();
    QFont font = uiFont(8, QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    p.setFont(font);
    p.setPen(kCaption);
    p.drawText(r, align, text);
    p.restore();
}

void drawHeadingTick(QPainter &p, qreal x, qreal centreY)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRectF(x, centreY - 6, 3, 12), kAccent);
    p.restore();
}

} // namespace Theme

void addButtonSet(ArtSet &set, const QString &stem, QSize size, qreal radius, const Glyph &glyph,
                  const QString &group, const QRectF &glyphBox)
{
    using Theme::State;
    const QRectF box = glyphBox.isNull() ? QRectF(QPointF(0, 0), QSizeF(size)) : glyphBox;
    const struct { State state; const char *suffix; } states[] = {
        {State::Normal, "1"}, {State::Hover, "2"}, {State::Pressed, "3"}};
    for (const auto &s : states) {
        QImage image = Theme::canvas(size);
        QPainter p(&image);
        Theme::prepare(p);
        Theme::drawPlate(p, QRectF(QPointF(0, 0), QSizeF(size)), radius, s.state);
        // A pressed glyph sits one pixel lower, as if pushed in.
        glyph(p, s.state == State::Pressed ? box.translated(0, 1) : box, Theme::glyphColour(s.state));
        p.end();
        set.append({QStringLiteral("2012/%1%2.png").arg(stem, QLatin1String(s.suffix)), image, group});
    }
}
