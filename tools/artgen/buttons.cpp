// Pictures of the viewer's and the settings editor's buttons.
#include "glyphs.h"
#include "theme.h"

namespace {

using Theme::State;

const QString kViewerButtons = QStringLiteral("Viewer buttons");
const QString kSettingsButtons = QStringLiteral("Settings buttons");

void addTransport(ArtSet &set)
{
    const QSize size(36, 36);
    const QRectF box(9, 9, 18, 18);
    const struct { const char *stem; Glyph glyph; } buttons[] = {
        {"play_", Glyphs::play},
        {"pause", Glyphs::pause},
        {"stop_", Glyphs::stop},
        {"pre_file_", Glyphs::previousFile},
        {"rw_", Glyphs::frameBack},
        {"fw_", Glyphs::frameForward},
        {"next_file_", Glyphs::nextFile},
        {"zoom_in_", Glyphs::zoomIn},
        {"zoom_out_", Glyphs::zoomOut},
        {"original_screen_", Glyphs::actualSize},
        {"zoom_win_", Glyphs::fitWindow},
        {"pan_", Glyphs::pan},
        {"rotate_", Glyphs::rotate},
    };
    for (const auto &b : buttons) {
        const bool wide = QByteArray(b.stem) == "original_screen_";
        addButtonSet(set, QString::fromLatin1(b.stem), size, 7, b.glyph, kViewerButtons,
                     wide ? QRectF(7, 9, 22, 18) : box);
    }
}

void addSmallTools(ArtSet &set)
{
    addButtonSet(set, QStringLiteral("volume"), {19, 17}, 3, Glyphs::volume, kViewerButtons, QRectF(3, 3, 13, 11));
    addButtonSet(set, QStringLiteral("setting_"), {19, 20}, 3, Glyphs::gear, kViewerButtons, QRectF(3, 3.5, 13, 13));
    addButtonSet(set, QStringLiteral("snapshot_"), {22, 18}, 3, Glyphs::camera, kViewerButtons, QRectF(4, 3, 14, 12));
    addButtonSet(set, QStringLiteral("print_"), {20, 20}, 3, Glyphs::printer, kViewerButtons, QRectF(4, 4, 12, 12));
    addButtonSet(set, QStringLiteral("min_"), {21, 19}, 3, Glyphs::restoreWindow, kViewerButtons, QRectF(5, 4, 11, 11));
    addButtonSet(set, QStringLiteral("max_"), {21, 19}, 3, Glyphs::maximizeWindow, kViewerButtons, QRectF(5, 4, 11, 11));
    addButtonSet(set, QStringLiteral("close_"), {21, 19}, 3, Glyphs::minimizeWindow, kViewerButtons, QRectF(5, 4, 11, 11));
    addButtonSet(set, QStringLiteral("exit_"), {21, 19}, 3, Glyphs::closeWindow, kViewerButtons, QRectF(6, 5, 9, 9));
    addButtonSet(set, QStringLiteral("file_open_"), {21, 16}, 3, Glyphs::file, kViewerButtons, QRectF(6, 2, 9, 12));
    addButtonSet(set, QStringLiteral("folder_open_"), {20, 16}, 3, Glyphs::folder, kViewerButtons, QRectF(4, 3, 12, 10));
    addButtonSet(set, QStringLiteral("screen01_"), {13, 34}, 3,
                 [](QPainter &p, const QRectF &b, const QColor &c) { Glyphs::swapViews(p, b, c, true); },
                 kViewerButtons, QRectF(2, 4, 9, 26));
    addButtonSet(set, QStringLiteral("screen02_"), {13, 34}, 3,
                 [](QPainter &p, const QRectF &b, const QColor &c) { Glyphs::swapViews(p, b, c, false); },
                 kViewerButtons, QRectF(2, 4, 9, 26));
    // The trip view's switch beside the clip list's categories.
    addButtonSet(set, QStringLiteral("trip_"), {36, 19}, 3, Glyphs::trip, kViewerButtons, QRectF(11, 4, 14, 12));
}

// Backgrounds of the clip list's text buttons: 1 unavailable, 2 idle, 3 chosen (the program shows
// the chosen category with the third picture).
void addSortingButtons(ArtSet &set)
{
    const QSize size(46, 19);
    const State states[] = {State::Disabled, State::Normal, State::Hover};
    for (int i = 0; i < 3; ++i) {
        QImage image = Theme::canvas(size);
        QPainter p(&image);
        Theme::prepare(p);
        Theme::drawPlate(p, QRectF(0, 0, size.width(), size.height()), 3, states[i]);
        if (i == 2) {
            p.setRenderHint(QPainter::Antialiasing, false);
            p.fillRect(QRect(3, size.height() - 3, size.width() - 6, 2), Theme::kAccent);
        }
        p.end();
        set.append({QStringLiteral("2012/sorting_btn%1.png").arg(i + 1), image, kViewerButtons});
    }
}

void addScrollArrows(ArtSet &set)
{
    for (bool up : {true, false}) {
        QImage image = Theme::canvas({23, 17}, QColor(7, 7, 7));
        QPainter p(&image);
        Theme::prepare(p);
        p.setPen(QColor(62, 62, 59));
        p.drawRect(QRectF(0.5, 0.5, 22, 16));
        Glyphs::triangle(p, QRectF(7.5, 6, 8, 5), QColor(160, 162, 166), up);
        p.end();
        set.append({QStringLiteral("2012/list_%1_1.png").arg(up ? "up" : "down"), image, kViewerButtons});
    }
}

// Plain text-button plates of the settings editor; `disabledName` adds a fourth, unavailable look.
void addTextPlates(ArtSet &set, const QString &stem, QSize size, const QString &disabledName = {})
{
    addButtonSet(set, stem, size, 5, [](QPainter &, const QRectF &, const QColor &) {}, kSettingsButtons);
    if (disabledName.isEmpty())
        return;
    QImage image = Theme::canvas(size);
    QPainter p(&image);
    Theme::prepare(p);
    Theme::drawPlate(p, QRectF(0, 0, size.width(), size.height()), 5, State::Disabled);
    p.end();
    set.append({QStringLiteral("2012/%1").arg(disabledName), image, kSettingsButtons});
}

} // namespace

void addButtonArt(ArtSet &set)
{
    addTransport(set);
    addSmallTools(set);
    addSortingButtons(set);
    addScrollArrows(set);
    addTextPlates(set, QStringLiteral("gmt_"), {233, 28}, QStringLiteral("dis_saver.png"));
    addTextPlates(set, QStringLiteral("battery_24v_"), {116, 28}, QStringLiteral("battery_24v_disable.png"));
    addTextPlates(set, QStringLiteral("apply"), {79, 28});
    addTextPlates(set, QStringLiteral("OK"), {79, 28});
    addTextPlates(set, QStringLiteral("cancel"), {79, 28});
}
