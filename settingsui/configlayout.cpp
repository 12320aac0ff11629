#include "settingsui/configlayout.h"

#include "skin/skingeometry.h"

#include <algorithm>

namespace ConfigLayout {

namespace {

// Row labels start here; the three section headings sit a little further left.
constexpr int kLabelX = 30;

// Text table rows the form uses.
namespace Row {
constexpr TextId VideoSound = 1, Time = 2, Functions = 3, TimeSetting = 10, Dst = 11, Gmt = 12, Low = 26,
                 Middle = 27, High = 28, On = 30, ParkingOff = 31, ParkingShock = 32, ParkingMotion = 33,
                 Files20 = 35, Files40 = 36, Files60 = 37, Off = 44, VolumeOff = 45, Front = 71, Rear = 72,
                 OneMinute = 77, TwoMinutes = 78;
} // namespace Row

// The time format's label sits on the line above its boxes, over the right half of the form.
constexpr QPoint kTimeFormatLabel(385, 262);

using S = RecorderSetting;

constexpr int lineOf(RecorderSetting setting)
{
    return SettingTable::entry(setting).line;
}

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

BoxGroup group(RecorderSetting setting, BoxKind kind, Access access, int unavailableMark, std::vector<Box> boxes)
{
    return {slotOf(setting), kind, access, unavailableMark, std::move(boxes)};
}

std::vector<BoxGroup> buildGroups()
{
    const int *c = kColumns;
    const int sound = lineOf(S::Sound), speaker = lineOf(S::Speaker), events = lineOf(S::EventNum);
    const int parking = lineOf(S::Parking), leds = lineOf(S::SecurityLed), theme = lineOf(S::Theme);
    const int saver = lineOf(S::ScreenSaver), resolution = lineOf(S::Resolution), speed = lineOf(S::Speed);
    const int hour = lineOf(S::Hour);
    return {
        group(S::Resolution, BoxKind::Choice, Access::ReadOnly, 1,
              {literalBox(c[0], resolution, 1, "Full HD"), literalBox(c[1], resolution, 2, "HD"),
               literalBox(c[2], resolution, 3, "VGA")}),
        group(S::Quality, BoxKind::Choice, Access::Editable, -1, lowMiddleHigh(lineOf(S::Quality))),
        group(S::Frame, BoxKind::Choice, Access::FrameRate, 2, lowMiddleHigh(lineOf(S::Frame))),
        group(S::Sound, BoxKind::Choice, Access::Editable, -1,
              {textBox(c[0], sound, 0, Row::Off), textBox(c[1], sound, 1, Row::On)}),
        group(S::Speaker, BoxKind::Choice, Access::Editable, -1,
              {textBox(c[0], speaker, 0, Row::VolumeOff), textBox(c[1], speaker, 1, Row::Low),
               textBox(c[2], speaker, 2, Row::Middle), textBox(c[3], speaker, 3, Row::High)}),
        // The clock tick box is smaller than the others and sits left of the clock editor.
        {Slot::WriteClock, BoxKind::Toggle, Access::Editable, -1,
         {Box{QRect(163, 230, 16, 15), SkinGeometry::kTimeSettingBox, QRect(), 1, -1, nullptr}}},
        group(S::Hour, BoxKind::Choice, Access::Editable, -1,
              {literalBox(403, hour, 0, "24-Hr"), literalBox(466, hour, 1, "12-Hr")}),
        group(S::EventNum, BoxKind::Choice, Access::Editable, -1,
              {textBox(c[0], events, 20, Row::Files20), textBox(c[1], events, 40, Row::Files40),
               textBox(c[2], events, 60, Row::Files60)}),
        group(S::Parking, BoxKind::Choice, Access::Editable, -1,
              {textBox(c[0], parking, 0, Row::ParkingOff), textBox(c[1], parking, 1, Row::ParkingShock),
               textBox(c[2], parking, 2, Row::ParkingMotion)}),
        group(S::Motion, BoxKind::Choice, Access::Editable, -1, lowMiddleHigh(lineOf(S::Motion))),
        group(S::Speed, BoxKind::Choice, Access::ReadOnly, -1,
              {literalBox(c[0], speed, 1, "KM/H"), literalBox(c[1], speed, 2, "MPH")}),
        group(S::SecurityLed, BoxKind::Toggle, Access::Editable, -1, {textBox(c[0], leds, 1, Row::Front)}),
        group(S::RearSecurity, BoxKind::Toggle, Access::MainOnly, -1, {textBox(c[1], leds, 1, Row::Rear)}),
        group(S::Theme, BoxKind::Choice, Access::MainOnly, -1,
              {textBox(c[0], theme, 0, Row::Off), textBox(c[1], theme, 1, Row::On)}),
        group(S::ScreenSaver, BoxKind::Choice, Access::MainOnly, -1,
              {textBox(c[0], saver, 0, Row::Off), textBox(c[1], saver, 1, Row::OneMinute),
               textBox(c[2], saver, 2, Row::TwoMinutes)}),
    };
}

// The form's own texts; the settings' row labels come from the setting table.
constexpr Label kFormLabels[] = {
    {{27, 39}, Row::VideoSound, nullptr},
    {{25, 197}, Row::Time, nullptr},
    {{kLabelX, 229}, Row::TimeSetting, nullptr},
    {{kLabelX, 262}, Row::Dst, nullptr},
    {{262, 258}, -1, "~"},
    {{kLabelX, 287}, Row::Gmt, nullptr},
    {{25, 324}, Row::Functions, nullptr},
    {{10, 625}, -1, "QRD-7700 Ver 1.01"},
};

// One label per row: settings sharing a row (the battery buttons, the two LEDs) share its label.
std::vector<Label> buildLabels()
{
    std::vector<Label> labels(std::begin(kFormLabels), std::end(kFormLabels));
    for (const SettingTable::Entry &entry : SettingTable::kEntries) {
        const QPoint at = entry.setting == S::Hour ? kTimeFormatLabel : QPoint(kLabelX, entry.line);
        const bool shown = std::any_of(labels.begin(), labels.end(), [&](const Label &label) {
            return label.at == at && label.textRow == entry.label;
        });
        if (!shown)
            labels.push_back({at, entry.label, nullptr});
    }
    return labels;
}

constexpr SpeedUnitTarget kSpeedUnitTargets[] = {
    {QRect(219, 597, 64, 17), 1},
    {QRect(315, 597, 64, 17), 2},
};

} // namespace

Values constructionValues()
{
    Values values{};
    for (const SettingTable::Entry &entry : SettingTable::kEntries)
        values[size_t(entry.slot)] = entry.shownBeforeLoad;
    values[Slot::WriteClock] = 0;
    return values;
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
    static const std::vector<Label> all = buildLabels();
    return all;
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
