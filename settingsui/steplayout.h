#pragma once

#include <QPoint>
#include <QRect>

#include <span>

#include "base/texttable.h"

// The step row of the option sub-dialogs (power-off timer, 12 V and 24 V battery protection) as
// data and pure functions: targets, label and mark places, what a click and OK do to the value.
namespace StepLayout {

// What sets one sub-dialog apart from the others.
struct StepDialogKind
{
    const char *background;          // image name under the skin folder
    std::span<const char *const> steps;   // step labels, left to right (steps 1 … N)
    int restoreStep;                 // chosen when switching on with nothing remembered
    bool markLastWhenOutside;        // a value outside 0 … N marks the last step
    bool offStoredAsOne;             // after OK a value of 0 goes back as 1
};

const StepDialogKind &timerKind();
const StepDialogKind &battery12Kind();
const StepDialogKind &battery24Kind();

constexpr int kOffTarget = 0;   // target index of the off box; steps are 1 … N
constexpr TextId kOffText = 44;

// Click target of the off box (index 0) or of step `index`.
QRect target(int index);
// The rectangle a target's label is centred in; the last step's label sits 2 pixels further left.
QRect labelRect(int index, int stepCount);
// Where the mark picture of a target goes.
QRect markRect(int index);

// left <= x <= left + width and top <= y <= top + height.
bool targetContains(const QRect &rect, QPoint point);

// The first target holding the point, off box first, or -1.
int targetAt(QPoint point, int stepCount);

// The value after a click on `targetIndex`. A step chooses itself; the off box switches off
// (remembering the value in `lastOn`) or back on (to `lastOn`, else the restore step).
int clickedValue(int targetIndex, int value, int &lastOn, int restoreStep);

// The step a value marks: 0 for the off box, 1 … N a step, -1 nothing.
int markedTarget(int value, const StepDialogKind &kind);

// What the opener stores in its slot after OK.
int storedValue(int value, const StepDialogKind &kind);

} // namespace StepLayout
