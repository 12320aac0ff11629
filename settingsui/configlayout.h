#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

#include <array>
#include <optional>
#include <span>
#include <vector>

#include "base/texttable.h"
#include "settings/settingtable.h"

// The painted form of the settings dialog as data: its labels, its boxes with their click targets
// and the rules that decide what a box shows. Painting, mouse handling and the tests all read these
// tables, so a drawn box and its click target cannot drift apart.
namespace ConfigLayout {

// The dialog's edited copy of the recorder settings: each setting in its table slot, and the clock's
// tick box in a slot of its own.
constexpr int kSlotCount = SettingTable::kCount + 1;
using Values = std::array<int, kSlotCount>;

namespace Slot {
constexpr int WriteClock = 5; // 1 while the clock is to be written
} // namespace Slot

constexpr int slotOf(RecorderSetting setting)
{
    return SettingTable::entry(setting).slot;
}

// The slots as a freshly built dialog holds them, before any card is read.
Values constructionValues();

// What the dialog knows of the recorder on the chosen card.
enum class ModelGroup { None, Main, Other };

// How a group of boxes answers to the model.
enum class Access {
    Editable,    // clickable and marked for every model (all unavailable without a model)
    FrameRate,   // clickable for every model, but only Main draws it; others show it unavailable
    MainOnly,    // clickable and drawn for Main only
    ReadOnly,    // never clickable, always drawn unavailable
};

enum class BoxKind {
    Choice,      // one of several boxes; the slot takes the box's value
    Toggle,      // a single box flipping its slot between 0 and 1
};

// One box of the form.
struct Box
{
    QRect target;        // click target; a point on its edge counts as inside
    QRect mark;          // where the mark picture goes
    QRect textRect;      // the choice text, right-aligned; empty for none
    int value = 0;       // what a Choice box stores in its slot
    TextId textRow = -1; // text table row of the choice text, or -1 for `literal`
    const char *literal = nullptr;
};

// The boxes that edit one slot.
struct BoxGroup
{
    int slot;
    BoxKind kind;
    Access access;
    int unavailableMark; // index of the box still marked while the group shows unavailable, or -1
    std::vector<Box> boxes;
};

// A text painted by the dialog: left-aligned and vertically centred in (x - 1, y - 3, 250, 24).
struct Label
{
    QPoint at;
    TextId textRow = -1;
    const char *literal = nullptr;
};

// The mark picture a box shows.
enum class Mark {
    None,
    Chosen,              // check.png: the chosen value of a choice row
    Ticked,              // check1.png: a toggle whose slot is 1
    UnavailableChoice,   // discheck2.png
    UnavailableToggle,   // disbox.png
};

struct MarkPaint
{
    QRect rect;
    Mark mark;
};

// What a click on the form does.
struct Hit
{
    enum class Kind { SpeedUnit, SetSlot, ToggleSlot };
    Kind kind;
    int slot = -1;   // for SetSlot and ToggleSlot
    int value = 0;   // the slot value (SetSlot) or the viewer's speed unit (SpeedUnit)
};

constexpr int kColumns[4] = {169, 266, 362, 458};

// The rows' boxes in table order (that is also the order the click test tries them).
std::span<const BoxGroup> boxGroups();
const BoxGroup *groupForSlot(int slot);
// Every fixed text of the form (row labels, headings, the drive caption, the version line).
std::span<const Label> labels();
QRect labelRect(const Label &label);
// Where the "%1 : %2" firmware line goes.
QPoint firmwareLabelPosition();
QRect cardChooserCaptionRect();

// Standard geometry of a box in the column `column` of the row on line `y`.
QRect boxTarget(int column, int y);
QRect boxMark(int column, int y);
QRect choiceTextRect(int column, int y);

// left <= x <= left + width and top <= y <= top + height.
bool targetContains(const QRect &target, QPoint point);

// Whether the group answers clicks / is drawn with its real value for the model.
bool isClickable(const BoxGroup &group, ModelGroup model);
bool isDrawnAvailable(const BoxGroup &group, ModelGroup model);

// The box index a choice group marks for `value`: the box holding the value, else the last box.
int chosenBoxIndex(const BoxGroup &group, int value);

// Every mark the form paints for these values and this model.
std::vector<MarkPaint> marks(const Values &values, ModelGroup model);

// The two hidden targets that choose the viewer's speed unit (1 km/h, 2 mph); never painted.
struct SpeedUnitTarget
{
    QRect target;
    int unit;
};
std::span<const SpeedUnitTarget> speedUnitTargets();

// The click test on mouse release: the hidden speed-unit targets first, then, with a model, the
// rows in table order; the first target holding the point wins.
std::optional<Hit> hitTest(QPoint point, ModelGroup model);

// Applies a hit to the slots and the viewer's speed unit.
void applyHit(const Hit &hit, Values &values, int &viewerSpeedUnit);

} // namespace ConfigLayout
