#pragma once

#include <QString>

struct Trip;

// The trip list's texts, as pure functions of a trip.
namespace TripRow {

// "2025-07-02 09:00–09:30 · 30 min · 42.1 km": the car's local date and times of the trip's start
// and end (true time, in the zone the GPS gives), its length and the distance driven.
QString text(const Trip &trip);
// The row's tool tip: clips, event clips, top speed and the recorder's clock when it is off.
QString toolTip(const Trip &trip);
// The name of the trip's exported track, "Trip 2025-07-02 09:00", and the file name proposed for
// it without extension, "trip_2025-07-02_0900".
QString exportName(const Trip &trip);
QString exportFileBase(const Trip &trip);

} // namespace TripRow
