// Mock-ups of the settings dialog and an option dialog (see mockup.cpp).
#include "output.h"
#include "skin/skingeometry.h"

namespace {

using SkinGeometry::settingsBox;

QImage find(const ArtSet &set, const QString &name)
{
    for (const Art &art : set)
        if (art.path == QLatin1String("2012/") + name)
            return art.image;
    return {};
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

void plate(QPainter &p, const ArtSet &set, const QString &name, const QRect &r, const QString &label)
{
    p.drawImage(r, find(set, name));
    text(p, r, label, QColor(200, 200, 200), 9, Qt::AlignCenter);
}

struct Row
{
    int y;
    const char *label;
    QStringList choices;
    int chosen;   // column index of the mark, -1 none
    bool unavailable;
};

void drawRows(QPainter &p, const ArtSet &set)
{
    const QColor light(220, 220, 220);
    const Row rows[] = {
        {64, "Resolution", {"Full HD", "HD", "VGA"}, 1, true},
        {91, "Video Quality", {"Low", "Middle", "High"}, 1, false},
        {117, "Video Frame Rate", {"Low", "Middle", "High"}, 2, false},
        {144, "Sound Recording", {"Off", "On"}, 1, false},
        {170, "Sound Volume", {"Off", "Low", "Middle", "High"}, 2, false},
        {373, "Event Files", {"20", "40", "60"}, 1, false},
        {399, "Parking Watch", {"Off", "Shock", "Motion"}, 1, false},
        {426, "Motion Sensitivity", {"Low", "Middle", "High"}, 1, false},
        {478, "Speed Unit", {"KM/H", "MPH"}, -1, true},
        {530, "Theme", {"Off", "On"}, 1, false},
        {556, "ScreenSaver", {"Off", "1min.", "2min."}, 0, false},
    };
    for (const Row &row : rows) {
        text(p, QRect(29, row.y - 3, 250, 24), QString::fromLatin1(row.label), light, 10);
        for (int c = 0; c < row.choices.size(); ++c) {
            const int column = SkinGeometry::kSettingsColumns[c];
            text(p, QRect(column - 10, row.y - 3, 56, 24), row.choices[c], light, 10,
                 Qt::AlignRight | Qt::AlignVCenter);
            if (row.unavailable)
                p.drawImage(settingsBox(column, row.y).topLeft(), find(set, QStringLiteral("discheck2.png")));
            if (c == row.chosen)
                p.drawImage(settingsBox(column, row.y).topLeft(), find(set, QStringLiteral("check.png")));
        }
    }
    for (const auto &[y, label] : {std::pair{229, "Time Setting"}, {262, "DST Setting"}, {287, "GMT Setting"},
                                   {349, "Shock Sensitivity"}, {456, "Battery Prevention"}, {504, "Security LED"}})
        text(p, QRect(29, y - 3, 250, 24), QString::fromLatin1(label), light, 10);
    text(p, QRect(384, 259, 250, 24), QStringLiteral("Time Format"), light, 10);
    text(p, QRect(262, 255, 20, 20), QStringLiteral("~"), light, 10);
    for (int c = 0; c < 2; ++c) {
        const int column = SkinGeometry::kTimeFormatColumns[c];
        text(p, QRect(column - 10, 284, 56, 24), c ? QStringLiteral("12-Hr") : QStringLiteral("24-Hr"), light, 10,
             Qt::AlignRight | Qt::AlignVCenter);
    }
    p.drawImage(settingsBox(403, 287).topLeft(), find(set, QStringLiteral("check.png")));
    for (int c = 0; c < 2; ++c) {
        const int column = SkinGeometry::kSettingsColumns[c];
        text(p, QRect(column - 10, 501, 56, 24), c ? QStringLiteral("Rear") : QStringLiteral("Front"), light, 10,
             Qt::AlignRight | Qt::AlignVCenter);
        p.drawImage(settingsBox(column, 504).topLeft(), find(set, QStringLiteral("check1.png")));
    }
    p.drawImage(SkinGeometry::kTimeSettingBox, find(set, QStringLiteral("check1.png")));
}

void drawShockBar(QPainter &p, const ArtSet &set, int value)
{
    p.save();
    p.translate(SkinGeometry::kShockBar.topLeft());
    for (int n = 0; n <= 10; ++n)
        text(p, QRect(n == 10 ? 337 : 2 + 34 * n, 0, 34, 9), QString::number(n), QColor(220, 220, 220), 7);
    p.drawImage(QRect(0, 0, 388, 25), find(set, QStringLiteral("marlow_bar_bg.png")));
    for (int i = 0; i < value; ++i)
        p.drawImage(QRect(i * 34 + 6, 11, 34, 8), find(set, QStringLiteral("volume_level.png")));
    text(p, QRect(352, 1, 34, 24), QString::number(value), Qt::black, 10, Qt::AlignCenter);
    p.restore();
}

} // namespace

QImage settingsMockup(const ArtSet &set)
{
    QImage image = find(set, QStringLiteral("marlow_setting_bg.png")).convertToFormat(QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QColor light(220, 220, 220);
    text(p, QRect(54, 9, 250, 24), QStringLiteral("SETTING"), light, 11);
    text(p, QRect(129, 12, 60, 24), QStringLiteral("Drive"), light, 10);
    p.fillRect(200, 13, 100, 18, Qt::white);
    text(p, QRect(203, 13, 97, 18), QStringLiteral("CARD (E:)"), Qt::black, 10);
    p.drawImage(QRect(520, 13, 21, 19), find(set, QStringLiteral("exit_1.png")));
    text(p, QRect(26, 36, 250, 24), QStringLiteral("Video & Sound"), light, 10);
    text(p, QRect(24, 194, 250, 24), QStringLiteral("Time"), light, 10);
    text(p, QRect(24, 321, 250, 24), QStringLiteral("Functions"), light, 10);
    drawRows(p, set);
    p.fillRect(184, 228, 223, 18, Qt::white);
    text(p, QRect(188, 228, 200, 18), QStringLiteral("2026-12-08 01:30:00"), Qt::black, 10);
    plate(p, set, QStringLiteral("battery_24v_1.png"), QRect(402, 223, 142, 28), QStringLiteral("Get Current Time"));
    plate(p, set, QStringLiteral("dis_saver.png"), QRect(177, 287, 233, 28), QStringLiteral("GMT"));
    const char *options[] = {"Timer", "12V", "24V"};
    for (int i = 0; i < 3; ++i)
        plate(p, set, i == 1 ? QStringLiteral("battery_24v_2.png") : QStringLiteral("battery_24v_1.png"),
              QRect(182 + 114 * i - (i == 2 ? 1 : 0), 448, 116, 28), QString::fromLatin1(options[i]));
    drawShockBar(p, set, 5);
    text(p, QRect(29, 580, 250, 24), QStringLiteral("Firmware Ver. : QRD-7700_1.0.3"), light, 10);
    text(p, QRect(9, 622, 250, 24), QStringLiteral("QRD-7700 Ver 1.01"), light, 10);
    plate(p, set, QStringLiteral("apply1.png"), QRect(388, 617, 79, 28), QStringLiteral("Cancel"));
    plate(p, set, QStringLiteral("apply3.png"), QRect(467, 617, 79, 28), QStringLiteral("OK"));
    return image;
}

QImage optionMockup(const ArtSet &set)
{
    QImage image = find(set, QStringLiteral("batt_12v_bg.png")).convertToFormat(QImage::Format_RGB32);
    QPainter p(&image);
    const QColor light(220, 220, 220);
    text(p, QRect(55, 10, 250, 24), QStringLiteral("Battery Prevention"), light, 11);
    p.drawImage(QRect(510, 13, 21, 19), find(set, QStringLiteral("exit_1.png")));
    text(p, QRect(16, 63, 60, 24), QStringLiteral("Off"), light, 8, Qt::AlignCenter);
    const char *steps[] = {"11.5V", "11.6V", "11.7V", "11.8V", "11.9V", "12.0V"};
    for (int i = 0; i < 6; ++i) {
        const int x = SkinGeometry::kOptionStepX[i];
        text(p, QRect(x - (i == 5 ? 25 : 23), 63, 60, 24), QString::fromLatin1(steps[i]), light, 8, Qt::AlignCenter);
    }
    p.drawImage(SkinGeometry::optionBox(SkinGeometry::kOptionStepX[2]).topLeft(), find(set, QStringLiteral("check.png")));
    plate(p, set, QStringLiteral("cancel1.png"), QRect(385, 108, 79, 28), QStringLiteral("Cancel"));
    plate(p, set, QStringLiteral("OK2.png"), QRect(464, 108, 79, 28), QStringLiteral("OK"));
    return image;
}
