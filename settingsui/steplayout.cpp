#include "settingsui/steplayout.h"

#include "skin/skingeometry.h"

namespace StepLayout {

namespace {

constexpr int kTargetTop = 59;
constexpr int kTargetWidth = 20;
constexpr int kTargetHeight = 40;
constexpr int kTargetX[] = {40, 117, 191, 263, 336, 409, 482};
constexpr int kLabelTop = 63;

constexpr const char *kTimerSteps[] = {"1Hr", "2Hr", "6Hr", "12Hr", "24Hr", "48Hr"};
constexpr const char *kBattery12Steps[] = {"11.5V", "11.6V", "11.7V", "11.8V", "11.9V", "12.0V"};
constexpr const char *kBattery24Steps[] = {"23.5V", "24.0V", "24.5V", "25.0V", "25.5V"};

const StepDialogKind kTimer{"batt_timer_bg.png", kTimerSteps, 4, true, true};
const StepDialogKind kBattery12{"batt_12v_bg.png", kBattery12Steps, 6, false, false};
const StepDialogKind kBattery24{"batt_24v_bg.png", kBattery24Steps, 5, false, false};

} // namespace

const StepDialogKind &timerKind()
{
    return kTimer;
}

const StepDialogKind &battery12Kind()
{
    return kBattery12;
}

const StepDialogKind &battery24Kind()
{
    return kBattery24;
}

QRect target(int index)
{
    return QRect(kTargetX[index], kTargetTop, kTargetWidth, kTargetHeight);
}

QRect labelRect(int index, int stepCount)
{
    if (index == kOffTarget)
        return QRect(16, kLabelTop, 60, 24);
    const int shift = index == stepCount ? 25 : 23;
    return QRect(kTargetX[index] - shift, kLabelTop, 60, 24);
}

QRect markRect(int index)
{
    // The off box's mark sits 2 pixels into its target, a step's at the target's left edge, as the
    // skin draws the empty boxes.
    return SkinGeometry::optionBox(index == kOffTarget ? SkinGeometry::kOptionOffBoxX : kTargetX[index]);
}

bool targetContains(const QRect &rect, QPoint point)
{
    return rect.left() <= point.x() && point.x() <= rect.left() + rect.width()
           && rect.top() <= point.y() && point.y() <= rect.top() + rect.height();
}

int targetAt(QPoint point, int stepCount)
{
    for (int i = 0; i <= stepCount; ++i) {
        if (targetContains(target(i), point))
            return i;
    }
    return -1;
}

int clickedValue(int targetIndex, int value, int &lastOn, int restoreStep)
{
    if (targetIndex > kOffTarget) {
        lastOn = targetIndex;
        return targetIndex;
    }
    if (targetIndex < kOffTarget)
        return value;
    if (value > 0) {
        lastOn = value;
        return 0;
    }
    return lastOn > 0 ? lastOn : restoreStep;
}

int markedTarget(int value, const StepDialogKind &kind)
{
    const int count = int(kind.steps.size());
    if (value >= 0 && value <= count)
        return value;
    return kind.markLastWhenOutside ? count : -1;
}

int storedValue(int value, const StepDialogKind &kind)
{
    return kind.offStoredAsOne && value == 0 ? 1 : value;
}

} // namespace StepLayout
