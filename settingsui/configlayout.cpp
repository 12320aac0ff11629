#include "settingsui/configlayout.h"

#include "skin/skingeometry.h"

#include <algorithm>

namespace ConfigLayout {

namespace {

// Row labels start here; the three section headings sit a little further left.
constexpr int kLabelX = 30;

// Text table rows the form uses.
namespace Row {
constexpr TextId VideoSound = 1, Time = 2, Functions = 3, Resolution = 5, Quality = 6, FrameRate = 7,
                 SoundRecording = 8, SoundVolume = 9, TimeSetting = 10, Dst = 11, Gmt = 12,
                 TimeFormat = 14, Shock = 15, Motion = 16, Parking = 17, EventFiles = 18,
                 Battery = 19, SpeedUnit = 20, Low = 26, Middle = 27, High = 28, On = 30,
                 ParkingOff = 31, ParkingShock = 32, ParkingMotion = 33, Files20 = 35, Files40 = 36,
                 Files60 = 37, Off = 44, VolumeOff = 45, Drive = 46, SecurityLed = 64, Front = 71,
                 Rear = 72, Theme = 74, ScreenSaver = 75, OneMinute = 77, TwoMinutes = 78;
} // namespace Row

Box textBox(int column, int y, int value, TextId row)
{
    return Box{boxTarget(column, y), boxMark(column, y), choiceTextRect(column, y), value, row, nullptr};
}

Box literalBox(int column, int y, int value, const char *text)
{
    return Box{boxTarget(column, y), boxMark(column, y), choiceTextRect(column, y), value, -1, text};
}

// Low / Middle / High = 1 / 2 / 3 in the first three columns.
std::vector<Box> lowMiddleHigh(int y)
{
    return {textBox(kColumns[0], y, 1, Row::Low), textBox(kColumns[1], y, 2, Row::Middle),
            textBox(kColumns[2], y, 3, Row::High)};
}

std::vector<BoxGroup> buildGroups()
{
    const int *c = kColumns;
    return {
        {Slot::Resolution, BoxKind::Choice, Access::ReadOnly, 1,
         {literalBox(c[0], 64, 1, "Full HD"), literalBox(c[1], 64, 2, "HD"), literalBox(c[2], 64, 3, "VGA")}},
        {Slot::Quality, BoxKind::Choice, Access::Editable, -1, lowMiddleHigh(91)},
        {Slot::Frame, BoxKind::Choice, Access::FrameRate, 2, lowMiddleHigh(117)},
        {Slot::Sound, BoxKind::Choice, Access::Editable, -1,
         {textBox(c[0], 144, 0, Row::Off), textBox(c[1], 144, 1, Row::On)}},
        {Slot::Speaker, BoxKind::Choice, Access::Editable, -1,
         {textBox(c[0], 170, 0, Row::VolumeOff), textBox(c[1], 170, 1, Row::Low),
          textBox(c[2], 170, 2, Row::Middle), textBox(c[3], 170, 3, Row::High)}},
        // The clock tick box is smaller than the others and sits left of the clock editor.
        {Slot::WriteClock, BoxKind::Toggle, Access::Editable, -1,
         {Box{QRect(163, 230, 16, 15), SkinGeometry::kTimeSettingBox, QRect(), 1, -1, nullptr}}},
        {Slot::Hour, BoxKind::Choice, Access::Editable, -1,
         {literalBox(403, 287, 0, "24-Hr"), literalBox(466, 287, 1, "12-Hr")}},
        {Slot::EventNum, BoxKind::Choice, Access::Editable, -1,
         {textBox(c[0], 373, 20, Row::Files20), textBox(c[1], 373, 40, Row::Files40),
          textBox(c[2], 373, 60, Row::Files60)}},
        {Slot::Parking, BoxKind::Choice, Access::Editable, -1,
         {textBox(c[0], 399, 0, Row::ParkingOff), textBox(c[1], 399, 1, Row::ParkingShock),
          textBox(c[2], 399, 2, Row::ParkingMotion)}},
        {Slot::Motion, BoxKind::Choice, Access::Editable, -1, lowMiddleHigh(426)},
        {Slot::Speed, BoxKind::Choice, Access::ReadOnly, -1,
         {literalBox(c[0], 478, 1, "KM/H"), literalBox(c[1], 478, 2, "MPH")}},
        {Slot::SecurityLed, BoxKind::Toggle, Access::Editable, -1, {textBox(c[0], 504, 1, Row::Front)}},
        {Slot::RearSecurity, BoxKind::Toggle, Access::MainOnly, -1, {textBox(c[1], 504, 1, Row::Rear)}},
        {Slot::Theme, BoxKind::Choice, Access::MainOnly, -1,
         {textBox(c[0], 530, 0, Row::Off), textBox(c[1], 530, 1, Row::On)}},
        {Slot::ScreenSaver, BoxKind::Choice, Access::MainOnly, -1,
         {textBox(c[0], 556, 0, Row::Off), textBox(c[1], 556, 1, Row::OneMinute),
          textBox(c[2], 556, 2, Row::TwoMinutes)}},
    };
}

constexpr Label kLabels[] = {
    {{27, 39}, Row::VideoSound, nullptr},
    {{kLabelX, 64}, Row::Resolution, nullptr},
    {{kLabelX, 91}, Row::Quality, nullptr},
    {{kLabelX, 117}, Row::FrameRate, nullptr},
    {{kLabelX, 144}, Row::SoundRecording, nullptr},
    {{kLabelX, 170}, Row::SoundVolume, nullptr},
    {{25, 197}, Row::Time, nullptr},
    {{kLabelX, 229}, Row::TimeSetting, nullptr},
    {{kLabelX, 262}, Row::Dst, nullptr},
    {{262, 258}, -1, "~"},
    {{385, 262}, Row::TimeFormat, nullptr},
    {{kLabelX, 287}, Row::Gmt, nullptr},
    {{25, 324}, Row::Functions, nullptr},
    {{kLabelX, 349}, Row::Shock, nullptr},
    {{kLabelX, 373}, Row::EventFiles, nullptr},
    {{kLabelX, 399}, Row::Parking, nullptr},
    {{kLabelX, 426}, Row::Motion, nullptr},
    {{kLabelX, 456}, Row::Battery, nullptr},
    {{kLabelX, 478}, Row::SpeedUnit, nullptr},
    {{kLabelX, 504}, Row::SecurityLed, nullptr},
    {{kLabelX, 530}, Row::Theme, nullptr},
    {{kLabelX, 556}, Row::ScreenSaver, nullptr},
    {{10, 625}, -1, "QRD-7700 Ver 1.01"},
};

constexpr SpeedUnitTarget kSpeedUnitTargets[] = {
    {QRect(219, 597, 64, 17), 1},
    {QRect(315, 597, 64, 17), 2},
};

} // namespace

Values constructionValues()
{
    return {2, 3, 3, 1, 2, 0, 0, 5, 40, 2, 2, 6, 5, 1, 1, 1, 4, 1, 1};
}

std::span<const BoxGroup> boxGroups()
{
    static const std::vector<BoxGroup> groups = buildGroups();
    return groups;
}

const BoxGroup *groupForSlot(int slot)
{
    for (const BoxGroup &group : boxGroups()) {
        if (group.slot == slot)
            return &group;
    }
    return nullptr;
}

std::span<const Label> labels()
{
    return kLabels;
}

QRect labelRect(const Label &label)
{
    return QRect(label.at.x() - 1, label.at.y() - 3, 250, 24);
}

QPoint firmwareLabelPosition()
{
    return QPoint(kLabelX, 583);
}

QRect cardChooserCaptionRect()
{
    return QRect(129, 12, 60, 24);
}

QRect boxTarget(int column, int y)
{
    return QRect(column - 1, y - 3, 64, 17);
}

QRect boxMark(int column, int y)
{
    // The skin draws its empty boxes at the same place.
    return SkinGeometry::settingsBox(column, y);
}

QRect choiceTextRect(int column, int y)
{
    return QRect(column - 10, y - 3, 56, 24);
}

bool targetContains(const QRect &target, QPoint point)
{
    return target.left() <= point.x() && point.x() <= target.left() + target.width()
           && target.top() <= point.y() && point.y() <= target.top() + target.height();
}

bool isClickable(const BoxGroup &group, ModelGroup model)
{
    if (model == ModelGroup::None)
        return false;
    switch (group.access) {
    case Access::Editable:
    case Access::FrameRate:
        return true;
    case Access::MainOnly:
        return model == ModelGroup::Main;
    case Access::ReadOnly:
        return false;
    }
    return false;
}

bool isDrawnAvailable(const BoxGroup &group, ModelGroup model)
{
    if (model == ModelGroup::None)
        return false;
    switch (group.access) {
    case Access::Editable:
        return true;
    case Access::FrameRate:
    case Access::MainOnly:
        return model == ModelGroup::Main;
    case Access::ReadOnly:
        return false;
    }
    return false;
}

int chosenBoxIndex(const BoxGroup &group, int value)
{
    const auto it = std::find_if(group.boxes.begin(), group.boxes.end(),
                                 [value](const Box &box) { return box.value == value; });
    if (it != group.boxes.end())
        return int(it - group.boxes.begin());
    return int(group.boxes.size()) - 1;
}

std::vector<MarkPaint> marks(const Values &values, ModelGroup model)
{
    std::vector<MarkPaint> result;
    for (const BoxGroup &group : boxGroups()) {
        const int value = values[size_t(group.slot)];
        const bool toggle = group.kind == BoxKind::Toggle;
        if (isDrawnAvailable(group, model)) {
            if (toggle) {
                if (value == 1)
                    result.push_back({group.boxes.front().mark, Mark::Ticked});
            } else {
                result.push_back({group.boxes[size_t(chosenBoxIndex(group, value))].mark, Mark::Chosen});
            }
            continue;
        }
        // Unavailable: every box greyed, except the one a read-only row keeps marked.
        const int keep = model == ModelGroup::None ? -1 : group.unavailableMark;
        for (int i = 0; i < int(group.boxes.size()); ++i) {
            const Mark mark = i == keep ? Mark::Chosen
                                        : (toggle ? Mark::UnavailableToggle : Mark::UnavailableChoice);
            result.push_back({group.boxes[size_t(i)].mark, mark});
        }
    }
    return result;
}

std::span<const SpeedUnitTarget> speedUnitTargets()
{
    return kSpeedUnitTargets;
}

std::optional<Hit> hitTest(QPoint point, ModelGroup model)
{
    for (const SpeedUnitTarget &target : kSpeedUnitTargets) {
        if (targetContains(target.target, point))
            return Hit{Hit::Kind::SpeedUnit, -1, target.unit};
    }
    for (const BoxGroup &group : boxGroups()) {
        if (!isClickable(group, model))
            continue;
        for (const Box &box : group.boxes) {
            if (!targetContains(box.target, point))
                continue;
            if (group.kind == BoxKind::Toggle)
                return Hit{Hit::Kind::ToggleSlot, group.slot, 0};
            return Hit{Hit::Kind::SetSlot, group.slot, box.value};
        }
    }
    return std::nullopt;
}

void applyHit(const Hit &hit, Values &values, int &viewerSpeedUnit)
{
    switch (hit.kind) {
    case Hit::Kind::SpeedUnit:
        viewerSpeedUnit = hit.value;
        break;
    case Hit::Kind::SetSlot:
        values[size_t(hit.slot)] = hit.value;
        break;
    case Hit::Kind::ToggleSlot:
        values[size_t(hit.slot)] = values[size_t(hit.slot)] == 0 ? 1 : 0;
        break;
    }
}

} // namespace ConfigLayout
