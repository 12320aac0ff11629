#pragma once

#include "evidence/shownmoment.h"

#include <QStringList>

// The caption the overlay video burns into every picture, from what the page shows at that moment.
namespace OverlayText {

// Two lines: the car's local time with its UTC offset, the same moment in UTC, the speed; the
// G-forces, the coordinates, the clip and the position in it. Times carry tenths of a second; a
// time that rests on the recorder's clock alone says so. Thread-safe.
QStringList lines(const ShownMoment &moment);

} // namespace OverlayText
