// Mock-ups that put the pictures together the way the windows place them: a check that texts,
// marks, segments and buttons land on the places the skins prepare for them.
#include "output.h"
#include "skin/background.h"
#include "skin/skingeometry.h"

namespace {

QImage find(const ArtSet &set, const QString &name)
{
    for (const Art &art : set)
        if (art.path == QLatin1String("2012/") + name)
            return art.image;
    return {};
}

void button(QPainter &p, const ArtSet &set, const QString &name, const QRect &r, const QString &text = {},
            int pointSize = 9)
{
    p.drawImage(r, find(set, name));
    if (text.isEmpty())
        return;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(pointSize);
    p.setFont(font);
    p.setPen(QColor(200, 200, 200));
    p.drawText(r, Qt::AlignCenter, text);
}

void text(QPainter &p, const QRect &r, const QString &s, const QColor &colour, int pointSize,
          Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(pointSize);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, align, s);
}

// The dashboard as the widget paints it at `width`: strip stretched, panel centred by x0.
void drawDashboard(QPainter &p, const ArtSet &set, int speed, int width = 642)
{
    const QColor grey(96, 96, 96);
    const QImage skin = find(set, QStringLiteral("marlow_main_widget_bg.png"));
    const int x0 = width > 657 ? (width - 657) / 2 : 0;
    p.drawImage(QRect(0, 0, width, 36), skin, QRect(0, 0, 642, 36));
    p.drawImage(QRect(x0, 36, 642, 250), skin, QRect(0, 36, 642, 250));
    p.save();
    p.translate(x0, 0);
    p.drawImage(SkinGeometry::kMeterFace.topLeft(), find(set, QStringLiteral("speed_meter1.png")));
    p.drawImage(QPoint(347, 191), find(set, QStringLiteral("gps_on.png")));
    p.drawImage(QPoint(326, 179), find(set, QStringLiteral("km.png")));
    for (int k = 0; k < 24 && k < speed / 10; ++k)
        p.drawImage(SkinGeometry::segmentRect(k).topLeft(), find(set, QStringLiteral("s%1.png").arg(k + 1)));
    const int digits[3] = {speed / 100, speed / 10 % 10, speed % 10};
    for (int i = 0; i < 3; ++i)
        if (i == 2 || digits[0] || (i == 1 && digits[1]))
            p.drawImage(QPoint(286 + 24 * i, 150), find(set, QStringLiteral("%1.png").arg(digits[i])));
    p.drawImage(QPoint(13, 86), find(set, QStringLiteral("playtime.png")));
    p.drawImage(QPoint(13, 113), find(set, QStringLiteral("model.png")));
    p.drawImage(QPoint(548, 86), find(set, QStringLiteral("date.png")));
    text(p, QRect(20, 86, 82, 16), QStringLiteral("01:01/02:05"), grey, 8);
    text(p, QRect(21, 127, 82, 16), QStringLiteral("QRD-7700"), grey, 8);
    text(p, QRect(556, 102, 82, 16), QStringLiteral("2026.12.08"), grey, 8);
    text(p, QRect(36, 174, 82, 16), QStringLiteral("0.0312"), grey, 8);
    text(p, QRect(36, 193, 82, 16), QStringLiteral("-0.25"), grey, 8);
    text(p, QRect(36, 212, 82, 16), QStringLiteral("1.02"), grey, 8);
    text(p, QRect(560, 188, 82, 16), QStringLiteral("37.5665"), grey, 8);
    text(p, QRect(560, 216, 82, 16), QStringLiteral("126.978"), grey, 8);
    p.restore();
    // Acceleration trace and the position marker on the strip.
    p.setPen(QColor(255, 0, 0));
    for (int x = 0; x < 200; x += 4)
        p.drawLine(x, 18 + (x / 4 % 5), x + 4, 18 + ((x / 4 + 1) % 5));
    p.drawImage(QPoint(200, 2), find(set, QStringLiteral("progress_bar.png")));
    p.fillRect(200, 2, 1, 33, Qt::white);
}

void drawClipList(QPainter &p, const ArtSet &set, const QRect &r)
{
    p.fillRect(r, QColor(7, 7, 7));
    p.setPen(QColor(62, 62, 59));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    for (int i = 0; i < 6; ++i) {
        const QRect row(r.left() + 3, r.top() + 2 + i * 18, r.width() - 30, 18);
        if (i == 1)
            p.fillRect(row, QColor(48, 50, 56));
        text(p, row, QStringLiteral("REC_2026_12_08_0%1_12_00.mp4").arg(i), Qt::white, 10);
    }
    p.drawImage(QPoint(r.right() - 23, r.top() + 1), find(set, QStringLiteral("list_up_1.png")));
    p.drawImage(QPoint(r.right() - 23, r.bottom() - 17), find(set, QStringLiteral("list_down_1.png")));
}

} // namespace

