#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QString>

#include <functional>

// The program's visual theme: near-black panels, grey glyphs and one amber accent that marks
// everything lit, hovered or pressed.
namespace Theme {

inline const QColor kWindow(9, 9, 9);
inline const QColor kPanel(18, 19, 21);
inline const QColor kPanelRaised(27, 28, 31);
inline const QColor kRecess(6, 6, 7);
inline const QColor kEdge(46, 48, 52);
inline const QColor kEdgeLight(74, 76, 82);
inline const QColor kGlyph(196, 198, 202);
inline const QColor kGlyphDim(88, 90, 95);
inline const QColor kCaption(128, 131, 137);
inline const QColor kAccent(255, 152, 32);
inline const QColor kAccentBright(255, 196, 110);
inline const QColor kAccentDeep(170, 88, 12);
inline const QColor kAccentDark(64, 36, 8);
inline const QColor kField(198, 202, 204);     // light text areas for the grey dashboard texts
inline const QColor kFieldEdge(110, 114, 118);
inline const QColor kBoxEdge(124, 127, 134);
inline const QColor kBoxFill(12, 12, 14);

// The three drawn states of a button; the disabled image is the normal one unless a set says so.
enum class State { Normal, Hover, Pressed, Disabled };

QImage canvas(QSize size, QColor fill = Qt::transparent);
// A painter with antialiasing and smooth transforms on.
void prepare(QPainter &p);

QFont uiFont(qreal pixelSize, QFont::Weight weight = QFont::Normal);

// Rounded button plate filling `r` for the given state.
void drawPlate(QPainter &p, const QRectF &r, qreal radius, State state);
// Colour of a glyph or text drawn on a plate of the given state.
QColor glyphColour(State state);

// Light text field with a thin edge and an inner shadow.
void drawField(QPainter &p, const QRectF &r);
// Empty tick box (the frame that every mark picture repeats).
void drawEmptyBox(QPainter &p, const QRectF &r);
// Small caption text in the dim caption colour.
void drawCaption(QPainter &p, const QRectF &r, const QString &text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
// Accent tick that marks a section heading.
void drawHeadingTick(QPainter &p, qreal x, qreal centreY);

} // namespace Theme

// One generated file: path below gfx_r/ and its picture.
struct Art
{
    QString path;
    QImage image;
    QString group;   // contact sheet section
};
using ArtSet = QList<Art>;

// Draws a glyph into `box` with colour `c`.
using Glyph = std::function<void(QPainter &, const QRectF &box, const QColor &c)>;

// Button pictures _1 (normal), _2 (hover), _3 (pressed) of `stem` in the skin folder.
void addButtonSet(ArtSet &set, const QString &stem, QSize size, qreal radius, const Glyph &glyph,
                  const QString &group, const QRectF &glyphBox = {});

// The generators, one per family of pictures.
void addButtonArt(ArtSet &set);
void addDashboardArt(ArtSet &set);
void addViewerArt(ArtSet &set);
void addSettingsArt(ArtSet &set);
void addBrandArt(ArtSet &set);
