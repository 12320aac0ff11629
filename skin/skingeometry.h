#pragma once

#include <QPoint>
#include <QRect>

#include <array>

// Where the skin images put the things the windows paint over them. The art generator draws the
// empty boxes and text areas at these places; the dialogs can paint their marks at the same ones.
namespace SkinGeometry {

// Settings dialog (554 x 660): choice columns and the rows that carry tick boxes.
inline constexpr std::array<int, 4> kSettingsColumns{169, 266, 362, 458};
inline constexpr int kBoxSize = 14;

// The 14 x 14 tick box of a choice: 50 pixels right of its column, 1 pixel below the row's line.
constexpr QRect settingsBox(int column, int rowY)
{
    return QRect(column + 50, rowY + 1, kBoxSize, kBoxSize);
}

// The Time Setting toggle's box (its mark is 14 x 13).
inline constexpr QRect kTimeSettingBox(164, 231, 14, 13);
// The 24-Hr / 12-Hr columns of the time format row (row line 287).
inline constexpr std::array<int, 2> kTimeFormatColumns{403, 466};
inline constexpr int kTimeFormatRow = 287;
// The shock-sensitivity bar.
inline constexpr QRect kShockBar(156, 347, 388, 25);

// Option dialogs (554 x 147): the off box and the step boxes of the step row.
inline constexpr int kOptionOffBoxX = 42;
inline constexpr std::array<int, 6> kOptionStepX{117, 191, 263, 336, 409, 482};
inline constexpr int kOptionBoxTop = 84;

constexpr QRect optionBox(int x)
{
    return QRect(x, kOptionBoxTop, kBoxSize, kBoxSize);
}

// Dashboard (642 x 286 skin, widget coordinates with the panel at x0 = 0): the speed segments as
// (X, Y, W, H) drawn at (X - 23, Y - 394), and the meter face.
struct Segment
{
    int x, y, w, h;
};
inline constexpr std::array<Segment, 24> kSpeedSegments{{
    {312, 593, 20, 31}, {300, 589, 25, 31}, {290, 583, 28, 29}, {282, 577, 30, 26},
    {277, 570, 30, 21}, {273, 562, 31, 17}, {273, 552, 30, 14}, {273, 539, 31, 15},
    {275, 526, 31, 21}, {280, 514, 30, 25}, {287, 504, 29, 28}, {296, 496, 26, 30},
    {307, 490, 22, 32}, {320, 487, 17, 31}, {334, 487, 13, 30}, {345, 487, 16, 31},
    {352, 489, 21, 32}, {360, 494, 25, 31}, {367, 501, 28, 29}, {373, 511, 30, 26},
    {377, 522, 31, 22}, {381, 534, 31, 17}, {382, 548, 30, 13}, {381, 559, 31, 16},
}};
inline constexpr QPoint kMeterOrigin(-23, 71);   // mx, my with the panel at x0 = 0

constexpr QRect segmentRect(int k)
{
    const Segment &s = kSpeedSegments[static_cast<std::size_t>(k)];
    return QRect(kMeterOrigin.x() + s.x, s.y - 394, s.w, s.h);
}

inline constexpr QRect kMeterFace(kMeterOrigin.x() + 250, kMeterOrigin.y() + 1, 184, 184);

} // namespace SkinGeometry