QImage viewerMockup(const ArtSet &set)
{
    QImage image = find(set, QStringLiteral("marlow_main_viewer_bg.png")).convertToFormat(QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QImage screen = find(set, QStringLiteral("screen.png"));
    p.drawImage(QRect(23, 33, 638, 358), screen);
    p.drawImage(QRect(682, 33, 318, 178), screen);
    p.drawImage(QPoint(22 + 125, 32 + 138), find(set, QStringLiteral("loading.png")));
    p.save();
    p.translate(23, 394);
    p.setClipRect(0, 0, 642, 250);
    drawDashboard(p, set, 105);
    p.restore();
    const char *transport[] = {"play_1", "stop_2", "pre_file_1", "rw_1", "fw_1", "next_file_1",
                               "zoom_in_1", "zoom_out_1", "original_screen_1", "pan_3", "rotate_1"};
    const int xs[] = {27, 80, 137, 192, 247, 302, 352, 396, 440, 484, 529};
    for (int i = 0; i < 11; ++i)
        button(p, set, QString::fromLatin1(transport[i]) + QStringLiteral(".png"), QRect(xs[i], 433, 36, 36));
    button(p, set, QStringLiteral("volume1.png"), QRect(576, 442, 19, 17));
    p.drawImage(QRect(600, 445, 52, 9), find(set, QStringLiteral("volume_bar.png")));
    for (int i = 0; i < 7; ++i)
        p.drawImage(QRect(601 + 5 * i, 446, 5, 7), find(set, QStringLiteral("volume_level.png")));
    button(p, set, QStringLiteral("setting_1.png"), QRect(677, 7, 19, 20));
    button(p, set, QStringLiteral("snapshot_2.png"), QRect(718, 9, 22, 18));
    button(p, set, QStringLiteral("print_1.png"), QRect(761, 7, 20, 20));
    button(p, set, QStringLiteral("max_1.png"), QRect(920, 8, 21, 19));
    button(p, set, QStringLiteral("close_1.png"), QRect(951, 8, 21, 19));
    button(p, set, QStringLiteral("exit_2.png"), QRect(982, 8, 21, 19));
    button(p, set, QStringLiteral("file_open_1.png"), QRect(945, 433, 21, 16));
    button(p, set, QStringLiteral("folder_open_1.png"), QRect(980, 433, 20, 16));
    button(p, set, QStringLiteral("screen01_1.png"), QRect(666, 104, 13, 34));
    text(p, QRect(683, 431, 260, 18), QStringLiteral("/media/card/REC"), QColor(220, 220, 220), 10);
    const char *categories[] = {"All", "REC", "EVENT"};
    for (int i = 0; i < 3; ++i)
        button(p, set, i == 0 ? QStringLiteral("sorting_btn3.png") : QStringLiteral("sorting_btn2.png"),
               QRect(679 + 46 * i, 451, 46, 19), QString::fromLatin1(categories[i]));
    const QString filters[] = {QStringLiteral("전체"), QStringLiteral("수동"), QStringLiteral("주행"), QStringLiteral("주차")};
    for (int i = 0; i < 4; ++i)
        button(p, set, i == 2 ? QStringLiteral("sorting_btn3.png") : QStringLiteral("sorting_btn2.png"),
               QRect(880 + 30 * i, 451, 30, 19), filters[i]);
    drawClipList(p, set, QRect(681, 469, 320, 161));
    return image;
}

QImage viewerMaximizedMockup(const ArtSet &set, QSize window)
{
    const int W = window.width(), H = window.height();
    QImage image(window, QImage::Format_RGB32);
    image.fill(Theme::kWindow);
    QPainter p(&image);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QImage skin = find(set, QStringLiteral("marlow_main_viewer_bg.png"));
    for (const SkinRegion &region : maximizedSkinRegions(window, skin.size()))
        p.drawImage(region.target, skin, region.source);
    const QImage screen = find(set, QStringLiteral("screen.png"));
    const int A = snappedVideoWidth(W), B = snappedVideoHeight(H);
    p.drawImage(QRect(23, 33, A - 2, B - 2), screen);
    p.drawImage(QRect(W - 342, 33, 318, 178), screen);
    p.save();
    p.translate(23, H - 251);
    p.setClipRect(0, 0, W - 382, 250);
    drawDashboard(p, set, 241, W - 382);
    p.restore();
    const int d = W > 1024 ? (W - 1039) / 2 : 0;
    const char *transport[] = {"pause1", "stop_1", "pre_file_1", "rw_1", "fw_1", "next_file_1",
                               "zoom_in_1", "zoom_out_1", "original_screen_1", "pan_1", "rotate_1"};
    const int xs[] = {27, 80, 137, 192, 247, 302, 352, 396, 440, 484, 529};
    for (int i = 0; i < 11; ++i)
        button(p, set, QString::fromLatin1(transport[i]) + QStringLiteral(".png"), QRect(d + xs[i], H - 212, 36, 36));
    button(p, set, QStringLiteral("volume1.png"), QRect(d + 576, H - 203, 19, 17));
    p.drawImage(QRect(d + 600, H - 200, 52, 9), find(set, QStringLiteral("volume_bar.png")));
    button(p, set, QStringLiteral("setting_1.png"), QRect(W - 347, 7, 19, 20));
    button(p, set, QStringLiteral("snapshot_1.png"), QRect(W - 306, 9, 22, 18));
    button(p, set, QStringLiteral("print_1.png"), QRect(W - 263, 7, 20, 20));
    button(p, set, QStringLiteral("min_1.png"), QRect(W - 104, 8, 21, 19));
    button(p, set, QStringLiteral("close_1.png"), QRect(W - 73, 8, 21, 19));
    button(p, set, QStringLiteral("exit_1.png"), QRect(W - 42, 8, 21, 19));
    button(p, set, QStringLiteral("file_open_1.png"), QRect(W - 79, 433, 21, 16));
    button(p, set, QStringLiteral("folder_open_1.png"), QRect(W - 44, 433, 20, 16));
    button(p, set, QStringLiteral("screen01_1.png"), QRect(A + (W - 22 - A - 357) / 2 + 24, 104, 13, 34));
    for (int i = 0; i < 3; ++i)
        button(p, set, QStringLiteral("sorting_btn2.png"), QRect(W - 345 + 46 * i, 451, 46, 19));
    for (int i = 0; i < 4; ++i)
        button(p, set, QStringLiteral("sorting_btn2.png"), QRect(W - 144 + 30 * i, 451, 30, 19));
    drawClipList(p, set, QRect(W - 343, 469, 320, H - 484));
    return image;
}
