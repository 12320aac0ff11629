#pragma once

#include "catalogue/clip.h"

#include <QList>

class ClipCatalogue;
class VolumeMap;

// Which clips of a catalogue the clip list shows under its category and cause filter.
namespace ClipListFilter {

// Categories: all clips, clips in the folder REC at the root of their volume, clips in EVENT.
constexpr int AllCategories = 0;
constexpr int NormalCategory = 1;
constexpr int EventCategory = 2;

// Cause filters: all, or names carrying the manual "_M.", driving "_I." or parking "_P." marker.
constexpr int AllCauses = 0;
constexpr int ManualCause = 1;
constexpr int DrivingCause = 2;
constexpr int ParkingCause = 3;

// True when the list shows `clip`. Markers are case-sensitive and count only past the first character;
// values outside the ranges above select nothing out.
bool isShown(const Clip &clip, int category, int filter, const VolumeMap &volumes);

// The clips shown, in the catalogue's order; the first form places them with the drive listing of
// the catalogue's scan.
QList<Clip *> visibleClips(const ClipCatalogue &catalogue, int category, int filter);
QList<Clip *> visibleClips(const ClipCatalogue &catalogue, int category, int filter, const VolumeMap &volumes);

} // namespace ClipListFilter
